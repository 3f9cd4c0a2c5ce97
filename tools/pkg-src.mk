# The src/Makefile of the Octave package: `pkg install` runs make here with
# MKOCTFILE set, and copies what lands in ../inst beside the help files.
MKOCTFILE ?= mkoctfile
OUT = ../inst
INCLUDES = -Icore -Ihost -Igivfact -Iapply
# the results are fixed to the bit: no fused multiply-add, no fast math
export CXXFLAGS := $(shell $(MKOCTFILE) -p CXXFLAGS) -ffp-contract=off -fno-fast-math -fvisibility=hidden
EXPORTS = -Wl,--version-script=host/exports.map

GIVFACT = givfact/givfact_mex.o givfact/QR.o givfact/check.o host/mexversion.o
APPLY = apply/givfwd.o apply/givinv.o apply/check.o apply/apply_mex.o host/mexversion.o

all: $(OUT)/givfact.mex $(OUT)/givfwd.mex $(OUT)/givinv.mex

%.o: %.cpp
	$(MKOCTFILE) -c $(INCLUDES) $< -o $@

$(OUT)/givfact.mex: $(GIVFACT)
	$(MKOCTFILE) --mex $(EXPORTS) -o $@ $^
$(OUT)/givfwd.mex: apply/givfwd_mex.o $(APPLY)
	$(MKOCTFILE) --mex $(EXPORTS) -o $@ $^
$(OUT)/givinv.mex: apply/givinv_mex.o $(APPLY)
	$(MKOCTFILE) --mex $(EXPORTS) -o $@ $^

clean:
	rm -f */*.o $(OUT)/*.mex
