# ARM EABI, soft float (ARMv5TE), run through qemu-arm on an XScale core that has
# no FPU: a hardware floating-point instruction that slipped into the build
# stops the test with SIGILL instead of passing unnoticed.
#
#   cmake -S . -B build-armel -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/armel.cmake
#   cmake --build build-armel && ctest --test-dir build-armel --timeout 300
#
# Debian packages: g++-arm-linux-gnueabi qemu-user
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR arm)

set(CMAKE_C_COMPILER   arm-linux-gnueabi-gcc)
set(CMAKE_CXX_COMPILER arm-linux-gnueabi-g++)
# Debian's armel compiler defaults to these; stated so the float model is never
# left to a compiler default.
set(CMAKE_C_FLAGS_INIT   "-march=armv5te -mfloat-abi=soft")
set(CMAKE_CXX_FLAGS_INIT "-march=armv5te -mfloat-abi=soft")

set(CMAKE_FIND_ROOT_PATH /usr/arm-linux-gnueabi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest (and GoogleTest's test discovery) put this in front of every test
# program; -L points the emulator at the target's shared libraries.
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-arm -cpu pxa270 -L /usr/arm-linux-gnueabi)
