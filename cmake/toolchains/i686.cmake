# SPDX-License-Identifier: MIT
# x86 32-bit Linux. The build takes doubles in SSE2 registers (-msse2
# -mfpmath=sse, added for every 32-bit x86 target), never the x87's wider
# registers, so its bytes are those of every other CPU.
#
# The tests run on the host's own x86-64 CPU in 32-bit mode, started through
# the cross loader, so the SSE2 and AVX2 row blends run on real hardware.
# (qemu-i386 7.2 hangs on dynamically linked programs that start a thread.)
#
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686.cmake
#   cmake --build build-i686 && ctest --test-dir build-i686 --timeout 300
#
# Debian packages: g++-i686-linux-gnu
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BMPRESIZE_CROSS_TRIPLET i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/i686-linux-gnu/lib/ld-linux.so.2 --library-path /usr/i686-linux-gnu/lib)
