#!/usr/bin/env bash
# Installs the Debian packages that a job needs, only those missing, so that
# a fresh Debian 12 machine can build and test with one command.
# Usage: scripts/install-deps.sh [build|bench]...
set -euo pipefail

build=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
       g++-mingw-w64-i686 make libsqlite3-dev)
bench=(debian-reference-ja nkf hyperfine gnuplot-nox time)

wanted=()
for group in "${@:-build}"; do
  case "$group" in
    build) wanted+=("${build[@]}") ;;
    bench) wanted+=("${build[@]}" "${bench[@]}") ;;
    *) echo "install-deps: unknown group '$group' (build, bench)" >&2; exit 2 ;;
  esac
done

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "install-deps: installing ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
