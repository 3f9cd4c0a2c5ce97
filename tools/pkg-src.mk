# The src/Makefile of the Octave package: `pkg install` runs make here with
# MKOCTFILE set, and installs what lands in ../inst beside the help files.
# Octave gets the oct-files, which build their outputs in Octave's own arrays.
MKOCTFILE ?= mkoctfile
OUT = ../inst
INCLUDES = -I. -Icore -Ihost -Igivfact -Iapply
# the results are fixed to the bit: no fused multiply-add, no fast math
export CXXFLAGS := $(shell $(MKOCTFILE) -p CXXFLAGS) -ffp-contract=off -fno-fast-math
# Only ELF linkers take a version script: not those of macOS or Windows,
# where the oct-file exports what Octave's own headers mark.
MACHINE := $(shell $$($(MKOCTFILE) -p CXX) -dumpmachine)
ifeq ($(findstring darwin,$(MACHINE))$(findstring mingw,$(MACHINE))$(findstring cygwin,$(MACHINE))$(findstring windows,$(MACHINE)),)
EXPORTS = -Wl,--version-script=host/octexports.map
endif

GIVFACT = givfact/givfact_oct.o givfact/QR.o givfact/check.o
APPLY = apply/apply_oct.o apply/givfwd.o apply/givinv.o apply/check.o

all: $(OUT)/givfact.oct $(OUT)/givfwd.oct $(OUT)/givinv.oct

%_help.h: $(OUT)/%.m
	sh help2h.sh $* $< > $@

givfact/givfact_oct.o: givfact_help.h
apply/givfwd_oct.o: givfwd_help.h
apply/givinv_oct.o: givinv_help.h

%.o: %.cpp
	$(MKOCTFILE) -c $(INCLUDES) $< -o $@

$(OUT)/givfact.oct: $(GIVFACT)
	$(MKOCTFILE) $(EXPORTS) -o $@ $^
$(OUT)/givfwd.oct: apply/givfwd_oct.o $(APPLY)
	$(MKOCTFILE) $(EXPORTS) -o $@ $^
$(OUT)/givinv.oct: apply/givinv_oct.o $(APPLY)
	$(MKOCTFILE) $(EXPORTS) -o $@ $^

clean:
	rm -f */*.o *_help.h $(OUT)/*.oct
