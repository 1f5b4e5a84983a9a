# SPDX-License-Identifier: MIT
# Shared part of the mingw-w64 toolchains. The including file sets
# BMPRESIZE_MINGW_TRIPLET and CMAKE_SYSTEM_PROCESSOR (and any flags) first, and
# sets CMAKE_CROSSCOMPILING_EMULATOR to BMPRESIZE_WINE where the target runs.
set(CMAKE_SYSTEM_NAME Windows)

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
# (Z: is wine's drive for the Unix root). No mono or gecko prompt, no debug
# chatter on stderr.
set(BMPRESIZE_WINE
    /usr/bin/env WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix WINEPATH=Z:${CMAKE_BINARY_DIR}
    WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= /usr/bin/wine)
