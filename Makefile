# The two commands a newcomer needs (make run, make test), and the rest of
# the daily work. Every target installs what it is missing first.
SHELL := /bin/bash
JOBS ?= $(shell nproc)

.PHONY: all deps test-deps run test fuzz build native asan mingw32 mingw64 linux32 bench clean
.PHONY: install deb dist-windows

all: native

deps:
	@scripts/install-deps.sh core

test-deps:
	@scripts/install-deps.sh test

native asan: deps
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

mingw32 mingw64 linux32: test-deps
	@cmake --preset $@ >/dev/null
	@cmake --build --preset $@ -j $(JOBS)

build: native

# Formats the bundled sample: header and quoted lines kept (preset 1), fold 50.
# Builds the tool and what it links, nothing else.
run: deps
	@cmake --preset native >/dev/null
	@cmake --build --preset native --target lumotext_cli -j $(JOBS)
	@build/native/lumotext format --preset 1 --fold 50 examples/sample.txt

# Builds every preset and runs every test: natively, under the sanitizers,
# as i386 code under qemu-i386 and as Windows code on wine64; the 32-bit DLL,
# which nothing here can run, is checked statically.
test: test-deps
	@for preset in native asan mingw32 mingw64 linux32; do \
	  cmake --preset $$preset >/dev/null && cmake --build --preset $$preset -j $(JOBS) || exit 1; \
	done
	@ctest --preset native -j $(JOBS)
	@ctest --preset asan -j $(JOBS)
	@ctest --preset linux32 -j $(JOBS)
	@ctest --preset mingw64 -j $(JOBS)
	@scripts/check-dll.sh build/mingw32/Lumotext.dll
	@tests/packaging/deb_test.sh "$$(scripts/make-deb.sh)"
	@tests/packaging/windows_zip_test.sh "$$(scripts/dist-windows.sh)" build/mingw64
	@scripts/fuzz.sh 30

# Every fuzz target for a minute (scripts/fuzz.sh SECONDS [TARGET...] for more).
fuzz: test-deps
	@scripts/fuzz.sh 60

bench:
	@scripts/install-deps.sh bench
	@scripts/bench.sh

# Installs the tool, the library and its development files, man pages and
# bash completion under PREFIX (default /usr/local), staged under DESTDIR.
PREFIX ?= /usr/local
install: native
	@DESTDIR=$(DESTDIR) cmake --install build/native --prefix $(PREFIX) --strip

# build/packages/lumotext_<version>_<arch>.deb, for /usr, with CPack.
deb: native
	@scripts/make-deb.sh

# build/packages/lumotext-<version>-windows.zip: both DLLs, the tools, header,
# definition file and import libraries, read-me files.
dist-windows: mingw32 mingw64
	@scripts/dist-windows.sh

clean:
	rm -rf build
