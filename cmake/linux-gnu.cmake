# Linux on CMAKE_SYSTEM_PROCESSOR, which the including toolchain file sets,
# with Debian's cross g++, run under qemu-user. Linked statically, so that
# no sysroot is needed to run it.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_CXX_COMPILER ${CMAKE_SYSTEM_PROCESSOR}-linux-gnu-g++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR})
