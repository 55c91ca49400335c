#!/usr/bin/env bash
# Installs the Debian packages that a job needs, only those missing, so that
# a fresh Debian 12 machine can build and test with one command.
# Usage: scripts/install-deps.sh [core|test|bench|measure]...
#   core   what the native build needs (make run): help2man for the man
#          pages, dpkg-dev and file for the Debian package (make deb)
#   test   also ICU, Unicode's data files and python3 for the character
#          model's tests (ICU the oracle, the data files what the tables are
#          generated from), the cross compilers, qemu-i386, wine64, Xvfb, clang with
#          libFuzzer, Vim and Emacs for the editor tests (make test, make
#          fuzz); mandoc, man-db, zip, unzip and pkgconf for the man-page,
#          Windows zip and install-tree tests; Debian's Japanese manual pages
#          and guides for the UTF-8 documentation test
#   bench  also the corpora (Debian's Japanese reference manual, and its
#          Japanese manual pages with man, groff and col to render them), the
#          tools compared against (nkf, Text::LineFold), hyperfine, GNU time,
#          gnuplot, and valgrind for the first-call count and the profiles
#   measure  the peers that scripts/measure-line-breaks.sh folds Japanese
#          with (Emacs, Vim, Text::LineFold) and its samples: Debian's
#          Japanese manual pages rendered by man and groff, and the Japanese
#          Debian Reference
set -euo pipefail

core=(cmake ninja-build g++ make libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
      help2man dpkg-dev file)  # man pages, the Debian package
test=(libicu-dev unicode-data python3  # the character model's oracle and data (scripts/gen-unicode-tables.py)
      g++-mingw-w64-i686 g++-mingw-w64-x86-64 g++-multilib qemu-user wine64 xvfb xauth
      clang libclang-rt-14-dev llvm
      imagemagick fonts-ipafont-gothic fonts-wine  # dialog tests: screenshots, fonts
      vim emacs-nox  # editor tests: both editors run headless
      mandoc man-db zip unzip pkgconf  # man pages, packages, install tree
      manpages-ja debian-faq-ja maint-guide-ja bsdextrautils)  # Japanese documentation in UTF-8
bench=(debian-reference-ja manpages-ja man-db groff-base bsdextrautils
       nkf hyperfine gnuplot-nox time libunicode-linebreak-perl python3 valgrind)
measure=(emacs-nox vim libunicode-linebreak-perl manpages-ja debian-reference-ja groff-base man-db python3
         coreutils base-files)  # fmt folds the English that bind must join; the GPL 3 is that English

wanted=()
for group in "${@:-core}"; do
  case "$group" in
    core) wanted+=("${core[@]}") ;;
    test) wanted+=("${core[@]}" "${test[@]}") ;;
    bench) wanted+=("${core[@]}" "${bench[@]}") ;;
    measure) wanted+=("${core[@]}" "${measure[@]}") ;;
    *) echo "install-deps: unknown group '$group' (core, test, bench, measure)" >&2; exit 2 ;;
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
