#!/usr/bin/env bash
# From a fresh clone of this repository's HEAD: make install DESTDIR=...
# PREFIX=/usr, then the install-tree test builds a C program with pkg-config
# and a CMake project with find_package against the staged tree alone.
# A full native build: minutes, so it runs by hand, not in make test.
# Usage: tests/packaging/fresh_clone_test.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q "$(git -C "$here" rev-parse --show-toplevel)" "$work/clone"
make -C "$work/clone" install DESTDIR="$work/stage" PREFIX=/usr JOBS="${JOBS:-2}" >"$work/make.log" 2>&1 \
    || { tail -30 "$work/make.log"; exit 1; }
"$work/clone/tests/packaging/install_tree_test.sh" --tree "$work/stage" /usr
