#!/usr/bin/env bash
# Runs "lumotext bind" and "lumotext format --slot" as a user would: folding a
# paragraph and binding it again gives the paragraph back, slot 0 is preset 2,
# a slot's fold column follows --width or is replaced by --fold, and a slot
# that cannot be used stops the command with a sentence that says what to do.
# Usage: bash bind_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/harness.sh" "$@"
export LC_ALL=C.UTF-8
# slot ARGS...: a slot command that must succeed (setting up a case).
slot() {
    if ! "$tool" slot "$@" >/dev/null 2>"$err"; then fail "setup 'lumotext slot $*' failed"; fi
}

# ---- Help ----------------------------------------------------------------

begin "lumotext bind --help"
run bind --help
expect_status 0
for text in "Usage: lumotext bind [OPTIONS] [FILE...]" --preset "--slot N" "--width N" "--vendor V" --encoding \
    "-o, --output FILE" --help --version "Exit status" Examples: "lumotext bind --slot 3"; do
    expect_stdout_has "$text"
done

begin "lumotext format --help names the slot options"
run format --help
expect_status 0
for text in "--slot N" "--width N" "--vendor V" "--preset N" "--fold N" "Settings from a slot" \
    "lumotext format --slot 3"; do
    expect_stdout_has "$text"
done

begin "lumotext --help lists bind and slot"
run --help
expect_stdout_has "bind "
expect_stdout_has "slot "

# ---- Usage errors --------------------------------------------------------

usage_error() {  # EXPECTED-TEXT ARGS...
    local expected=$1
    shift
    begin "usage error: lumotext $*"
    run "$@"
    expect_status 2
    expect_stdout_empty
    expect_stderr_has "$expected"
    expect_stderr_has "--help"
}
for command in format bind; do
    usage_error "--slot and --preset cannot be used together" $command --slot 3 --preset 1 "$sample"
    usage_error "--slot and --preset cannot be used together" $command --preset 1 --slot 3 "$sample"
    usage_error "--width applies only with --slot" $command --width 60 "$sample"
    usage_error "--vendor applies only with --slot" $command --vendor Acme "$sample"
    usage_error "--slot: '11' is not a number from 0 to 10" $command --slot 11 "$sample"
    usage_error "--slot: '-1'" $command --slot -1 "$sample"
    usage_error "--width: '0' is not a number from 1 to 65535" $command --slot 3 --width 0 "$sample"
    usage_error "--vendor: a vendor name cannot contain a backslash" $command --slot 3 --vendor 'a\b' "$sample"
    usage_error "--vendor: character 1, U+1F600" $command --slot 3 --vendor '😀' "$sample"
done
usage_error "--whole and --fold cannot be combined" bind --whole --fold 40 "$sample"
usage_error "--fold: '0' is not a number" bind --fold 0 "$sample"
usage_error "--in-place works on files" bind --in-place
usage_error "--ambiguous: 'half' is not one of cp932, wide, narrow" bind --ambiguous half "$sample"

# The width of ambiguous characters decides where folded lines were full
# (by the classic rules, which cut a run of narrow symbols anywhere).
for width in cp932 narrow wide; do
    begin "bind --ambiguous $width of format --ambiguous $width"
    printf '○○○○○○○○○○○○○○※※※※※※※※※ααααααααα\n' >"$work/ambiguous.txt"
    "$tool" format --rules classic --preset 0 --fold 12 --ambiguous $width "$work/ambiguous.txt" >"$work/ambiguous.folded"
    run bind --rules classic --preset 0 --fold 12 --ambiguous $width "$work/ambiguous.folded"
    expect_status 0
    expect_same "$out" "$work/ambiguous.txt" "bound text and the text"
done
usage_error "--in-place and --check cannot be combined" bind -i --check a.txt
usage_error "--encoding: 'latin1'" bind --encoding latin1 "$sample"
if [ ! -e "$LUMOTEXT_REGISTRY" ]; then pass; else fail "a usage error created the settings store"; fi

# ---- Slot 0 is preset 2 and needs no store --------------------------------

begin "format --slot 0 is format --preset 2"
run format --preset 2 --fold 30 "$sample"
cp "$out" "$work/preset2-30"
run format --slot 0 --fold 30 "$sample"
expect_status 0
expect_same "$out" "$work/preset2-30" "outputs of --slot 0 and --preset 2"
run format --preset 2 "$sample"
cp "$out" "$work/preset2-70"
run format --slot 0 --width 20 "$sample"
expect_same "$out" "$work/preset2-70" "outputs of --slot 0 (any width: fold column 70) and --preset 2"

begin "bind --slot 0 is bind --preset 2"
run bind --preset 2 "$work/preset2-30"
cp "$out" "$work/bound-preset2"
run bind --slot 0 "$work/preset2-30"
expect_status 0
expect_same "$out" "$work/bound-preset2" "outputs of bind --slot 0 and --preset 2"
if [ ! -e "$LUMOTEXT_REGISTRY" ]; then pass; else fail "slot 0 created the settings store"; fi

# ---- A slot that cannot be used --------------------------------------------

begin "an empty slot"
run format --slot 7 "$sample"
expect_status 1
expect_stdout_empty
expect_stderr_has "slot 7 has no settings yet; store a preset with: lumotext slot preset 7 2"
run bind --slot 7 "$sample"
expect_status 1
expect_stderr_has "slot 7 has no settings yet"
run format --slot 7 --vendor Acme "$sample"
expect_stderr_has "lumotext slot preset 7 2 --vendor Acme"
if [ ! -e "$LUMOTEXT_REGISTRY" ]; then pass; else fail "loading a slot created the settings store"; fi

begin "a slot with only fold settings"
slot set 5 fold.foldnum_from_head 60
run format --slot 5 "$sample"
expect_status 1
expect_stderr_has "slot 5 has no indent settings yet; store a preset with: lumotext slot preset 5 2"

begin "a fold column that follows the display width"
slot preset 6 2
slot set 6 fold.tailwrap_flag 'TAIL_WORDWRAP|TAIL_KINSOKU|TAIL_FOLLOW_WIDTH'
slot set 6 fold.foldnum_from_tail 10
for width in 10 5; do
    run format --slot 6 --width $width "$sample"
    expect_status 1
    expect_stdout_empty
    expect_stderr_has "slot 6's fold column follows the display width, and a width of $width leaves no column"
    expect_stderr_has "give a larger --width or a fold column with --fold"
done
run bind --slot 6 --width 10 "$sample"
expect_status 1
expect_stderr_has "give a larger --width"
for width in 40 80; do
    run format --fold $((width - 10)) "$sample"
    cp "$out" "$work/fixed"
    run format --slot 6 --width $width "$sample"
    expect_status 0
    expect_same "$out" "$work/fixed" "--slot 6 --width $width and --fold $((width - 10))"
done
run format --slot 6 "$sample"
cp "$out" "$work/default-width"
run format --fold 70 "$sample"
expect_same "$out" "$work/default-width" "--slot 6 with the default width 80 and --fold 70"

begin "--fold replaces the slot's fold column, even one that leaves none"
run format --slot 6 --width 5 --fold 30 "$sample"
expect_status 0
expect_same "$out" "$work/preset2-30" "--slot 6 --fold 30 and --preset 2 --fold 30"
slot preset 4 2
run format --slot 4 --fold 30 "$sample"
expect_same "$out" "$work/preset2-30" "--slot 4 --fold 30 and --preset 2 --fold 30"

begin "a fixed fold column of 0"
slot set 4 fold.foldnum_from_head 0
run format --slot 4 "$sample"
expect_status 1
expect_stderr_has "slot 4's fold column (fold.foldnum_from_head) is 0; give one with --fold, or store one with: lumotext slot set 4 fold.foldnum_from_head 70"

begin "a slot with a value missing"
if command -v sqlite3 >/dev/null; then
    slot preset 8 2
    sqlite3 "$LUMOTEXT_REGISTRY" "DELETE FROM reg_values WHERE CAST(name AS TEXT) = 'headerdelimiter'
        AND key IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = 'lumoheader'
                    AND parent IN (SELECT id FROM reg_keys WHERE CAST(name AS TEXT) = '8'))"
    run format --slot 8 "$sample"
    expect_status 1
    expect_stderr_has "slot 8's header settings lack the value headerdelimiter"
    expect_stderr_has "lumotext slot set 8 header.headerdelimiter VALUE"
else
    echo "skipped: $current (no sqlite3)"
fi

begin "a store that is not a database"
printf 'not a database\n' >"$work/not-a-db"
cp "$work/not-a-db" "$work/not-a-db.orig"
LUMOTEXT_REGISTRY=$work/not-a-db run format --slot 3 "$sample"
expect_status 1
expect_stdout_empty
expect_stderr_has "cannot read slot 3: the settings store $work/not-a-db is not a database"
LUMOTEXT_REGISTRY=$work/not-a-db run bind --slot 3 "$sample"
expect_status 1
expect_stderr_has "is not a database"
expect_same "$work/not-a-db" "$work/not-a-db.orig" "the store file before and after"

# ---- Formatting with a slot ------------------------------------------------

begin "a slot holding preset 1 formats as --preset 1"
slot preset 3 1
run format --preset 1 --fold 40 "$sample"
cp "$out" "$work/preset1-40"
run format --slot 3 --fold 40 "$sample"
expect_status 0
expect_same "$out" "$work/preset1-40" "--slot 3 and --preset 1"

begin "a slot's own fold column"
slot set 3 fold.foldnum_from_head 40
run format --slot 3 "$sample"
expect_same "$out" "$work/preset1-40" "--slot 3 (fold column 40) and --preset 1 --fold 40"

begin "the slots of a vendor are its own"
slot preset 9 1 --vendor Acme
run format --slot 9 "$sample"
expect_status 1
expect_stderr_has "slot 9 has no settings yet"
run format --slot 9 --vendor Acme --fold 40 "$sample"
expect_status 0
expect_same "$out" "$work/preset1-40" "--slot 9 --vendor Acme and --preset 1"

# ---- Binding -------------------------------------------------------------

# One paragraph of each kind, folded and bound again with the same slot.
paragraphs=(
    "　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。今回は新しく購入した口径20cmの反射望遠鏡を使い、土星の環をご覧いただく予定です。"
    "・日時：10月19日（土）午後6時30分から8時30分まで（雨天・曇天の場合は翌日の同じ時刻に延期します）"
    "> 子どもと一緒に初めて土星の環を見ました。写真で見るよりずっと小さいのに、くっきりと輪が見えたときは思わず声が出ました。"
    "1. 午後6時30分　受付と簡単な説明。星座早見盤の使い方を、担当者が実物を見せながら順にご説明します。"
    "#強調された段落は、折り返された行も強調符の後ろにそろえて続きます。とても長い一文です。"
)
slot preset 2 2
for slot_number in 0 2; do
    for fold in 16 24 31; do
        for i in "${!paragraphs[@]}"; do
            begin "round trip: slot $slot_number, fold $fold, paragraph $i"
            printf '%s\n' "${paragraphs[$i]}" >"$work/paragraph"
            run format --slot $slot_number --fold $fold "$work/paragraph"
            expect_status 0
            cp "$out" "$work/folded"
            if [ "$(wc -l <"$work/folded")" -gt 1 ]; then pass; else fail "the paragraph was not folded"; fi
            run bind --slot $slot_number "$work/folded"
            expect_status 0
            expect_stderr_empty
            expect_same "$out" "$work/paragraph" "bound text and the paragraph"
        done
    done
done

begin "round trip with CR LF line ends and Shift-JIS"
printf '%s\r\n' "${paragraphs[2]}" | iconv -f UTF-8 -t CP932 >"$work/paragraph-sjis"
run format --slot 2 --fold 20 --encoding sjis "$work/paragraph-sjis"
cp "$out" "$work/folded-sjis"
if [ "$(grep -c $'\r$' "$work/folded-sjis")" -gt 1 ]; then pass; else fail "the folded lines lost CR LF"; fi
run bind --slot 2 "$work/folded-sjis"
expect_status 0
expect_same "$out" "$work/paragraph-sjis" "bound Shift-JIS text and the paragraph"

begin "--whole: the whole input is one block"
printf 'abc\n\ndef\r\nghi' >"$work/block"
run bind --whole "$work/block"
expect_status 0
if [ "$(cat "$out")" = "abcdefghi" ]; then pass; else fail "output '$(cat "$out")', expected 'abcdefghi'"; fi
printf 'abc\ndef\r\n' >"$work/block"
run bind --whole "$work/block"
if [ "$(od -An -c "$out" | tr -s ' ')" = " a b c d e f \r \n" ]; then pass; else fail "the final CR LF was not kept"; fi

begin "leading blanks: preset 2 strips them, a slot without STYLE_STRIP_HEAD_SPACE keeps them"
printf '　段落の最初の行\n  続きの行\n　　全角の続き\n' >"$work/blanks"
run bind --whole "$work/blanks"
if [ "$(cat "$out")" = "　段落の最初の行続きの行全角の続き" ]; then pass; else fail "output '$(cat "$out")'"; fi
slot preset 10 2
slot set 10 indent.styles 'STYLE_INDENT|STYLE_QUOTE|STYLE_EMPHA|STYLE_ITEMIZE|STYLE_PARAGRAPH'
run bind --whole --slot 10 "$work/blanks"
if [ "$(cat "$out")" = "　段落の最初の行  続きの行　　全角の続き" ]; then pass; else fail "output '$(cat "$out")'"; fi

begin "bind: encodings, byte order mark, empty input, standard input, -o"
iconv -f UTF-8 -t CP932 "$work/preset2-30" >"$work/folded-sample-sjis"
run bind --encoding sjis "$work/folded-sample-sjis"
iconv -f CP932 -t UTF-8 "$out" >"$work/converted"
expect_same "$work/converted" "$work/bound-preset2" "bound Shift-JIS converted and bound UTF-8"
printf '\xef\xbb\xbf' | cat - "$work/preset2-30" >"$work/bom"
run bind "$work/bom"
if [ "$(head -c 3 "$out" | od -An -tx1 | tr -d ' ')" = "efbbbf" ]; then pass; else fail "no byte order mark"; fi
run_in /dev/null bind
expect_status 0
expect_stdout_empty
run_in "$work/preset2-30" bind
expect_same "$out" "$work/bound-preset2" "standard input and file outputs"
run bind -o "$work/bound-file" "$work/preset2-30"
expect_status 0
expect_stdout_empty
expect_same "$work/bound-file" "$work/bound-preset2" "-o file and standard output"

# A build with the Unicode tables binds UTF-8 as it is; one without converts
# it to Shift-JIS and refuses what Shift-JIS lacks.
if "$tool" --version | grep -q '^Unicode '; then
    begin "bind: UTF-8 that Shift-JIS cannot hold is bound byte for byte"
    # An emoji, U+301C, a combining acute, a stray 0xFF byte, a byte order mark.
    printf '\xef\xbb\xbf\xf0\x9f\x98\x80\xe3\x80\x9c\xe3\x81\x82e\xcc\x81\xff\n  \xf0\x9f\x98\x80\xe3\x81\x84\n' \
        >"$work/emoji"
    printf '\xef\xbb\xbf\xf0\x9f\x98\x80\xe3\x80\x9c\xe3\x81\x82e\xcc\x81\xff\xf0\x9f\x98\x80\xe3\x81\x84\n' \
        >"$work/emoji-bound"
    run bind --whole "$work/emoji"
    expect_status 0
    expect_stderr_empty
    expect_same "$out" "$work/emoji-bound" "bound text and the lines joined, blanks taken off"
    # Block by block, an indented line starts a block; one without runs on.
    run bind --encoding utf-8 "$work/emoji"
    expect_status 0
    expect_same "$out" "$work/emoji" "the input, whose second line is indented"
    sed '2s/^  //' "$work/emoji" >"$work/emoji-plain"
    run bind --encoding utf-8 "$work/emoji-plain"
    expect_status 0
    expect_same "$out" "$work/emoji-bound" "block by block and --whole"

    begin "bind: UTF-8 and Shift-JIS give the same on text that both hold"
    for fold in 12 30; do
        run format --fold $fold "$sample"
        cp "$out" "$work/folded-utf8"
        iconv -f UTF-8 -t CP932 "$work/folded-utf8" >"$work/folded-cp932"
        for preset in 0 1 2; do
            run bind --preset $preset --fold $fold "$work/folded-cp932"
            iconv -f CP932 -t UTF-8 "$out" >"$work/bound-cp932"
            run bind --preset $preset --fold $fold "$work/folded-utf8"
            expect_status 0
            expect_same "$out" "$work/bound-cp932" "UTF-8 and Shift-JIS bound, preset $preset, fold $fold"
        done
    done

    # Auto takes text for Shift-JIS until a byte above 0x7F shows: a quoted
    # block begun in more than a piece of ASCII goes on in UTF-8.
    begin "bind: a block that begins in ASCII and goes on in UTF-8"
    { yes '> abcdefghij klmnopqrs' | head -n 60000; printf '> \xf0\x9f\x98\x80\xe3\x81\x82\n'; } >"$work/ascii-first"
    { printf '> '; yes 'abcdefghij klmnopqrs' | head -n 60000 | tr -d '\n'; printf '\xf0\x9f\x98\x80\xe3\x81\x82\n'; } \
        >"$work/ascii-first-bound"
    for mode in "" "--encoding utf-8" "--whole"; do
        run bind --rules classic $mode "$work/ascii-first"
        expect_status 0
        expect_same "$out" "$work/ascii-first-bound" "bound with '$mode' and the block joined"
    done

    begin "bind: a NUL in UTF-8 text is refused"
    printf 'ok\n\xf0\x9f\x98\x80a\x00\n' >"$work/nul"
    run bind "$work/nul"
    expect_status 1
    expect_stderr_has "line 2, column 3: the input contains a NUL byte"
else
    begin "bind: a character that Shift-JIS cannot hold"
    printf 'ok\n\xf0\x9f\x98\x80\n' >"$work/emoji"
    printf 'old\n' >"$work/keep"
    run bind -o "$work/keep" "$work/emoji"
    expect_status 1
    expect_stderr_has "line 2, column 1: U+1F600"
    if [ "$(cat "$work/keep")" = "old" ]; then pass; else fail "the output file changed"; fi
fi

# Former bug: 'lumotext slot default N' changed nothing that format and bind
# used. Now it chooses their settings when neither --preset nor --slot does.
begin "the default slot is what format and bind use"
slot preset 4 0
slot set 4 fold.foldnum_from_head 24
slot set 4 fold.foldnum_from_tail 0
run format --slot 4 "$sample"
cp "$out" "$work/slot4"
run bind --slot 4 "$work/slot4"
cp "$out" "$work/slot4-bound"
run format --preset 2 "$sample"
cp "$out" "$work/plain"
slot default 4
run format "$sample"
expect_status 0
expect_same "$out" "$work/slot4" "format without --slot and format --slot 4"
run bind "$work/slot4"
expect_same "$out" "$work/slot4-bound" "bind without --slot and bind --slot 4"
run format --preset 2 "$sample"
expect_same "$out" "$work/plain" "--preset 2 over the default slot"
run format --help
expect_stdout_has "lumotext slot default N"

begin "bind: a missing input file"
run bind "$work/no-such-file"
expect_status 1
expect_stderr_has "No such file or directory"

finish
