# SPDX-License-Identifier: MIT
# Windows 32-bit x86 (i686) with mingw-w64.
#
#   cmake -S . -B build-mingw32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw32.cmake
#   cmake --build build-mingw32
#
# Its tests run only where the 32-bit wine (wine32:i386) is installed.
#
# Debian packages: g++-mingw-w64-i686-posix mingw-w64-tools
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BMPRESIZE_MINGW_TRIPLET i686-w64-mingw32)
# SSE2 doubles: the x87 unit's 80-bit intermediates would round differently
# from every other target.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# Without the 32-bit wine loader, wine runs a 32-bit program as nothing at all
# and exits 0, a silent pass; so the emulator is set only when that loader is
# there, and otherwise ctest fails loudly on the .exe files.
if(EXISTS /usr/lib/wine/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${BMPRESIZE_WINE})
endif()
