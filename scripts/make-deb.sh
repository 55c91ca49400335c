#!/usr/bin/env bash
# Builds the Debian package build/packages/lumotext_<version>_<arch>.deb
# from the native build (make deb), with CPack: the install tree under /usr
# and dependencies from dpkg-shlibdeps. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
build=build/native
[[ -f $build/CPackConfig.cmake ]] || { echo "make-deb: configure and build $build first (make native)" >&2; exit 1; }
mkdir -p build/packages
# cpack talks on both streams; its words matter only when it fails.
if ! log=$(cd "$build" && cpack -G DEB -B "$PWD/../packages" 2>&1); then
  echo "$log" >&2
  exit 1
fi
rm -rf build/packages/_CPack_Packages
version=$(sed -n 's/^project(Lumotext VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
deb=build/packages/lumotext_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { echo "make-deb: $deb was not made" >&2; exit 1; }
echo "$deb"
