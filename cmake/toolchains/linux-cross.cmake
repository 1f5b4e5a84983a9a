# SPDX-License-Identifier: MIT
# Shared part of the Linux cross toolchains. The including file sets
# BMPRESIZE_CROSS_TRIPLET (the Debian cross compiler's prefix) and
# BMPRESIZE_QEMU (the qemu-user program and any options of its own), and may
# set CMAKE_SYSTEM_PROCESSOR and flags before including this.
set(CMAKE_SYSTEM_NAME Linux)

set(CMAKE_C_COMPILER   ${BMPRESIZE_CROSS_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${BMPRESIZE_CROSS_TRIPLET}-g++)

set(CMAKE_FIND_ROOT_PATH /usr/${BMPRESIZE_CROSS_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest (and GoogleTest's test discovery) put this in front of every test
# program; -L points the emulator at the target's shared libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR ${BMPRESIZE_QEMU} -L /usr/${BMPRESIZE_CROSS_TRIPLET})
