#!/usr/bin/env bash
# Static checks of the 32-bit Lumotext.dll, which these machines cannot run:
# it is an i386 PE file, it exports exactly the names and ordinals of the
# module-definition file, it imports only from system DLLs, and every export
# removes from the stack what its calling convention says it does.
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
# DLL names are case-blind: COMCTL32.DLL and comctl32.dll are the same.
system='^(kernel32|user32|advapi32|comctl32|gdi32|msvcrt|ucrtbase|api-ms-win-.*)\.dll$'
while read -r name; do
  [[ "${name,,}" =~ $system ]] || fail "imports from a non-system DLL: $name"
done < <(awk '/DLL Name:/{print $3}' <<<"$dump")

# Calling conventions. A standard form cleans its own arguments and returns
# with "ret $N", N being 4 bytes per argument; an HM twin leaves them to its
# caller and returns with a plain "ret". Arguments per export, as the host's
# declarations have them:
conventions='
GetLTVersion             0 stdcall
GetLTMajorVersion        0 stdcall
GetLTMinorVersion        0 stdcall
GetDefaultNumber         1 stdcall
SetDefaultNumber         2 stdcall
DefaultNumberDlg         2 stdcall
GetWholeSetting          7 stdcall
GetWholeSettingGL        4 stdcall
SetDefaultWholeSetting   5 stdcall
LumoMultiLines           4 stdcall
LumoClipBoard            4 stdcall
LumoClipBoardGL          1 stdcall
BindLines                2 stdcall
BindClipBoard            1 stdcall
BindClipBoardGL          0 stdcall
SetupDlgDirect           4 stdcall
RegSelDlg                2 stdcall
SetLumoPropertyGL        4 stdcall
IndPropDlg               4 stdcall
IndPropDlgGL             1 stdcall
GetLTVersionHM           0 cdecl
GetLTMajorVersionHM      0 cdecl
GetLTMinorVersionHM      0 cdecl
GetDefaultNumberHM       1 cdecl
SetDefaultNumberHM       2 cdecl
DefaultNumberDlgHM       2 cdecl
GetWholeSettingGLHM      4 cdecl
SetDefaultWholeSettingHM 4 cdecl
LumoClipBoardGLHM        2 cdecl
BindClipBoardGLHM        0 cdecl
RegSelDlgHM              2 cdecl
SetLumoPropertyGLHM      4 cdecl
IndPropDlgGLHM           1 cdecl
'
# CONVENTIONS_OVERRIDE="Name args convention" replaces one row, so that the
# check itself can be shown to fail (scripts/check-dll.sh DLL with a wrong row).
if [[ -n ${CONVENTIONS_OVERRIDE:-} ]]; then
  read -r oname _ _ <<<"$CONVENTIONS_OVERRIDE"
  conventions=$(awk -v n="$oname" '$1 != n' <<<"$conventions"; echo "$CONVENTIONS_OVERRIDE")
fi
table_names=$(awk 'NF {print $1}' <<<"$conventions" | sort)
[[ "$table_names" == "$(awk '{print $2}' <<<"$expected" | sort)" ]] \
  || fail "the calling-convention table and the definition file name different exports:
$(diff <(echo "$table_names") <(awk '{print $2}' <<<"$expected" | sort) || true)"

# Entry points: "ordinal RVA" from the export address table, joined to names.
image_base=$(awk '/^ImageBase/{print $2; exit}' <<<"$dump")
entries=$(sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\] +base\[[[:space:]]*\([0-9]*\)\] \([0-9a-f]*\) Export RVA.*/\1 \2/p' <<<"$dump")
rows=$(awk -v base="0x$image_base" '
  function hex(s,  i, n) { n = 0; s = tolower(s); sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n }
  FILENAME == ARGV[1] { rva[$1] = $2; next }
  FILENAME == ARGV[2] { ordinal[$2] = $1; next }
  NF == 3 && ($1 in ordinal) { o = ordinal[$1]
    printf "%s %d %s %.0f\n", $1, $2, $3, (o in rva) ? hex(base) + hex(rva[o]) : -1 }
' <(echo "$entries") <(echo "$actual") <(echo "$conventions"))

# Every way each entry point leaves: its "ret" instructions, and those of the
# functions it jumps to (a thunk that tail-jumps to its sibling returns with
# the sibling's "ret"). A function ends at the next symbol or, without
# symbols, at a return or jump that no branch inside it reaches beyond.
disassembly=$($objdump -d --no-show-raw-insn "$dll")
verdicts=$(awk '
  function hex(s,  i, n) { n = 0; s = tolower(s); sub(/^0x/, "", s)
    for (i = 1; i <= length(s); i++) n = n * 16 + index("0123456789abcdef", substr(s, i, 1)) - 1
    return n }
  # Adds to exits the ways out of the function at address start.
  function walk(start, depth,   i, k, limit, a, word, n, m, target) {
    if (depth > 6 || (start in seen)) return
    seen[start] = 1
    if (!(start in index_of)) { exits = exits " no-code@" sprintf("%x", start); return }
    limit = start
    for (i = index_of[start]; i <= count; i++) {
      a = addr[i]
      if (a != start && (a in label)) break
      n = split(insn[i], word, /[ \t,]+/)
      k = (word[1] == "repz" || word[1] == "rep" || word[1] == "bnd" || word[1] == "notrack") ? 2 : 1
      m = word[k]
      # A direct target reads "680c14b0 <symbol>" or, without symbols, "0x680c14b0".
      target = (word[k + 1] ~ /^(0x)?[0-9a-f]+$/) ? hex(word[k + 1]) : -1
      if (m ~ /^ret[lnw]?$/) {
        exits = exits " " (match(insn[i], /\$0x[0-9a-f]+/) ? hex(substr(insn[i], RSTART + 1)) : 0)
        if (a >= limit) break
      } else if (m ~ /^jmp/) {
        if (insn[i] ~ /\*/) { exits = exits " indirect@" sprintf("%x", a); if (a >= limit) break; continue }
        if (target in label || target < start) { walk(target, depth + 1); if (a >= limit) break }
        else if (target > a) { if (target > limit) limit = target }
        else if (a >= limit) break
      } else if (m ~ /^j/ && target >= 0) {
        if (target in label && target != start || target < start) walk(target, depth + 1)
        else if (target > limit) limit = target
      }
    }
  }
  FILENAME == ARGV[1] {
    if ($0 ~ /^[0-9a-f]+ <.*>:$/) { label[hex($1)] = 1; next }
    if ($0 ~ /^[ \t]*[0-9a-f]+:\t/) {
      a = $0; sub(/:.*/, "", a); gsub(/[ \t]/, "", a)
      t = $0; sub(/^[^\t]*\t/, "", t)
      count++; addr[count] = hex(a); insn[count] = t; index_of[hex(a)] = count
    }
    next
  }
  {
    delete seen; exits = ""
    if ($4 >= 0) walk($4, 0)
    print $1, $2, $3, (exits == "" ? " none" : exits)
  }
' <(echo "$disassembly") <(echo "$rows"))
# CHECK_DLL_VERBOSE=1 lists each export with the stack bytes its exits remove.
[[ -n ${CHECK_DLL_VERBOSE:-} ]] && echo "$verdicts" >&2
while read -r name args convention exits; do
  [[ -n $name ]] || continue
  if [[ $convention == stdcall ]]; then want=$((4 * args)); else want=0; fi
  [[ $want -eq 0 ]] && wanted="a plain ret" || wanted="ret \$$want"
  bad=$(tr ' ' '\n' <<<"$exits" | awk -v w="$want" 'NF && $1 != w' | sort -u | tr '\n' ' ')
  if [[ $exits == none || -n $bad ]]; then
    found=$(tr ' ' '\n' <<<"$exits" | sort -u \
      | awk 'NF {print ($1 ~ /^[0-9]+$/) ? ($1 == 0 ? "ret" : "ret $" $1) : $1}' | paste -sd, -)
    fail "$name ($convention, $args argument(s)) must return with $wanted; it leaves with: $found"
  fi
done <<<"$verdicts"
[[ $(grep -c . <<<"$verdicts") -eq $(grep -c . <<<"$table_names") ]] \
  || fail "the calling conventions of some exports were not checked"

# Dialogs: the seven templates every dialog and sheet page is created from,
# each in the font the templates name, and comctl32's CreateUpDownControl
# (16) and InitCommonControls (17) imported by ordinal.
check_dialogs() {
  local resources comctl32 name ordinal earlier=$failed
  failed=0
  local font='FONT 9, L"\xff2d\xff33 \xff30\x30b4\x30b7\x30c3\x30af"'  # ＭＳ Ｐゴシック
  if ! resources=$(i686-w64-mingw32-windres -i "$dll" -O rc 2>&1); then
    fail "windres cannot read the resources: $resources"
    return
  fi
  for name in INDENTDLG MANUALINDENTDLG FOLDPOSDLG HEADERDLG RESETDLG REGSELDLG INDPROPDLG; do
    grep -q "^\"$name\" DIALOG" <<<"$resources" || fail "no dialog template $name"
  done
  [[ $(grep -cF "$font" <<<"$resources") -eq 7 ]] \
    || fail "not every dialog template uses the font ＭＳ Ｐゴシック at 9 points"
  comctl32=$(awk '/DLL Name:/ {in_comctl = tolower($3) == "comctl32.dll"} in_comctl' <<<"$dump")
  for ordinal in 80000010 80000011; do
    grep -qE "^[[:space:]]*$ordinal[[:space:]]" <<<"$comctl32" \
      || fail "comctl32 ordinal $((16#${ordinal:4})) is not imported by ordinal"
  done
  [[ $failed -eq 0 ]] && echo "check-dll: $dll: seven dialog templates, comctl32 16 and 17 by ordinal: ok"
  failed=$((earlier || failed))
}
check_dialogs

[[ $failed -eq 0 ]] && echo "check-dll: $dll: $(wc -l <<<"$expected") exports, system imports only, calling conventions as declared: ok"
exit $failed
