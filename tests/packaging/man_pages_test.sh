#!/usr/bin/env bash
# The man pages written at build time: man renders each without a warning,
# mandoc -Tlint finds nothing, lexgrog reads the NAME line that whatis and
# apropos index, and each page lists every option its --help lists, so that
# a page written by a broken generator cannot pass for one.
# Usage: man_pages_test.sh BUILD-DIR
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
build=$(cd "$1" && pwd)
tool=$build/lumotext
export LC_ALL=C.UTF-8 MANWIDTH=80

# page, the command whose help it shows ("-" for the program), and what its
# NAME line says after the page name.
pages="
lumotext         -       reformat Japanese plain text
lumotext-format  format  fold the lines of a text (UTF-8 or Shift-JIS)
lumotext-bind    bind    join folded lines back into one line (the reverse of format)
lumotext-slot    slot    list, show and change the setting slots of the settings store
"
renders() {
    local errors
    errors=$(man -l "$1" 2>&1 >"$2") || { echo "man failed: $errors"; return 1; }
    [[ -z $errors ]] || { echo "$errors"; return 1; }
    grep -q '^NAME' "$2" && grep -q '^SYNOPSIS' "$2" && grep -q '^OPTIONS\|^DESCRIPTION' "$2"
}
lint_clean() { local found; found=$(mandoc -Tlint "$1" 2>&1); [[ -z $found ]] || { echo "$found"; false; }; }
whatis_line() { lexgrog "$1" | grep -qxF "$1: \"$2\"" || { lexgrog "$1"; false; }; }
# The options of the help, as "--name" words; each must appear in the page.
lists_every_option() {
    local help=$1 rendered=$2 option missing=""
    for option in $(awk '/^Options:$/ {on = 1; next} on && /^$/ {on = 0}
                         on && /^  +-/ { for (i = 1; i <= NF; i++) { w = $i; sub(/,$/, "", w)
                             if (w ~ /^-/) print w; else break } }' "$help"); do
        grep -qE -- "(^|[ ,])$option([ ,=]|$)" "$rendered" || missing+=" $option"
    done
    [[ -z $missing ]] || { echo "missing:$missing"; false; }
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
while read -r page command summary; do
    [[ -z $page ]] && continue
    file=$build/man/$page.1
    check "$page: written" test -s "$file"
    check "$page: man -l renders it" renders "$file" "$work/$page.txt"
    check "$page: mandoc -Tlint" lint_clean "$file"
    check "$page: lexgrog" whatis_line "$file" "$page - $summary"
    if [[ $command == - ]]; then "$tool" --help; else "$tool" "$command" --help; fi >"$work/$page.help"
    check "$page: every option of --help" lists_every_option "$work/$page.help" "$work/$page.txt"
done <<<"$pages"
check "lumotext.1: lists the commands" grep -q 'format.*fold the lines' "$work/lumotext.txt"

# Former bugs: help2man ran in the C locale and wrote "?" for every Japanese
# character, and the values nested under an option ran into one paragraph.
check "lumotext-format.1: Japanese is rendered" grep -qE '、。，．｡､ +hang' "$work/lumotext-format.txt"
check "lumotext-slot.1: Japanese is rendered" grep -qF '設定済み' "$work/lumotext-slot.txt"
no_question_marks() { ! grep -n '??' "$1"; }
for page in lumotext lumotext-format lumotext-bind lumotext-slot; do
    check "$page: no character became '?'" no_question_marks "$work/$page.txt"
done
# Each preset on a line of its own, its text beside it.
item_line() { grep -qE "^ +$2 +$3" "$work/$1.txt" || { sed -n '/--preset/,/--slot/p' "$work/$1.txt"; false; }; }
check "lumotext-format.1: preset 0 is an item" item_line lumotext-format 0 'items and paragraphs'
check "lumotext-format.1: preset 1 is an item" item_line lumotext-format 1 'as 2, but quoted lines'
check "lumotext-format.1: preset 2 is an item" item_line lumotext-format 2 'items, paragraphs, quotes'
check "lumotext-format.1: the encodings are items" item_line lumotext-format euc-jp 'EUC-JP, formatted'
check "lumotext-format.1: ISO-2022-JP is an item" grep -qE '^ +iso-2022-jp$' "$work/lumotext-format.txt"
# Every usage line of --help belongs to the synopsis, not to the description.
synopsis_has() { sed -n '/^SYNOPSIS/,/^DESCRIPTION/p' "$work/$1.txt" | grep -qF -- "$2"; }
check "lumotext.1: synopsis has 'lumotext help [COMMAND]'" synopsis_has lumotext 'lumotext help [COMMAND]'
check "lumotext.1: synopsis has 'lumotext --help | --version'" synopsis_has lumotext 'lumotext --help | --version'
check "lumotext-slot.1: synopsis" synopsis_has lumotext-slot 'lumotext slot [OPTIONS] ACTION [ARGUMENTS]'
finish
