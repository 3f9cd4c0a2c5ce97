# 64-bit SPARC (big-endian) Linux.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR sparc64)
set(CMAKE_C_COMPILER sparc64-linux-gnu-gcc-12)
set(CMAKE_CXX_COMPILER sparc64-linux-gnu-g++-12)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-sparc64 -L /usr/sparc64-linux-gnu)
