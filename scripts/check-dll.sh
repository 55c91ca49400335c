#!/usr/bin/env bash
# Static checks of the 32-bit Lumotext.dll, which these machines cannot run:
# it is an i386 PE file, it exports exactly the names and ordinals of the
# module-definition file, and it imports only from system DLLs.
set -euo pipefail
dll=${1:-build/mingw32/Lumotext.dll}
def=$(dirname "$0")/../src/api/lumotext.def
objdump=i686-w64-mingw32-objdump
failed=0
fail() { echo "check-dll: $*" >&2; failed=1; }

[[ -f "$dll" ]] || { echo "check-dll: $dll is missing" >&2; exit 1; }
dump=$($objdump -p "$dll")

grep -q '^Magic.*010b' <<<"$dump" || fail "not a 32-bit (PE32) image"
grep -qi 'i386' <<<"$($objdump -f "$dll")" || fail "not built for i386"

# Exports: "ordinal name" pairs from the definition file and from the image.
expected=$(awk '/^EXPORTS/{on=1;next} on && NF>=2 && $2 ~ /^@/ {sub("@","",$2); print $2, $1}' "$def" | sort)
actual=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dump" \
  | sed -n 's/^[[:space:]]*\[[[:space:]]*\([0-9]*\)\][[:space:]]*\([^[:space:]]*\).*/\1 \2/p')
# objdump lists each ordinal relative to the ordinal base.
base=$(awk '/^Ordinal Base/{print $3; exit}' <<<"$dump")
actual=$(awk -v base="$base" '{print $1+base, $2}' <<<"$actual" | sort)
[[ "$expected" == "$actual" ]] || fail "exports differ from the definition file:
$(diff <(echo "$expected") <(echo "$actual") || true)"

# Imports: system DLLs only (no libgcc, libstdc++ or winpthread).
system='^(KERNEL32|USER32|ADVAPI32|COMCTL32|comctl32|GDI32|msvcrt|ucrtbase|api-ms-win-.*)\.dll$'
while read -r name; do
  [[ "$name" =~ $system ]] || fail "imports from a non-system DLL: $name"
done < <(awk '/DLL Name:/{print $3}' <<<"$dump")

[[ $failed -eq 0 ]] && echo "check-dll: $dll: $(wc -l <<<"$expected") exports, system imports only: ok"
exit $failed
