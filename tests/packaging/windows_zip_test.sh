#!/usr/bin/env bash
# The Windows zip: exactly the files it should hold; the 32-bit DLL through
# scripts/check-dll.sh and the 32-bit tool statically; a C program linked
# against each import library, the 32-bit one checked for plain import
# names, the 64-bit one run on wine64 beside x64\Lumotext.dll, where it must
# fold a text as x64\lumotext.exe does; and the read-me files.
# Usage: windows_zip_test.sh ZIP MINGW64-BUILD-DIR (whose Wine prefix is used)
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
source_dir=$(cd "$here/../.." && pwd)
zip=$1
wine_build=$(cd "$2" && pwd)
version=$(sed -n 's/^project(Lumotext VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")
# Inside the mingw64 build, so that scripts/wine-run.sh uses its prefix.
work=$(mktemp -d -p "$wine_build" zip-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
unzip -q "$zip" -d "$work" || { echo "FAIL: unzip"; exit 1; }
top=$work/lumotext-$version-windows

# Path, and a pattern for what file(1) says of it.
contents="
Lumotext.dll           ^PE32 executable \\(DLL\\).* Intel 80386
lumotext.exe           ^PE32 executable \\(console\\) Intel 80386
x64/Lumotext.dll       ^PE32\\+ executable \\(DLL\\).* x86-64
x64/lumotext.exe       ^PE32\\+ executable \\(console\\) x86-64
include/lumotext.h     C source
lib/lumotext.def       ASCII text
lib/libLumotext.dll.a  ar archive
x64/libLumotext.dll.a  ar archive
README.txt             ^ASCII text, with CRLF line terminators
README-ja.txt          with CRLF
"
is() { file -b "$top/$1" | grep -qE "$2" || { file -b "$top/$1"; false; }; }
while read -r path kind; do
    [[ -n $path ]] && check "$path: $kind" is "$path" "$kind"
done <<<"$contents"
listed=$(awk 'NF {print $1}' <<<"$contents" | sort)
present=$(cd "$top" && find . -type f | sed 's|^\./||' | sort)
check "no other files" test "$listed" = "$present"
check "the header is the project's" cmp "$top/include/lumotext.h" "$source_dir/include/lumotext.h"
check "the definition file is the project's" cmp "$top/lib/lumotext.def" "$source_dir/src/api/lumotext.def"

check "32-bit DLL: scripts/check-dll.sh" "$source_dir/scripts/check-dll.sh" "$top/Lumotext.dll"
system_imports_only() {
    i686-w64-mingw32-objdump -p "$1" | awk '/DLL Name:/ {print tolower($3)}' \
        | grep -vE '^(kernel32|user32|advapi32|comctl32|gdi32|msvcrt|shell32|api-ms-win-.*)\.dll$'
    [[ ${PIPESTATUS[2]} -eq 1 ]]
}
check "32-bit tool: system DLLs only" system_imports_only "$top/lumotext.exe"

# A C host against the 32-bit import library: it links, and imports the
# exports it calls by their plain names from Lumotext.dll.
host=$source_dir/tests/packaging/consumer/fold_stdin.c
link32() {
    i686-w64-mingw32-gcc -Wall -Werror -I"$top/include" -o "$work/host32.exe" "$host" \
        -L"$top/lib" -lLumotext
}
check "32-bit import library: a C program links" link32
imports_plain() {
    local imports
    imports=$(i686-w64-mingw32-objdump -p "$work/host32.exe" | awk '/DLL Name:/ {dll = $3} dll == "Lumotext.dll" && NF == 3 && $1 ~ /^[0-9a-f]+$/ {print $3}' | sort | paste -sd' ')
    [[ $imports == "GetLTVersion GetWholeSetting LumoMultiLines" ]] || { echo "imports: $imports"; false; }
}
check "32-bit import library: plain names from Lumotext.dll" imports_plain

# The 64-bit files on wine64: the tool's version, and the C host beside the
# DLL folding a text as the tool folds it.
link64() {
    x86_64-w64-mingw32-gcc -Wall -Werror -I"$top/include" -o "$top/x64/host64.exe" "$host" \
        -L"$top/x64" -lLumotext
}
check "64-bit import library: a C program links" link64
wine() { "$source_dir/scripts/wine-run.sh" "$@" 2>/dev/null | tr -d '\r'; }
check "64-bit tool: --version" grep -qx "lumotext $version" <(wine "$top/x64/lumotext.exe" --version)
cp "$source_dir/examples/sample-sjis.txt" "$top/x64/sample.txt"
(cd "$top/x64" && "$source_dir/scripts/wine-run.sh" "$top/x64/lumotext.exe" format --fold 30 \
    --rules classic --encoding sjis sample.txt >"$work/tool.txt" 2>"$work/tool.err")
check "64-bit tool: format" test -s "$work/tool.txt"
echo "[library ${version/./}]" >>"$work/tool.txt"
host_folds() {
    (cd "$top/x64" && "$source_dir/scripts/wine-run.sh" "$top/x64/host64.exe" 30 <sample.txt >"$work/host.txt") &&
        cmp "$work/host.txt" "$work/tool.txt"
}
check "64-bit DLL: a C program folds as the tool does" host_folds

# Former bug: the Windows tool read UTF-8 only through code page 932, so an
# emoji or the wave dash 〜 was an error. It now formats and binds UTF-8 as
# the Linux tool does, byte for byte.
native=$source_dir/build/native/lumotext
if [[ -x $native ]]; then
    printf '%s\n' '旅行の持ち物〜カメラ📷、サングラス😎、家族写真👨‍👩‍👧、日本の旗🇯🇵を忘れずに。' \
        'ガイドさんはフランス語で「Très bien, c'"'"'est magnifique !」と言いました👍🏽。' \
        'か゛ぎ ｶﾞｷﾞ — the naïve café, ½ and ①, 〜～ −－' >"$top/x64/utf8.txt"
    same_as_native() {  # ARGS...
        (cd "$top/x64" && "$source_dir/scripts/wine-run.sh" "$top/x64/lumotext.exe" "$@" utf8.txt \
            >"$work/windows.txt" 2>"$work/windows.err") || { cat "$work/windows.err"; return 1; }
        "$native" "$@" "$top/x64/utf8.txt" >"$work/linux.txt" && cmp "$work/windows.txt" "$work/linux.txt"
    }
    for fold in 12 20 30; do
        check "64-bit tool: UTF-8 folded at $fold as on Linux" same_as_native format --fold "$fold"
        check "64-bit tool: UTF-8 at $fold, classic rules, as on Linux" same_as_native format --rules classic --fold "$fold"
    done
    check "64-bit tool: UTF-8 bound as on Linux" same_as_native bind --fold 20
else
    echo "note: $native is not built; the UTF-8 comparison with the Linux tool is skipped"
fi

# The read-me files: where the DLL goes and what a macro calls first.
readme_says() {
    local text=$1 word
    shift
    for word in "$@"; do grep -qF -- "$word" <<<"$text" || { echo "lacks '$word'"; return 1; }; done
}
english=$(cat "$top/README.txt")
japanese=$(iconv -f CP932 -t UTF-8 "$top/README-ja.txt") || japanese=""
for readme in english japanese; do
    check "$readme read-me: version and exports" readme_says "${!readme}" "Lumotext $version" \
        Lumotext.dll 'x64\Lumotext.dll' GetWholeSettingGL LumoClipBoardGL LumoClipBoardGLHM LumoMultiLines
done
check "English read-me: where the DLL goes" readme_says "$english" "beside the macro" "host editor's own"
check "Japanese read-me: where the DLL goes" readme_says "$japanese" "マクロと同じフォルダ" "エディタ本体"
finish
