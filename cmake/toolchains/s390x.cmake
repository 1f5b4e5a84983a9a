# SPDX-License-Identifier: MIT
# IBM Z, 64-bit big-endian, run through qemu-s390x. Catches byte-order faults in
# the BMP reader and writer, and (its compiler fuses a*b+c into one instruction
# by default) any code built without -ffp-contract=off.
#
#   cmake -S . -B build-s390x -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/s390x.cmake
#   cmake --build build-s390x && ctest --test-dir build-s390x --timeout 300
#
# Debian packages: g++-s390x-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(BMPRESIZE_CROSS_TRIPLET s390x-linux-gnu)
set(BMPRESIZE_QEMU /usr/bin/qemu-s390x)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
