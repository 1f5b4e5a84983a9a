# x86 32-bit Linux, run through qemu-i386. The build takes doubles in SSE2
# registers (-msse2 -mfpmath=sse, added for every 32-bit x86 target), never
# the x87's wider registers, so its bytes are those of every other CPU.
#
#   cmake -S . -B build-i686 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/i686.cmake
#   cmake --build build-i686 && ctest --test-dir build-i686 --timeout 300
#
# Debian packages: g++-i686-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR i686)
set(BMPRESIZE_CROSS_TRIPLET i686-linux-gnu)
set(BMPRESIZE_QEMU /usr/bin/qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
