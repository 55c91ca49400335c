#!/usr/bin/env bash
# Formats the Japanese documentation that Debian ships in UTF-8 (manual pages
# rendered at each width, the FAQ, the New Maintainers' Guide) with preset 0
# and checks that every one formats with status 0 and keeps its bytes: the
# output less the blanks and line breaks the tool added is the input.
# Usage: scripts/check-japanese-docs.sh LUMOTEXT [EVERY [WIDTH...]]
#   EVERY: take every EVERY-th manual page (1, the default, takes all)
set -euo pipefail
tool=${1:?usage: check-japanese-docs.sh LUMOTEXT [EVERY [WIDTH...]]}
every=${2:-1}
widths=("${@:3}")
[[ ${#widths[@]} -gt 0 ]] || widths=(80 200)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Blanks and line breaks, the only bytes formatting adds with preset 0.
strip() { sed 's/\xe3\x80\x80//g' "$1" | tr -d ' \r\n'; }

checked=0
failed=0
check() {  # NAME FILE FOLD
  local name=$1 text=$2 fold=$3
  if ! "$tool" format --preset 0 --fold "$fold" "$text" >"$work/out" 2>"$work/err"; then
    echo "FAIL $name (fold $fold): $(head -c 300 "$work/err")"
    failed=$((failed + 1))
  elif ! cmp -s <(strip "$text") <(strip "$work/out"); then
    echo "FAIL $name (fold $fold): bytes changed"
    failed=$((failed + 1))
  fi
  checked=$((checked + 1))
}

i=0
for page in /usr/share/man/ja/man*/*; do
  i=$((i + 1))
  (( (i - 1) % every == 0 )) || continue
  for width in "${widths[@]}"; do
    # A page that groff cannot render in time is skipped (one hangs at some widths).
    MANWIDTH=$width timeout 20 man -E UTF-8 -l "$page" </dev/null 2>/dev/null | col -bx >"$work/page" || true
    [[ -s $work/page ]] || continue
    check "${page#/usr/share/man/ja/}@$width" "$work/page" "$width"
  done
done
for guide in /usr/share/doc/debian/FAQ/debian-faq.ja.txt.gz /usr/share/doc/maint-guide-ja/maint-guide.ja.txt.gz; do
  [[ -f $guide ]] || continue
  zcat "$guide" >"$work/guide"
  for fold in 40 70; do check "${guide##*/}" "$work/guide" "$fold"; done
done
echo "$((checked - failed)) passed, $failed failed"
[[ $failed -eq 0 && $checked -gt 0 ]]
