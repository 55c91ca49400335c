#!/usr/bin/env bash
# The Debian package: its name and control fields, dependencies computed
# from the libraries it links, and its files unpacked into a throw-away root,
# where the install-tree test runs the tool and builds programs against the
# library (LD_LIBRARY_PATH into the root). Usage: deb_test.sh PACKAGE.deb
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
deb=$1
version=$(sed -n 's/^project(Lumotext VERSION \([0-9.]*\).*/\1/p' "$here/../../CMakeLists.txt")
arch=$(dpkg --print-architecture)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

check "named lumotext_${version}_$arch.deb" test "$(basename "$deb")" = "lumotext_${version}_$arch.deb"
field() { dpkg-deb -f "$deb" "$1"; }
# field, and a pattern its value must match
fields="
Package       ^lumotext$
Version       ^$version$
Architecture  ^$arch$
Depends       (^|, )libc6 \(>= [0-9.]+\)
Depends       (^|, )libsqlite3-0 \(>= [0-9.]+\)
Depends       (^|, )libstdc\+\+6
Description   .
"
while read -r name pattern; do
    [[ -n $name ]] && check "control: $name matches $pattern" grep -qE "$pattern" <(field "$name")
done <<<"$fields"
# The character model is compiled in: the package needs no ICU.
check "control: Depends names no ICU" bash -c '! grep -qi icu <<<"$1"' _ "$(field Depends)"
# Everything lies under /usr.
outside_usr() { ! dpkg-deb -c "$deb" | awk '{print $6}' | grep -vE '^\./(usr/.*)?$'; }
check "every file under /usr" outside_usr
check "shlibs names liblumotext.so.${version%%.*}" \
    grep -q "^liblumotext ${version%%.*} lumotext" <(dpkg-deb -I "$deb" shlibs)

dpkg-deb -x "$deb" "$work/root"
check "pkg-config file names /usr" grep -qx 'prefix=/usr' "$work/root/usr/lib/pkgconfig/lumotext.pc"
# Man pages compressed, as Debian wants them, and still readable.
renders() { local errors; errors=$(MANWIDTH=80 man -l "$1" 2>&1 >/dev/null) && [[ -z $errors ]] && zgrep -q '^\.SH NAME' "$1"; }
for page in lumotext lumotext-format lumotext-bind lumotext-slot; do
    check "$page.1.gz renders" renders "$work/root/usr/share/man/man1/$page.1.gz"
done
check "the unpacked tree" "$here/install_tree_test.sh" --tree "$work/root" /usr
finish
