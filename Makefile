# The two commands a newcomer needs (make run, make test), and the rest of
# the daily work. Every target installs what it is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: all deps run test build native asan mingw32 bench clean

all: native

deps:
	@scripts/install-deps.sh build

native asan mingw32: deps
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

build: native

# Formats the bundled sample: header and quoted lines kept (preset 1), fold 50.
run: native
	@build/native/lumotext format --preset 1 --fold 50 examples/sample.txt

# Builds every preset and runs every test.
test: deps
	@for preset in native asan mingw32; do \
	  cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS) || exit 1; \
	done
	@ctest --preset native -j $(JOBS)
	@ctest --preset asan -j $(JOBS)
	@scripts/check-dll.sh build/mingw32/Lumotext.dll

bench:
	@scripts/install-deps.sh bench
	@scripts/bench.sh

clean:
	rm -rf build
