#!/usr/bin/env bash
# Writes a man page from the built tool's own help, so that the page and
# --help cannot disagree: lumotext(1) from "lumotext --help", lumotext-CMD(1)
# from "lumotext CMD --help". Usage: make-manpage.sh TOOL CMD|- INCLUDE OUT
set -euo pipefail
tool=$1 command=$2 include=$3 out=$4
[[ $command == - ]] && command=""

# help2man continues an option's description only on lines indented exactly
# like its first line; the value lists nested under an option (--preset's
# 0, 1, 2) go deeper. Inside the option list they are brought back to the
# description column, so the page keeps every word of the help, and each
# item of such a list ("0  items and ...") is marked, to become an indented
# paragraph of its own below instead of running into the others. Examples,
# one a line, would be filled into one paragraph; a blank line between them
# keeps each on its own. Further usage lines, lined up under the first,
# take the "or:" by which help2man knows them for the synopsis.
help_of() {
  "$tool" ${command:+"$command"} --help | awk '
    /^Usage: / { in_usage = 1; print; next }
    in_usage && /^       [^ ]/ { sub(/^       /, "    or: "); print; next }
    { in_usage = 0 }
    /^Examples?:$/ { in_examples = 1; print; next }
    in_examples && /^  [^ ]/ { if (examples++) print ""; print; next }
    /^Options:$/ { in_options = 1; print; next }
    in_options && /^$/ { in_options = 0 }
    in_options && /^                         +[^ ]+  +[^ ]/ {
      sub(/^ +/, ""); key = $1; sub(/^[^ ]+ +/, "")
      print "                        LUMOTEXTITEM" key "LUMOTEXTITEM " $0; next }
    in_options && /^                         +[^ ]/ { sub(/^ +/, "                        ") }
    { print }'
}

# help2man runs the program it documents; a wrapper in a scratch folder
# gives it the filtered help and the tool's version under the page's name.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
version=$("$tool" --version | awk '{print $2; exit}')
name=lumotext${command:+-$command}
help_of >"$scratch/help.txt"
printf '#!/bin/sh\ncase "$1" in --version) echo "%s %s" ;; *) cat "%s" ;; esac\n' \
  "$name" "$version" "$scratch/help.txt" >"$scratch/$name"
chmod +x "$scratch/$name"

if [[ -n $command ]]; then
  summary=$("$tool" help | awk -v c="$command" '$1 == c { $1 = ""; sub(/^ +/, ""); print; exit }')
else
  summary="reformat Japanese plain text"
fi
# help2man sets its own locale, "C" unless told: every character beyond
# ASCII would become "?".
LC_ALL=C.UTF-8 help2man --locale=C.UTF-8 --no-info --no-discard-stderr --section=1 \
  --name="$summary" --include="$include" --source="Lumotext $version" \
  "$scratch/$name" >"$scratch/page"

# Every character beyond ASCII becomes groff's \[uXXXX], which every roff
# renders in any locale, whatever encoding it expects of a page; lines are
# measured as written so, as mandoc measures them. Two things mandoc -Tlint
# objects to: help2man's "December 2026" date, which becomes 2026-12-08
# (SOURCE_DATE_EPOCH, when set, gives the day as it gives help2man the
# month), and text lines of a whole paragraph, folded here at spaces. A tag
# line after .TP stays whole, and a word that would begin a line with a roff
# control character is escaped. A marked list item becomes .IP inside .RS,
# ended by .RE before the next request.
day=$(date -u ${SOURCE_DATE_EPOCH:+-d "@$SOURCE_DATE_EPOCH"} +%Y-%m-%d)
perl -CSD -pe 's/([^\x00-\x7F])/sprintf("\\[u%04X]", ord($1))/ge' "$scratch/page" |
  LC_ALL=C awk -v day="$day" '
  /^\.TH / { sub(/"[A-Z][a-z]+ [0-9]+"/, "\"" day "\"") }
  /^LUMOTEXTITEM/ {
    if (!in_list) print ".RS"
    in_list = 1; split($0, part, "LUMOTEXTITEM"); sub(/^ /, "", part[3])
    print ".IP " part[2] " 4"; $0 = part[3]
  }
  /^\./ && in_list && !/^\.IP / { print ".RE"; in_list = 0 }
  /^[.\047]/ || after_tp || length($0) <= 80 { after_tp = /^\.TP/; print; next }
  {
    line = ""; n = split($0, word, / /)
    for (i = 1; i <= n; i++) {
      w = word[i]
      if (line != "" && length(line) + 1 + length(w) > 78) { print line; line = "" }
      if (line == "" && w ~ /^[.\047]/) w = "\\&" w
      line = line == "" ? w : line " " w
    }
    if (line != "") print line
  }' >"$out.tmp"
mv "$out.tmp" "$out"
