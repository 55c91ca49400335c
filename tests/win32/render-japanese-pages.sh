#!/usr/bin/env bash
# Renders COUNT of Debian's Japanese manual pages, spread over all of them,
# to UTF-8 text in FOLDER (NAME.txt each), for the tests of Lumotext.dll on
# a UTF-8 code page. A machine without them gets an empty folder.
# Usage: render-japanese-pages.sh FOLDER [COUNT]
set -euo pipefail
folder=${1:?usage: render-japanese-pages.sh FOLDER [COUNT]}
count=${2:-40}
rm -rf "$folder"
mkdir -p "$folder"
pages=(/usr/share/man/ja/man*/*)
[[ -e ${pages[0]} ]] || { echo "no Japanese manual pages"; exit 0; }
step=$(( ${#pages[@]} / count > 0 ? ${#pages[@]} / count : 1 ))
rendered=0
for ((i = 0; i < ${#pages[@]} && rendered < count; i += step)); do
  page=${pages[i]}
  name=$(basename "${page%.gz}")
  # A page that groff cannot render in time is left out.
  MANWIDTH=80 timeout 20 man -E UTF-8 -l "$page" </dev/null 2>/dev/null | col -bx >"$folder/$name.txt" || true
  if [[ -s $folder/$name.txt ]]; then rendered=$((rendered + 1)); else rm -f "$folder/$name.txt"; fi
done
echo "$rendered pages in $folder"
