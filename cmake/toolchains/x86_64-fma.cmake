# This machine, compiled for processors with fused multiply-add and told to
# fuse wherever it can: the sources alone must keep every rounding.
set(CMAKE_C_FLAGS_INIT "-march=haswell -ffp-contract=fast")
set(CMAKE_CXX_FLAGS_INIT "-march=haswell -ffp-contract=fast")
set(GIVQR_MEX_SUFFIX .mexa64 CACHE STRING "")
