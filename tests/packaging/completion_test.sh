#!/usr/bin/env bash
# The bash completion, loaded into bash as bash-completion loads it and
# driven the way bash drives it: COMP_WORDS and COMP_CWORD set for a command
# line (split at '=' as COMP_WORDBREAKS splits it), then the function that
# complete -p names. Usage: completion_test.sh PATH-TO-LUMOTEXT
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/checks.sh"
tool_dir=$(cd "$(dirname "$1")" && pwd)
export PATH=$tool_dir:$PATH LUMOTEXT_REGISTRY=$(mktemp -u)
source "$here/../../packaging/completion/lumotext"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/memo.txt" "$work/memo-2.txt"

check "complete -p names the function" grep -qx 'complete -F _lumotext lumotext' <(complete -p lumotext)

# words|the completions expected, sorted. The last word is the one being
# completed ("" after a space); "=" stands alone as bash splits it.
cases="
lumotext ''|bind format help slot
lumotext f|format
lumotext --v|--version
lumotext help ''|bind format slot
lumotext format --pr|--preset
lumotext format -|--ambiguous --check --encoding --fold --force-encoding --hang --help --in-place --output --preset --reflow --rules --slot --split-links --strict --tab --vendor --version --width -h -i -o -w
lumotext bind --fol|--fold
lumotext slot --|--help --title --vendor --version
lumotext format --preset ''|0 1 2
lumotext format --encoding ''|auto euc-jp iso-2022-jp sjis utf-8
lumotext format --encoding u|utf-8
lumotext format --encoding e|euc-jp
lumotext format --ambiguous n|narrow
lumotext format --rules ''|classic loose normal strict
lumotext format --encoding = ''|auto euc-jp iso-2022-jp sjis utf-8
lumotext format --encoding = s|sjis
lumotext format --preset =|0 1 2
lumotext format --encoding=s|--encoding=sjis
lumotext bind --slot 1|1 10
lumotext format --fold ''|
lumotext format --tab 8 --preset ''|0 1 2
lumotext format --fold = 60 --preset ''|0 1 2
lumotext format -o $work/memo-|$work/memo-2.txt
lumotext format --output=$work/memo-|--output=$work/memo-2.txt
lumotext format $work/memo|$work/memo-2.txt $work/memo.txt
lumotext slot ''|default list preset set show title
lumotext slot --vendor Acme s|set show
lumotext slot show ''|0 1 10 2 3 4 5 6 7 8 9
lumotext slot preset 3 ''|0 1 2
lumotext slot list ''|
lumotext slot set 3 fold.fold|fold.foldnum_from_head fold.foldnum_from_tail
lumotext slot set 3 indent.indent_string-|$(echo indent.indent_string-{0..9})
"
completes() {
    local expected=$2 got
    eval "COMP_WORDS=($1)"
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    _lumotext lumotext "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD-1]}"
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sed '/^$/d' | LC_ALL=C sort | paste -sd' ')
    [[ $got == "$expected" ]] || { echo "got:      '$got'"; echo "expected: '$expected'"; false; }
}
while IFS='|' read -r words expected; do
    [[ -z $words ]] && continue
    expected=$(eval "echo $expected" | tr ' ' '\n' | LC_ALL=C sort | paste -sd' ')
    check "$words" completes "$words" "$expected"
done <<<"$cases"
finish
