# SPDX-License-Identifier: MIT
# ARM 32-bit, hard float (VFP), run through qemu-arm: doubles in VFP
# registers, the float model of most 32-bit ARM Linux devices today.
#
#   cmake -S . -B build-armhf -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armhf.cmake
#   cmake --build build-armhf && ctest --test-dir build-armhf --timeout 300
#
# Debian packages: g++-arm-linux-gnueabihf qemu-user
set(CMAKE_SYSTEM_PROCESSOR arm)
set(BMPRESIZE_CROSS_TRIPLET arm-linux-gnueabihf)
set(BMPRESIZE_QEMU /usr/bin/qemu-arm)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
