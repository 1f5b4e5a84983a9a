# SPDX-License-Identifier: MIT
# ARM 64-bit little-endian, run through qemu-aarch64. Its compiler also fuses
# a*b+c by default, so it checks that -ffp-contract=off reaches every target.
#
#   cmake -S . -B build-aarch64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/aarch64.cmake
#   cmake --build build-aarch64 && ctest --test-dir build-aarch64 --timeout 300
#
# Debian packages: g++-aarch64-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(BMPRESIZE_CROSS_TRIPLET aarch64-linux-gnu)
set(BMPRESIZE_QEMU /usr/bin/qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
