# The src/Makefile of the Octave package: `pkg install` runs make here with
# MKOCTFILE set, and installs what lands in ../inst beside the help files.
# Octave gets the oct-files, which build their outputs in Octave's own arrays.
# The sources of each command are those of sources.mk.
include sources.mk
MKOCTFILE ?= mkoctfile
OUT = ../inst
INCLUDES = -I. $(addprefix -I,$(sort $(HEADERS) $(patsubst %/,%,$(dir $(foreach c,$(COMMANDS),$($(c)_KERNELS) $($(c)_OCT))))))
MACHINE := $(shell $$($(MKOCTFILE) -p CXX) -dumpmachine)
# the results are fixed to the bit: no fused multiply-add, no fast math, and
# on 32-bit x86 SSE2 rather than x87 arithmetic
FPFLAGS = -ffp-contract=off -fno-fast-math
ifneq ($(filter i386-% i486-% i586-% i686-%,$(MACHINE)),)
FPFLAGS += -msse2 -mfpmath=sse
endif
export CXXFLAGS := $(shell $(MKOCTFILE) -p CXXFLAGS) $(FPFLAGS)
# Only ELF linkers take a version script: not those of macOS or Windows,
# where the oct-file exports what Octave's own headers mark.
ifeq ($(findstring darwin,$(MACHINE))$(findstring mingw,$(MACHINE))$(findstring cygwin,$(MACHINE))$(findstring windows,$(MACHINE)),)
EXPORTS = -Wl,--version-script=octave/octexports.map
endif

all: $(foreach c,$(COMMANDS),$(OUT)/$(c).oct)

%_help.h: $(OUT)/%.m
	sh help2h.sh $* $< > $@

%.o: %.cpp
	$(MKOCTFILE) -c $(INCLUDES) $< -o $@

# each oct-file: its Octave gateway (which includes its help) and its kernels
define oct_file
$(patsubst %.cpp,%.o,$(firstword $($(1)_OCT))): $(1)_help.h
$(OUT)/$(1).oct: $(patsubst %.cpp,%.o,$($(1)_OCT) $($(1)_KERNELS))
	$$(MKOCTFILE) $$(EXPORTS) -o $$@ $$^
endef
$(foreach c,$(COMMANDS),$(eval $(call oct_file,$(c))))

clean:
	rm -f */*.o *_help.h $(OUT)/*.oct
