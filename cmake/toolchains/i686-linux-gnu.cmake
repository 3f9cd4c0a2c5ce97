# 32-bit x86 Linux, the .mexglx target: 32-bit sizes and sparse indices,
# SSE2 math (x87's 80-bit intermediates would change the results).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(GIVQR_FAKEMEX_32 ON CACHE BOOL "")
set(GIVQR_MEX_R12 ON CACHE BOOL "")
set(GIVQR_MEX_SUFFIX .mexglx CACHE STRING "")
# qemu-i386 hangs when a dynamically linked 32-bit program starts a thread;
# a static one runs (the stand-in host, which loads MEX files, starts none).
set(GIVQR_STATIC_TESTS ON CACHE BOOL "")
