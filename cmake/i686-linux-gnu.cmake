# Linux on i686. Static linking matters here beyond the sysroot: qemu 7.2
# runs the first thread of a dynamically linked i686 program into an
# endless loop.
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/linux-gnu.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386)
