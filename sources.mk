# sources.mk: the sources of each command, the one list that every build reads
# (CMakeLists.txt, make dist and the package's Makefile, givqr_build.m).
#   <cmd>_KERNELS  kernels and argument checks, free of any host
#   <cmd>_MEX      its MEX gateway (MATLAB, and Octave's MEX interface)
#   <cmd>_OCT      its Octave gateway (the oct-file)
# Their headers lie beside them, in core/ and in sweep/ (the sweep that
# givfact and givsmooth share).  INST: the files of inst/ that go beside the
# built commands.
COMMANDS = givfact givfwd givinv givsmooth givspline
HEADERS = core sweep
givfact_KERNELS = core/messages.cpp givfact/QR.cpp givfact/givfact_check.cpp
givfact_MEX = mex/givfact_mex.cpp mex/mexversion.cpp
givfact_OCT = octave/givfact_oct.cpp
givfwd_KERNELS = core/messages.cpp apply/givfwd.cpp apply/givinv.cpp apply/apply_check.cpp
givfwd_MEX = mex/givfwd_mex.cpp mex/apply_mex.cpp mex/mexversion.cpp
givfwd_OCT = octave/givfwd_oct.cpp octave/apply_oct.cpp
givinv_KERNELS = core/messages.cpp apply/givfwd.cpp apply/givinv.cpp apply/apply_check.cpp
givinv_MEX = mex/givinv_mex.cpp mex/apply_mex.cpp mex/mexversion.cpp
givinv_OCT = octave/givinv_oct.cpp octave/apply_oct.cpp
givsmooth_KERNELS = core/messages.cpp smooth/stencil.cpp smooth/weights.cpp smooth/forward.cpp smooth/backward.cpp smooth/fill.cpp smooth/state.cpp smooth/series.cpp smooth/lanes.cpp smooth/robust.cpp smooth/choose.cpp smooth/edf.cpp smooth/spline.cpp smooth/givsmooth.cpp smooth/givsmooth_check.cpp
givsmooth_MEX = mex/givsmooth_mex.cpp mex/mexversion.cpp
givsmooth_OCT = octave/givsmooth_oct.cpp
givspline_KERNELS = core/messages.cpp smooth/stencil.cpp smooth/weights.cpp smooth/forward.cpp smooth/backward.cpp smooth/fill.cpp smooth/state.cpp smooth/series.cpp smooth/lanes.cpp smooth/robust.cpp smooth/choose.cpp smooth/edf.cpp smooth/spline.cpp smooth/givsmooth.cpp smooth/givsmooth_check.cpp smooth/givspline.cpp
givspline_MEX = mex/givspline_mex.cpp mex/mexversion.cpp
givspline_OCT = octave/givspline_oct.cpp
INST = givfact.m givfwd.m givinv.m givsmooth.m givspline.m Contents.m private/not_built.m
