#!/usr/bin/env bash
# Runs "lumotext slot" as a user would: presets stored and shown, one value
# changed and nothing else, flags by name and number, Japanese texts in UTF-8
# or Shift-JIS stored in Shift-JIS, titles, the default slot, bad numbers and
# fields, a store that is no database, and two processes writing at once.
# Usage: bash slot_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/harness.sh" "$@"
export LC_ALL=C.UTF-8
# The changed lines between two files, as "-old" and "+new".
changes() { diff "$1" "$2" | grep '^[<>]' | sed -e 's/^< /-/' -e 's/^> /+/'; }
# Every value row of the store, for checking what a command wrote.
dump_store() {
    sqlite3 "$store" "SELECT v.key, CAST(v.name AS TEXT), v.type, hex(v.data) FROM reg_values v ORDER BY 1, 2"
}
have_sqlite3() { command -v sqlite3 >/dev/null; }

# ---- Help ----------------------------------------------------------------

for args in "slot --help" "help slot" "slot -h"; do
    begin "lumotext $args"
    run $args
    expect_status 0
    for text in "Usage: lumotext slot [OPTIONS] ACTION [ARGUMENTS]" "--vendor V" "--title T" --version \
        "list " "show N" "preset N P" "set N FIELD VALUE" "title N TITLE" "default [N]" \
        indent.styles indent.indent_string_property-9 fold.chars_for_wordwrap header.headerdelimiter \
        STYLE_STRIP_HEAD_SPACE SUB_BLANK_NARROW INDSTR_NEED_BLANK TAIL_FOLLOW_WIDTH WRAP_ALNUM_PLUS \
        HEADER_DELIM_EXACT "\\xHH" LUMOTEXT_REGISTRY "Exit status" Examples: "lumotext slot set 3"; do
        expect_stdout_has "$text"
    done
done

# ---- Reading an empty store writes nothing ---------------------------------

begin "list on a store that does not exist"
run slot list
expect_status 0
expect_stderr_empty
expect_line " 1  (no title)  (empty)"
expect_line "10  (no title)  (empty)"
expect_line "default slot: none"
if [ "$(grep -c '(empty)' "$out")" -eq 10 ]; then pass; else fail "not ten empty slots"; fi

begin "show and default on a store that does not exist"
run slot show 3
expect_status 0
expect_line "indent.*: missing (the slot has no indent settings)"
expect_line "fold.*: missing (the slot has no fold settings)"
expect_line "header.*: missing (the slot has no header settings)"
expect_stdout_has "store a preset with: lumotext slot preset 3 2"
run slot default
expect_status 0
expect_line "none"
if [ ! -e "$store" ]; then pass; else fail "reading created the settings store"; fi

# ---- Usage errors: status 2, nothing stored --------------------------------

usage_error() {  # EXPECTED-TEXT ARGS...
    local expected=$1
    shift
    begin "usage error: lumotext $*"
    run "$@"
    expect_status 2
    expect_stdout_empty
    expect_stderr_has "$expected"
    expect_stderr_has "lumotext slot --help"
}
usage_error "no action given; the actions are list, show, preset, set, title, default" slot
usage_error "unknown action 'lst'" slot lst
usage_error "usage: lumotext slot show N" slot show
usage_error "usage: lumotext slot set N FIELD VALUE" slot set 3 indent.styles
usage_error "usage: lumotext slot list" slot list 3
usage_error "'11' is not a slot number from 0 to 10" slot show 11
usage_error "'x' is not a slot number" slot show x
usage_error "'0' is not a slot number from 1 to 10" slot set 0 indent.styles 1
usage_error "'11' is not a slot number from 1 to 10" slot set 11 indent.styles 1
usage_error "'-3' is not a slot number" slot title -- -3 x
usage_error "'0' is not a slot number from 1 to 10" slot preset 0 2
usage_error "'3' is not a preset number from 0 to 2" slot preset 3 3
usage_error "'0' is not a slot number from 1 to 10" slot default 0
usage_error "'11' is not a slot number from 1 to 10" slot default 11
usage_error "'indent.styl' is not a field; did you mean 'indent.styles'?" slot set 3 indent.styl 1
usage_error "'wraptype' is not a field; did you mean 'fold.wraptype'?" slot set 3 wraptype 1
usage_error "'fold.foldnum' is not a field" slot set 3 fold.foldnum 60
usage_error "indent.styles: 'WRAP_HANG' is not one of its flags; give flags (STYLE_INDENT," \
    slot set 3 indent.styles 'STYLE_INDENT|WRAP_HANG'
usage_error "a flag name or number is missing between the '|'" slot set 3 fold.wraptype 'WRAP_HANG||1'
usage_error "'0x1G' is not a number" slot set 3 fold.wraptype '0x1G'
usage_error "fold.maxmove_leftwise: '-1' is not a number from 0 to 4294967295" \
    slot set 3 fold.maxmove_leftwise -- -1
usage_error "'4294967296' is not a number" slot set 3 fold.foldnum_from_head 4294967296
usage_error "'0x100000000' is not a number" slot set 3 fold.foldnum_from_head 0x100000000
usage_error "--title belongs to 'lumotext slot preset'" slot set 3 fold.wraptype 1 --title x
usage_error "--vendor: a vendor name cannot contain a backslash" slot list --vendor 'a\b'
usage_error "unknown option '--slot' for 'slot'" slot list --slot 3
if [ ! -e "$store" ]; then pass; else fail "a usage error created the settings store"; fi

# ---- preset, show, set, show -----------------------------------------------

begin "preset then show"
run slot preset 3 2
expect_status 0
expect_line 'slot 3: preset 2 stored, title "設定済み"'
run slot show 3
expect_status 0
expect_stderr_empty
cp "$out" "$work/show-preset2"
expect_line 'title = "設定済み"'
expect_line "indent.styles = STYLE_INDENT|STYLE_QUOTE|STYLE_EMPHA|STYLE_ITEMIZE|STYLE_PARAGRAPH|STYLE_INDENT_STRINGS|STYLE_STRIP_HEAD_SPACE"
expect_line "indent.sub_styles = SUB_ITEM_END_SPACE|SUB_ITEM_NO_PARAGRAPH|SUB_PARAGRAPH_WIDE_SPACE|SUB_BLANK_WIDE|SUB_BLANK_NARROW"
expect_line 'indent.chars_for_quote = ">|》｜"'
expect_line 'indent.chars_for_itemize_end = ".)．）"'
expect_line 'indent.indent_string-9 = ""'
expect_line "indent.indent_string_property-0 = 0"
expect_line "fold.foldnum_from_head = 70"
expect_line "fold.foldnum_from_tail = 5"
expect_line "fold.tailwrap_flag = TAIL_WORDWRAP|TAIL_KINSOKU"
expect_line "fold.wraptype = WRAP_PUSH_OUT|WRAP_ALNUM"
expect_line "fold.maxmove_leftwise = 20"
expect_line "fold.maxmove_rightwise = 3"
expect_line 'fold.chars_not_for_tail = "‘“（〔［｛〈《「『【￥＄$([\\{｢([{｢"'
expect_line "header.lumoheader = HEADER_DELIM_EMPTY_LINE|HEADER_DELIM_EXACT"
expect_line 'header.headerdelimiter = ""'
expect_stdout_lacks "missing"
# The title and the 39 stored values.
if [ "$(grep -c ' = ' "$out")" -eq 40 ]; then pass; else fail "$(grep -c ' = ' "$out") lines with a value, expected 40"; fi

begin "slot 0 shows preset 2"
run slot show 0
expect_status 0
expect_line "slot 0 is preset 2; it is not stored"
grep ' = ' "$work/show-preset2" | grep -v '^title' >"$work/values-preset2"
grep ' = ' "$out" >"$work/values-slot0"
expect_same "$work/values-slot0" "$work/values-preset2" "values of slot 0 and of a slot holding preset 2"

begin "preset 1 differs from preset 2 in two values"
run slot preset 4 1 --title "プリセット1"
expect_status 0
run slot show 4
grep ' = ' "$out" | grep -v '^title' >"$work/values-preset1"
changes "$work/values-preset2" "$work/values-preset1" >"$work/changes"
cat >"$work/expected" <<'EOF'
-indent.sub_styles = SUB_ITEM_END_SPACE|SUB_ITEM_NO_PARAGRAPH|SUB_PARAGRAPH_WIDE_SPACE|SUB_BLANK_WIDE|SUB_BLANK_NARROW
+indent.sub_styles = SUB_ITEM_END_SPACE|SUB_ITEM_NO_PARAGRAPH|SUB_PARAGRAPH_WIDE_SPACE|SUB_KEEP_QUOTED|SUB_BLANK_WIDE|SUB_BLANK_NARROW
-header.lumoheader = HEADER_DELIM_EMPTY_LINE|HEADER_DELIM_EXACT
+header.lumoheader = HEADER_NO_FORMAT|HEADER_DELIM_EMPTY_LINE|HEADER_DELIM_EXACT
EOF
expect_same "$work/changes" "$work/expected" "changes from preset 2 to preset 1"

# set_one SLOT FIELD VALUE SHOWN: sets one value; show must differ from the
# show before in exactly that line, and the store in exactly one value.
set_one() {
    local slot=$1 field=$2 value=$3 shown=$4
    begin "set $field '$value'"
    "$tool" slot show "$slot" >"$work/before" 2>/dev/null
    if have_sqlite3; then dump_store >"$work/store-before"; fi
    run slot set -- "$slot" "$field" "$value"
    expect_status 0
    expect_stderr_empty
    expect_stdout_has "slot $slot: $field = $shown (was "
    "$tool" slot show "$slot" >"$work/after" 2>/dev/null
    changes "$work/before" "$work/after" | grep '^+' >"$work/added"
    if [ "$(cat "$work/added")" = "+$field = $shown" ]; then pass; else fail "show changed: $(cat "$work/added")"; fi
    if [ "$(changes "$work/before" "$work/after" | wc -l)" -eq 2 ] ||
        [ "$(changes "$work/before" "$work/after" | wc -l)" -eq 0 ]; then
        pass
    else
        fail "more than one line of show changed"
    fi
    if have_sqlite3; then
        dump_store >"$work/store-after"
        local rows
        rows=$(changes "$work/store-before" "$work/store-after" | grep -c '^+')
        if [ "$rows" -le 1 ]; then pass; else fail "$rows values of the store changed"; fi
    fi
}
set_one 3 fold.maxmove_rightwise 7 7
set_one 3 fold.maxmove_leftwise 0x20 32
set_one 3 fold.foldnum_from_head 4294967295 4294967295
set_one 3 indent.fixed_indent_column 12 12
set_one 3 indent.styles 'STYLE_INDENT|style_quote' 'STYLE_INDENT|STYLE_QUOTE'
set_one 3 indent.styles ' STYLE_QUOTE | 0x100 | 1 ' 'STYLE_INDENT|STYLE_QUOTE|0x100'
set_one 3 indent.styles 0x800000B7 \
    'STYLE_INDENT|STYLE_QUOTE|STYLE_EMPHA|STYLE_ITEMIZE|STYLE_PARAGRAPH|STYLE_INDENT_STRINGS|STYLE_STRIP_HEAD_SPACE'
set_one 3 indent.sub_styles 'SUB_BLANK_TAB|0x80000000' 'SUB_BLANK_TAB|SUB_BLANK_NARROW'
set_one 3 indent.sub_styles 0 0
set_one 3 fold.wraptype 34 'WRAP_HANG|WRAP_ASCII'
set_one 3 fold.tailwrap_flag 0x8007 'TAIL_WORDWRAP|TAIL_KINSOKU|TAIL_FOLLOW_WIDTH|0x8000'
set_one 3 header.lumoheader 'HEADER_NO_FORMAT|HEADER_DELIM_EMPTY_LINE' 'HEADER_NO_FORMAT|HEADER_DELIM_EMPTY_LINE'
set_one 3 indent.indent_string_property-4 INDSTR_NEED_BLANK INDSTR_NEED_BLANK
set_one 3 indent.indent_string_property-9 0x3 'INDSTR_NEED_BLANK|0x2'
set_one 3 indent.chars_for_empha '#＃' '"#＃"'
set_one 3 indent.indent_string-0 '★' '"★"'
set_one 3 indent.indent_string-9 'Re: ' '"Re: "'
set_one 3 fold.chars_for_wordwrap '_-ー' '"_-ー"'
set_one 3 fold.chars_not_for_head '' '""'
set_one 3 header.headerdelimiter '--本文--' '"--本文--"'
set_one 3 indent.indent_string-1 'a\\b\tc\x01' '"a\\b\tc\x01"'
set_one 3 indent.indent_string-2 'ソ表\\' '"ソ表\\"'

begin "a text printed by show reads back through set"
run slot show 3
printed=$(sed -n 's/^indent.indent_string-1 = "\(.*\)"$/\1/p' "$out")
run slot set 3 indent.indent_string-2 "$printed"
expect_status 0
expect_stdout_has 'indent.indent_string-2 = "a\\b\tc\x01"'

begin "texts are stored in Shift-JIS"
if have_sqlite3; then
    stored=$(sqlite3 "$store" "SELECT hex(data) FROM reg_values WHERE CAST(name AS TEXT) = 'indent_string-0'
        AND key IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = 'indent'
                    AND parent IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = '3'))")
    if [ "$stored" = "819A00" ]; then pass; else fail "indent_string-0 is stored as $stored, expected 819A00 (★)"; fi
    stored=$(sqlite3 "$store" "SELECT hex(data) FROM reg_values WHERE CAST(name AS TEXT) = 'indent_string-2'
        AND key IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = 'indent'
                    AND parent IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = '3'))")
    if [ "$stored" = "615C6209630100" ]; then pass; else fail "indent_string-2 is stored as $stored"; fi
else
    echo "skipped: $current (no sqlite3)"
fi

begin "show on a Shift-JIS terminal prints Shift-JIS"
LC_ALL=C "$tool" slot show 3 >"$out" 2>"$err"
status=$?
expect_status 0
printf 'indent.indent_string-0 = "\x81\x9a"\n' >"$work/expected"
grep -a '^indent.indent_string-0 = ' "$out" >"$work/line"
expect_same "$work/line" "$work/expected" "Shift-JIS line of show and the expected bytes"
printf 'indent.indent_string-2 = "\x83\x5c\x95\x5c\\\\"\n' >"$work/expected"
LC_ALL=C "$tool" slot set 3 indent.indent_string-2 "$(printf '\x83\x5c\x95\x5c\\\\')" >/dev/null 2>"$err"
LC_ALL=C "$tool" slot show 3 | grep -a '^indent.indent_string-2 = ' >"$work/line"
expect_same "$work/line" "$work/expected" "a two-byte character ending in 0x5C, then an escaped backslash"
run slot show 3
expect_line 'indent.indent_string-2 = "ソ表\\"'

begin "set on a Shift-JIS terminal takes Shift-JIS"
LC_ALL=C "$tool" slot set 3 indent.chars_for_quote "$(printf '>\x81\x74\x81\x72')" >/dev/null 2>"$err"
status=$?
expect_status 0
run slot show 3
expect_line 'indent.chars_for_quote = ">》〉"'
LC_ALL=C "$tool" slot set 3 indent.chars_for_quote "$(printf 'a\x81')" >"$out" 2>"$err"
status=$?
expect_status 2
expect_stderr_has "byte 2 (0x81) is not Shift-JIS (code page 932) text"

begin "characters that Shift-JIS cannot hold"
run slot set 3 indent.chars_for_quote 'ab😀'
expect_status 2
expect_stderr_has "indent.chars_for_quote: character 3, U+1F600 \"😀\", has no Shift-JIS (code page 932) form"
# The wave dash that input methods type is stored as the one code page 932 holds.
run slot set 3 indent.chars_for_quote 'ab〜'
expect_status 0
run slot show 3
expect_line 'indent.chars_for_quote = "ab～"'
run slot set 3 indent.chars_for_quote '>》〉'
expect_status 0
run slot set 3 header.headerdelimiter 'café'
expect_status 2
expect_stderr_has "character 4, U+00E9"
run slot set 3 header.headerdelimiter "$(printf 'a\xff')"
expect_status 2
expect_stderr_has "byte 2 (0xFF) is not UTF-8"
run slot set 3 header.headerdelimiter 'a\q'
expect_status 2
expect_stderr_has "'\\q' is no escape; write \\\\ for a backslash"
run slot set 3 header.headerdelimiter 'a\x00'
expect_status 2
expect_stderr_has "\\x must be followed by two hexadecimal digits from 01 to FF"

begin "texts too long for their fields"
long_set=$(printf 'あ%.0s' $(seq 511))
run slot set 3 fold.chars_for_wordwrap "${long_set}a"
expect_status 0
run slot set 3 fold.chars_for_wordwrap "${long_set}ab"
expect_status 2
expect_stderr_has "fold.chars_for_wordwrap holds at most 1023 bytes of Shift-JIS text, and this text has 1024"
long_string=$(printf 'い%.0s' $(seq 127))
run slot set 3 indent.indent_string-5 "${long_string}a"
expect_status 0
run slot set 3 indent.indent_string-5 "${long_string}い"
expect_status 2
expect_stderr_has "indent.indent_string-5 holds at most 255 bytes of Shift-JIS text, and this text has 256"
run slot set 3 header.headerdelimiter "$(printf 'x%.0s' $(seq 256))"
expect_status 2
expect_stderr_has "header.headerdelimiter holds at most 255 bytes"

begin "a slot's Japanese texts steer formatting"
slot_quote() { "$tool" slot set 2 indent.chars_for_quote "$1" >/dev/null 2>"$err"; }
"$tool" slot preset 2 2 >/dev/null 2>"$err"
printf '＊ここは引用された文章で、折り返した行にも同じ引用符が付くはずです。\n' >"$work/quoted"
run format --slot 2 --fold 20 "$work/quoted"
if [ "$(grep -c '^＊' "$out")" -eq 1 ]; then pass; else fail "＊ marked continuation lines before it was a quote mark"; fi
slot_quote '＊'
run format --slot 2 --fold 20 "$work/quoted"
expect_status 0
if [ "$(wc -l <"$out")" -gt 2 ] && [ "$(grep -vc '^＊' "$out")" -eq 0 ]; then
    pass
else
    fail "not every folded line begins with the quote mark ＊"
fi
cp "$out" "$work/quoted-folded"
run bind --slot 2 "$work/quoted-folded"
expect_same "$out" "$work/quoted" "the bound text and the quoted paragraph"

# ---- set on a slot without the record, or with values missing --------------

begin "set on an empty slot starts from preset 2 and writes only its record"
run slot set 6 fold.foldnum_from_head 60
expect_status 0
expect_stderr_has "note: slot 6 had no fold settings; its other fold values are stored from preset 2"
expect_stdout_has "slot 6: fold.foldnum_from_head = 60 (was 70)"
run slot show 6
expect_line "fold.foldnum_from_head = 60"
expect_line "fold.wraptype = WRAP_PUSH_OUT|WRAP_ALNUM"
expect_line "indent.*: missing (the slot has no indent settings)"
expect_line "header.*: missing (the slot has no header settings)"
expect_line "title: none"

begin "values missing from a record"
if have_sqlite3; then
    "$tool" slot preset 7 2 >/dev/null
    sqlite3 "$store" "DELETE FROM reg_values WHERE CAST(name AS TEXT) IN ('chars_for_quote', 'indent_string-3')
        AND key IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = 'indent'
                    AND parent IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = '7'))"
    run slot show 7
    expect_status 0
    expect_line "indent.chars_for_quote: missing"
    expect_line "indent.indent_string-3: missing"
    expect_line 'indent.indent_string-2 = ""'
    expect_line "missing: indent.chars_for_quote and indent.indent_string-3"
    run format --slot 7 "$sample"
    expect_status 1
    expect_stderr_has "slot 7's indent settings lack the values chars_for_quote and indent_string-3"
    run slot set 7 indent.fixed_indent_column 4
    expect_status 0
    expect_stderr_has "note: slot 7's indent settings lacked chars_for_quote and indent_string-3; stored from preset 2"
    run slot show 7
    expect_stdout_lacks "missing"
    expect_line 'indent.chars_for_quote = ">|》｜"'
else
    echo "skipped: $current (no sqlite3)"
fi

# ---- Titles, list and the default slot -------------------------------------

begin "titles"
run slot title 3 "星の会 お知らせ"
expect_status 0
expect_line 'slot 3: title "星の会 お知らせ"'
run slot title 5 "Mail replies"
run slot show 5
expect_line 'title = "Mail replies"'
LC_ALL=C "$tool" slot show 3 >"$out" 2>"$err"
printf 'title = "%s"\n' "$(printf '星の会 お知らせ' | iconv -f UTF-8 -t CP932)" >"$work/expected"
grep -a '^title' "$out" >"$work/line"
expect_same "$work/line" "$work/expected" "the title on a Shift-JIS terminal"
run slot title 3 'x😀'
expect_status 2
expect_stderr_has "the title: character 2, U+1F600"
long_title=$(printf 'x%.0s' $(seq 44))
run slot title 8 "$long_title"
expect_status 0
expect_stderr_has "note: the library's dialogs show only the first 43 bytes of a title"

begin "preset with a title, and with an empty one"
run slot preset 9 0 --title "日報"
expect_line 'slot 9: preset 0 stored, title "日報"'
run slot show 9
expect_line 'title = "日報"'
expect_line "indent.styles = STYLE_INDENT|STYLE_ITEMIZE|STYLE_PARAGRAPH|STYLE_INDENT_STRINGS|STYLE_STRIP_HEAD_SPACE"
run slot preset 9 0 --title ""
expect_line 'slot 9: preset 0 stored, title "設定済み"'

begin "list and default"
run slot default 4
expect_status 0
expect_line "default slot: 4"
run slot default
expect_line "4"
run slot list
expect_status 0
expect_line " 1  (no title)  (empty)"
expect_line " 3  星の会 お知らせ"
expect_line " 4  プリセット1  (default)"
expect_line " 5  Mail replies  (empty)"
expect_line " 6  (no title)  (empty)"
expect_line " 8  $long_title  (empty)"
expect_line "10  (no title)  (empty)"
expect_line "default slot: 4"
run slot show 4
expect_line "slot 4 (the default slot)"
run slot default 10
run slot default
expect_line "10"

# ---- Vendors ---------------------------------------------------------------

begin "the slots of a vendor are apart from the shared ones"
run slot preset 1 2 --vendor Acme --title "Acme"
expect_status 0
run slot list --vendor Acme
expect_line " 1  Acme"
expect_line " 3  (no title)  (empty)"
expect_line "default slot: none"
run slot list
expect_line " 1  (no title)  (empty)"
run slot default 2 --vendor Acme
run slot default
expect_line "10"
run slot default --vendor Acme
expect_line "2"
run slot set 1 fold.wraptype WRAP_HANG --vendor Acme
expect_status 0
run slot show 1 --vendor Acme
expect_line "fold.wraptype = WRAP_HANG"

# ---- A store file that is not a database ------------------------------------

begin "a store that is not a database"
printf 'these are notes, not a database\n' >"$work/notes"
cp "$work/notes" "$work/notes.orig"
for args in "list" "show 3" "preset 3 2" "set 3 fold.wraptype 1" "title 3 x" "default" "default 3"; do
    LUMOTEXT_REGISTRY=$work/notes "$tool" slot $args >"$out" 2>"$err"
    status=$?
    begin "slot $args on a store that is not a database"
    expect_status 1
    expect_stdout_empty
    expect_stderr_has "the settings store $work/notes is not a database"
done
expect_same "$work/notes" "$work/notes.orig" "the store file before and after"

begin "a store in a directory that cannot be made"
printf 'x' >"$work/plain-file"
LUMOTEXT_REGISTRY=$work/plain-file/registry.sqlite3 "$tool" slot preset 3 2 >"$out" 2>"$err"
status=$?
expect_status 1
expect_stderr_has "cannot store preset 2's indent settings in slot 3"

# ---- Former bugs ---------------------------------------------------------------

begin "former bug: a LUMOTEXT_REGISTRY in a missing folder made that folder"
LUMOTEXT_REGISTRY=$work/nonexistent/dir/reg.db "$tool" slot preset 1 2 >"$out" 2>"$err"
status=$?
expect_status 1
expect_stderr_has "the folder $work/nonexistent/dir of the settings store $work/nonexistent/dir/reg.db"
expect_stderr_has "No such file or directory"
if [ ! -e "$work/nonexistent" ]; then pass; else fail "the folder was made"; fi

begin "the default store's folder is still made"
XDG_CONFIG_HOME=$work/xdg LUMOTEXT_REGISTRY= "$tool" slot preset 1 2 >"$out" 2>"$err"
status=$?
expect_status 0
if [ -f "$work/xdg/lumotext/registry.sqlite3" ]; then pass; else fail "no store under XDG_CONFIG_HOME"; fi

# ---- Two writers at once ---------------------------------------------------

for round in 1 2 3; do
    begin "two 'slot set' processes at once, round $round"
    export LUMOTEXT_REGISTRY=$work/concurrent-$round.sqlite3
    if [ "$round" -gt 1 ]; then "$tool" slot preset 1 2 >/dev/null; "$tool" slot preset 2 2 >/dev/null; fi
    "$tool" slot set 1 fold.foldnum_from_head 41 >"$work/out1" 2>"$work/err1" &
    first=$!
    "$tool" slot set 2 indent.chars_for_quote '＞' >"$work/out2" 2>"$work/err2" &
    second=$!
    wait $first
    status1=$?
    wait $second
    status2=$?
    if [ "$status1" -eq 0 ] && [ "$status2" -eq 0 ]; then
        pass
    else
        fail "exit statuses $status1 and $status2: $(cat "$work/err1" "$work/err2")"
    fi
    run slot show 1
    expect_line "fold.foldnum_from_head = 41"
    run slot show 2
    expect_line 'indent.chars_for_quote = "＞"'
done
export LUMOTEXT_REGISTRY=$store

finish
