#!/usr/bin/env bash
# Builds build/packages/lumotext-<version>-windows.zip (make dist-windows)
# from the mingw32 and mingw64 builds: the 32-bit Lumotext.dll and tool at
# the top, the 64-bit ones under x64\, the header, the definition file, an
# import library for each, and the read-me files. Prints the zip's path.
set -euo pipefail
cd "$(dirname "$0")/.."
version=$(sed -n 's/^project(Lumotext VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
for file in build/mingw32/Lumotext.dll build/mingw32/lumotext.exe \
            build/mingw64/Lumotext.dll build/mingw64/lumotext.exe; do
  [[ -f $file ]] || { echo "dist-windows: $file is missing (make mingw32 mingw64)" >&2; exit 1; }
done
name=lumotext-$version-windows
mkdir -p build/packages
scratch=$(mktemp -d -p build/packages)
trap 'rm -rf "$scratch"' EXIT
stage=$scratch/$name
mkdir -p "$stage/include" "$stage/lib" "$stage/x64"

cp build/mingw32/Lumotext.dll build/mingw32/lumotext.exe "$stage/"
cp build/mingw64/Lumotext.dll build/mingw64/lumotext.exe "$stage/x64/"
# The 64-bit build carries debug information (RelWithDebInfo) that users
# need not download; the 32-bit files ship as the DLL check saw them.
x86_64-w64-mingw32-strip --strip-debug "$stage/x64/Lumotext.dll" "$stage/x64/lumotext.exe"
cp include/lumotext.h "$stage/include/"
cp src/api/lumotext.def "$stage/lib/"

# The 32-bit import library. A C program that includes lumotext.h calls the
# standard forms by their stdcall names (_LumoMultiLines@16), which the
# DLL exports undecorated; the decorations come from the header itself, by
# compiling a reference to each export of the definition file, and dlltool
# -k maps each decorated name to the plain export.
exports=$(awk '/^EXPORTS/ {on = 1; next} on && NF >= 2 {print $1}' src/api/lumotext.def)
{
  echo '#include <lumotext.h>'
  echo 'void *lumotext_exports[] = {'
  sed 's/.*/  (void *)\&&,/' <<<"$exports"
  echo '};'
} >"$scratch/probe.c"
i686-w64-mingw32-gcc -Iinclude -c "$scratch/probe.c" -o "$scratch/probe.o"
{
  echo "LIBRARY Lumotext.dll"
  echo "EXPORTS"
  i686-w64-mingw32-nm -u "$scratch/probe.o" | awk '{sub(/^_/, "", $2); print "  " $2}'
} >"$scratch/decorated.def"
i686-w64-mingw32-dlltool -m i386 -k -d "$scratch/decorated.def" -l "$stage/lib/libLumotext.dll.a"
# On x86-64 there are no decorations: the definition file serves as it is.
x86_64-w64-mingw32-dlltool -m i386:x86-64 -d src/api/lumotext.def -D Lumotext.dll \
  -l "$stage/x64/libLumotext.dll.a"

# Read-me files with Windows line ends; the Japanese one in Shift-JIS, as
# the Japanese editors these files are for read a file without a mark.
sed "s/@VERSION@/$version/; s/\$/\r/" packaging/windows/README.txt >"$stage/README.txt"
sed "s/@VERSION@/$version/; s/\$/\r/" packaging/windows/README-ja.txt \
  | iconv -f UTF-8 -t CP932 >"$stage/README-ja.txt"

zip=build/packages/$name.zip
rm -f "$zip"
(cd "$scratch" && TZ=UTC zip -q -X -r "../$name.zip" "$name")
echo "$zip"
