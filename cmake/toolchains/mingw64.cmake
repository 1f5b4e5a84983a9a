# Windows x86_64 with mingw-w64; tests run through wine.
#
#   cmake -S . -B build-mingw64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/mingw64.cmake
#   cmake --build build-mingw64
#   .ci/cross shows how to run ctest under wine without it hanging.
#
# Debian packages: g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(BMPRESIZE_MINGW_TRIPLET x86_64-w64-mingw32)

# The -posix compilers: GoogleTest needs std::mutex, which the default win32
# thread model lacks.
set(CMAKE_C_COMPILER   ${BMPRESIZE_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BMPRESIZE_MINGW_TRIPLET}-g++-posix)
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
# No mono or gecko prompt, no debug chatter on stderr.
set(CMAKE_CROSSCOMPILING_EMULATOR
    /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEPATH=Z:${CMAKE_BINARY_DIR}
    WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= /usr/bin/wine)
