#!/usr/bin/env bash
# Builds a Shift-JIS benchmark corpus of real Japanese prose from Debian's
# Japanese reference manual: paragraphs joined into long logical lines (CR LF),
# characters that code page 932 lacks dropped, repeated to the size asked.
# Usage: scripts/make-corpus.sh OUTPUT [MEGABYTES]
set -euo pipefail
out=${1:?usage: make-corpus.sh OUTPUT [MEGABYTES]}
megabytes=${2:-8}
source=/usr/share/debian-reference/debian-reference.ja.txt.gz
[[ -f $source ]] || { echo "make-corpus: $source is missing (apt-get install debian-reference-ja)" >&2; exit 1; }

mkdir -p "$(dirname "$out")"
one=$(mktemp)
trap 'rm -f "$one"' EXIT
# Consecutive non-empty lines form one paragraph; leading blanks of the
# joined lines go, the first line keeps its indent.
zcat "$source" \
  | awk 'NF == 0 { if (p != "") print p; print ""; p = ""; next }
         { line = $0
           if (p == "") { p = line; next }
           sub(/^[ \t]+/, "", line)
           # English words keep the space that the line break stood for.
           if (p ~ /[A-Za-z0-9,.;:)]$/ && line ~ /^[A-Za-z0-9(]/) p = p " "
           p = p line }
         END { if (p != "") print p }' \
  | iconv -c -f UTF-8 -t CP932 | sed 's/$/\r/' > "$one"

target=$((megabytes * 1024 * 1024))
: > "$out"
while [[ $(stat -c %s "$out") -lt $target ]]; do cat "$one" >> "$out"; done
truncate -s "$target" "$out"
# Cut back to the end of the last whole line.
python3 - "$out" <<'PY'
import sys
path = sys.argv[1]
data = open(path, 'rb').read()
open(path, 'wb').write(data[:data.rfind(b'\r\n') + 2])
PY
