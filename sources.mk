# sources.mk: the sources of each command, the one list that every build reads
# (CMakeLists.txt, make dist and the package's Makefile, givqr_build.m).
#   <cmd>_KERNELS  kernels and argument checks, free of any host
#   <cmd>_MEX      its MEX gateway (MATLAB, and Octave's MEX interface)
#   <cmd>_OCT      its Octave gateway (the oct-file)
# Their headers lie beside them, in core/ and in givfact/ (the step of the
# factorization).  INST: the files of inst/ that go beside the built commands.
COMMANDS = givfact givfwd givinv givsmooth
givfact_KERNELS = check/messages.cpp givfact/QR.cpp givfact/givfact_check.cpp
givfact_MEX = givfact/givfact_mex.cpp host/mexversion.cpp
givfact_OCT = givfact/givfact_oct.cpp
givfwd_KERNELS = check/messages.cpp apply/givfwd.cpp apply/givinv.cpp apply/apply_check.cpp
givfwd_MEX = apply/givfwd_mex.cpp apply/apply_mex.cpp host/mexversion.cpp
givfwd_OCT = apply/givfwd_oct.cpp apply/apply_oct.cpp
givinv_KERNELS = check/messages.cpp apply/givfwd.cpp apply/givinv.cpp apply/apply_check.cpp
givinv_MEX = apply/givinv_mex.cpp apply/apply_mex.cpp host/mexversion.cpp
givinv_OCT = apply/givinv_oct.cpp apply/apply_oct.cpp
givsmooth_KERNELS = check/messages.cpp smooth/stencil.cpp smooth/forward.cpp smooth/backward.cpp smooth/fill.cpp smooth/series.cpp smooth/robust.cpp smooth/choose.cpp smooth/givsmooth.cpp smooth/givsmooth_check.cpp
givsmooth_MEX = smooth/givsmooth_mex.cpp host/mexversion.cpp
givsmooth_OCT = smooth/givsmooth_oct.cpp
INST = givfact.m givfwd.m givinv.m givsmooth.m Contents.m private/not_built.m
