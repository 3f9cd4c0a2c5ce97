# givqr: the two commands a user needs are `make demo` and `make test`.
BUILD ?= build
JOBS ?= 2
OCTAVE = OCTAVE_HISTFILE=/dev/null octave-cli --norc --quiet --no-window-system

# Debian packages for building and testing
DEPS = make cmake g++ octave octave-dev libgtest-dev

.PHONY: all deps build test demo clean

all: build

deps:
	@sh tools/deps.sh $(DEPS)

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && OCTAVE_HISTFILE=/dev/null ctest --output-on-failure -j $(JOBS)

demo: build
	$(OCTAVE) --eval "addpath('$(abspath $(BUILD))/octave'); run('examples/givqr_demo.m')"

clean:
	rm -rf $(BUILD)
