#!/usr/bin/env bash
# Builds a benchmark corpus of Debian's Japanese manual pages as a user reads
# them: every page of the manpages-ja package rendered by man at width 80
# (overstrikes and escapes removed with col -bx), in file name order, LF line
# ends, repeated to at least the size asked and cut at the end of a line.
# Writes the UTF-8 rendering and its Shift-JIS copy (iconv -c to CP932: what
# code page 932 lacks is dropped), each repeated on its own to the size.
# Pages that only point at another page (.so) and links are left out: they
# would repeat that page.
# UTF8-OUTPUT.about records the number of pages and the size of one
# rendering in each encoding, for the report.
# Usage: scripts/make-manpages-corpus.sh UTF8-OUTPUT SJIS-OUTPUT [MEGABYTES]
set -euo pipefail
utf8_out=${1:?usage: make-manpages-corpus.sh UTF8-OUTPUT SJIS-OUTPUT [MEGABYTES]}
sjis_out=${2:?usage: make-manpages-corpus.sh UTF8-OUTPUT SJIS-OUTPUT [MEGABYTES]}
megabytes=${3:-256}
pages=/usr/share/man/ja

for tool in man col iconv dpkg-query; do
  command -v "$tool" >/dev/null || { echo "make-manpages-corpus: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done
dpkg-query -W -f='${Status}' manpages-ja 2>/dev/null | grep -q 'install ok installed' ||
  { echo "make-manpages-corpus: manpages-ja is missing (scripts/install-deps.sh bench)" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The package's own pages, real files only, the pointer pages left out.
dpkg-query -L manpages-ja | grep "^$pages/man[0-9]/.*\.gz\$" | sort | while read -r page; do
  [[ -f $page && ! -L $page ]] || continue
  zcat "$page" | head -c 400 | grep -q '^\.so ' && continue
  echo "$page"
done > "$scratch/pages"

# One page rendered as man shows it in an 80-column UTF-8 terminal. The
# pages are rendered two at a time; each goes to its own file, numbered in
# name order, so the concatenation does not depend on which finished first.
render() {
  local number=$1 page=$2
  LC_ALL=C.UTF-8 MANWIDTH=80 MAN_KEEP_FORMATTING= man -l "$page" 2>/dev/null | col -bx > "$scratch/page-$number.txt"
}
export -f render
export scratch
nl -ba -w6 -nrz "$scratch/pages" | xargs -P "$(nproc)" -L 1 bash -c 'render "$1" "$2"' _
find "$scratch" -name 'page-*.txt' | sort | xargs cat > "$scratch/one.utf8.txt"
[[ -s $scratch/one.utf8.txt ]] || { echo "make-manpages-corpus: no page rendered" >&2; exit 1; }
iconv -c -f UTF-8 -t CP932 "$scratch/one.utf8.txt" > "$scratch/one.sjis.txt" || true

# Repeats ONE to at least MEGABYTES MiB in OUT, ending with the line that
# passes that size.
repeat() {
  local one=$1 out=$2 target=$((megabytes * 1024 * 1024))
  mkdir -p "$(dirname "$out")"
  : > "$out.partial"
  while [[ $(stat -c %s "$out.partial") -lt $target ]]; do cat "$one" >> "$out.partial"; done
  python3 - "$out.partial" "$target" <<'PY'
import sys
path, target = sys.argv[1], int(sys.argv[2])
with open(path, 'r+b') as f:
    f.seek(target - 1)
    rest = f.read(1 << 20)
    end = rest.find(b'\n')
    if end >= 0:
        f.truncate(target + end)
PY
  mv "$out.partial" "$out"
}
repeat "$scratch/one.utf8.txt" "$utf8_out"
repeat "$scratch/one.sjis.txt" "$sjis_out"
{
  echo "pages $(wc -l < "$scratch/pages")"
  echo "rendering_utf8 $(stat -c %s "$scratch/one.utf8.txt")"
  echo "rendering_sjis $(stat -c %s "$scratch/one.sjis.txt")"
  echo "manpages_ja $(dpkg-query -W -f='${Version}' manpages-ja)"
} > "$utf8_out.about"
