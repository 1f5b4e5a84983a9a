# SPDX-License-Identifier: MIT
# ARM EABI, soft float (ARMv5TE), run through qemu-arm on an XScale core that has
# no FPU: a hardware floating-point instruction that slipped into the build
# stops the test with SIGILL instead of passing unnoticed.
#
#   cmake -S . -B build-armel -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armel.cmake
#   cmake --build build-armel && ctest --test-dir build-armel --timeout 300
#
# Debian packages: g++-arm-linux-gnueabi qemu-user
set(CMAKE_SYSTEM_PROCESSOR arm)
set(BMPRESIZE_CROSS_TRIPLET arm-linux-gnueabi)
set(BMPRESIZE_QEMU /usr/bin/qemu-arm -cpu pxa270)
# Debian's armel compiler defaults to these; stated so the float model is never
# left to a compiler default.
set(CMAKE_C_FLAGS_INIT   "-march=armv5te -mfloat-abi=soft")
set(CMAKE_CXX_FLAGS_INIT "-march=armv5te -mfloat-abi=soft")
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
