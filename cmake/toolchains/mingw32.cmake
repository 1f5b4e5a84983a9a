# Windows 32-bit x86 (i686) with mingw-w64.
#
#   cmake -S . -B build-mingw32 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw32.cmake
#   cmake --build build-mingw32
#
# Its tests run only where the 32-bit wine (wine32:i386) is installed; see the
# end of this file.
#
# Debian packages: g++-mingw-w64-i686-posix mingw-w64-tools
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BMPRESIZE_MINGW_TRIPLET i686-w64-mingw32)

# The -posix compilers: GoogleTest needs std::mutex, which the default win32
# thread model lacks.
set(CMAKE_C_COMPILER   ${BMPRESIZE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BMPRESIZE_MINGW_TRIPLET}-g++-posix)
# SSE2 doubles: the x87 unit's 80-bit intermediates would round differently
# from every other target.
set(CMAKE_C_FLAGS_INIT   "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
# Resource scripts (.rc) and type libraries (.idl) of the Windows module.
set(CMAKE_RC_COMPILER  ${BMPRESIZE_MINGW_TRIPLET}-windres)
find_program(BMPRESIZE_WIDL NAMES ${BMPRESIZE_MINGW_TRIPLET}-widl DOC "IDL compiler for the module's type library")

set(CMAKE_FIND_ROOT_PATH /usr/${BMPRESIZE_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs link the C and C++ runtimes in, and a DLL carries its own copy of
# them, so the results import only system DLLs that wine and Windows both have.
set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# Tests run in a wine prefix of the build's own, never the user's ~/.wine, and
# find the project's DLL in the top of the build folder, where it is built
# (Z: is wine's drive for the Unix root).
# Without the 32-bit wine loader, wine runs a 32-bit program as nothing at all
# and exits 0, a silent pass; so the emulator is set only when that loader is
# there, and otherwise ctest fails loudly on the .exe files.
if(EXISTS /usr/lib/wine/wine)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEPATH=Z:${CMAKE_BINARY_DIR}
      WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= /usr/bin/wine)
endif()
