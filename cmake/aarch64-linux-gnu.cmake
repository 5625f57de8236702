# Linux on aarch64 with Debian's cross g++, run under qemu-user. Linked
# statically: no sysroot is needed to run it, and qemu 7.2 runs the first
# thread of a dynamically linked i686 program into an endless loop.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
