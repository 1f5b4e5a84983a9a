# SPDX-License-Identifier: MIT
# Windows x86_64 with mingw-w64; tests run through wine.
#
#   cmake -S . -B build-mingw64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw64.cmake
#   cmake --build build-mingw64
#   .ci/cross shows how to run ctest under wine without it hanging.
#
# Debian packages: g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BMPRESIZE_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR ${BMPRESIZE_WINE})
