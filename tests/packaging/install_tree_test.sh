#!/usr/bin/env bash
# The install tree as its users meet it: every file in its place, the
# library's SONAME, no run path and no build-tree path in what is installed,
# and a C program built with pkg-config and a CMake project built with
# find_package(Lumotext), both against the tree alone, folding a text as the
# installed tool folds it.
# Usage: install_tree_test.sh BUILD-DIR [PREFIX]  (installs with cmake --install)
#        install_tree_test.sh --tree ROOT PREFIX  (checks a tree installed before)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
source_dir=$(cd "$here/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export LUMOTEXT_REGISTRY=$work/registry.sqlite3

if [[ ${1:-} == --tree ]]; then
    root=$2 prefix=$3 build=""
else
    build=$(cd "$1" && pwd) root=$work/root prefix=${2:-/usr}
    DESTDIR=$root cmake --install "$build" --prefix "$prefix" --strip >/dev/null || { echo "FAIL: install"; exit 1; }
fi
tree=$root$prefix
version=$(sed -n 's/^project(Lumotext VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")

# What the tree holds: path, and what it must be (exec, file, page: a file
# that may be compressed, as in the Debian package, or -> the target of a
# symbolic link).
layout="
bin/lumotext                               exec
lib/liblumotext.so.$version                file
lib/liblumotext.so.${version%%.*}          -> liblumotext.so.$version
lib/liblumotext.so                         -> liblumotext.so.${version%%.*}
include/lumotext.h                         file
lib/pkgconfig/lumotext.pc                  file
lib/cmake/Lumotext/LumotextConfig.cmake    file
lib/cmake/Lumotext/LumotextConfigVersion.cmake file
lib/cmake/Lumotext/LumotextTargets.cmake   file
share/man/man1/lumotext.1                  page
share/man/man1/lumotext-format.1           page
share/man/man1/lumotext-bind.1             page
share/man/man1/lumotext-slot.1             page
share/bash-completion/completions/lumotext file
share/doc/lumotext/README.md               file
share/doc/lumotext/copyright               file
"
has() {
    local path=$tree/$1 kind=$2 target=${3:-}
    case $kind in
        exec) [[ -f $path && -x $path && ! -L $path ]] ;;
        file) [[ -f $path && ! -L $path ]] ;;
        page) [[ -f $path || -f $path.gz ]] ;;
        '->') [[ -L $path && $(readlink "$path") == "$target" ]] || { ls -l "$path"; false; } ;;
    esac
}
while read -r path kind target; do
    [[ -n $path ]] && check "installed: $path $kind $target" has "$path" "$kind" "$target"
done <<<"$layout"

soname() { readelf -d "$1" | grep -F "Library soname: [liblumotext.so.${version%%.*}]"; }
check "SONAME liblumotext.so.${version%%.*}" soname "$tree/lib/liblumotext.so.$version"
no_run_path() { ! readelf -d "$1" | grep -E 'RPATH|RUNPATH'; }
check "no run path in the tool" no_run_path "$tree/bin/lumotext"
check "no run path in the library" no_run_path "$tree/lib/liblumotext.so.$version"
# The build folders lie inside the sources, so this covers both.
no_source_path() { ! grep -rlF "$source_dir" "$tree"; }
check "no file names the source or build folder" no_source_path

# The tool runs from the tree, and its version is the project's.
check "installed tool: --version" grep -qx "lumotext $version" <("$tree/bin/lumotext" --version)
"$tree/bin/lumotext" format --rules classic --fold 30 --encoding sjis "$source_dir/examples/sample-sjis.txt" >"$work/expected"
check "installed tool: format" test -s "$work/expected"
echo "[library ${version/./}]" >>"$work/expected"

# A program's output, and that it took liblumotext from the tree.
folds_like_the_tool() {
    local program=$1
    ldd "$program" | grep -F "liblumotext.so.${version%%.*} => $tree/lib/" || { ldd "$program"; return 1; }
    "$program" 30 <"$source_dir/examples/sample-sjis.txt" | cmp - "$work/expected"
}
export LD_LIBRARY_PATH=$tree/lib

# pkg-config, as a build against a staged tree uses it.
pc() { PKG_CONFIG_SYSROOT_DIR=$root PKG_CONFIG_LIBDIR=$tree/lib/pkgconfig pkg-config "$@"; }
check "pkg-config: version" grep -qx "$version" <(pc --modversion lumotext)
check "pkg-config: the prefix given to the install" grep -qx "$root$prefix" <(pc --variable=prefix lumotext)
build_with_pkg_config() {
    cc -Wall -Werror -o "$work/fold_pc" "$here/consumer/fold_stdin.c" $(pc --cflags --libs lumotext)
}
check "pkg-config: a C program builds" build_with_pkg_config
check "pkg-config: the C program folds" folds_like_the_tool "$work/fold_pc"

# The program of the C API for programs, unchanged: it prints the fold of
# its line twice, once from one call and once from a stream fed byte by byte.
printf '・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったものがおすすめです）\n' >"$work/lumo-line.txt"
"$tree/bin/lumotext" format --fold 40 "$work/lumo-line.txt" >"$work/lumo-once"
cat "$work/lumo-once" "$work/lumo-once" >"$work/lumo-expected"
lumo_program_prints() {
    ldd "$1" | grep -F "liblumotext.so.${version%%.*} => $tree/lib/" || { ldd "$1"; return 1; }
    "$1" | cmp - "$work/lumo-expected"
}
build_lumo_with_pkg_config() {
    cc -std=c99 -Wall -Werror -o "$work/lumo_pc" "$here/consumer/lumo_program.c" $(pc --cflags --libs lumotext)
}
check "pkg-config: the lumo.h program builds" build_lumo_with_pkg_config
check "pkg-config: the lumo.h program folds, binds and streams" lumo_program_prints "$work/lumo_pc"

# find_package: which versions the package accepts (same major version).
configure_consumer() {
    cmake -S "$here/consumer" -B "$work/consumer-$2" -G Ninja -DCMAKE_PREFIX_PATH="$tree" \
        -DLUMOTEXT_WANTED_VERSION="$1" >/dev/null
}
versions="
$version   accepted
1.0        accepted
1.99       refused
2.0        refused
"
while read -r wanted verdict; do
    [[ -z $wanted ]] && continue
    if [[ $verdict == accepted ]]; then
        check "find_package(Lumotext $wanted) accepted" configure_consumer "$wanted" "$wanted"
    else
        check "find_package(Lumotext $wanted) refused" eval "! configure_consumer $wanted $wanted"
    fi
done <<<"$versions"
check "find_package: the project builds" cmake --build "$work/consumer-$version"
check "find_package: the program folds" folds_like_the_tool "$work/consumer-$version/fold_stdin"
check "find_package: the lumo.h program folds, binds and streams" lumo_program_prints "$work/consumer-$version/lumo_program"
finish
