#!/usr/bin/env bash
# The input's encoding as the tool decides it: a UTF-8 text cut anywhere or
# with one stray byte stays UTF-8 and keeps every character whole; a text
# that is not the encoding --encoding names, or none of them, is refused
# before anything is written; EUC-JP and ISO-2022-JP (the sample and Debian's
# Japanese manual pages, converted by iconv) format exactly as their UTF-8
# form and come back in their own encoding.
# Usage: bash input_encoding_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/harness.sh" "$@"

# Blanks and line breaks, the only bytes formatting adds with preset 0.
stripped() { sed 's/\xe3\x80\x80//g' "$1" | tr -d ' \r\n'; }
# The bytes of FILE that are no part of a whole UTF-8 character.
invalid_bytes() { echo $(( $(wc -c <"$1") - $(iconv -c -f UTF-8 -t UTF-8 "$1" 2>/dev/null | wc -c) )); }

# ---- Former bugs: one byte that is not UTF-8 made auto take Shift-JIS --------------

begin "former bug: a UTF-8 text cut at every byte of its first kilobyte stays UTF-8, its characters whole"
# In one perl process, for speed: for each cut, the tool's status, the bytes
# kept, and the character cut at the end kept as its bytes while every
# other character stays whole (so those are the only bytes that are not
# UTF-8).
bad=$(perl -e '
    my ($tool, $sample, $file) = @ARGV;
    open my $in, "<:raw", $sample or die; local $/; my $text = <$in>;
    my $utf8 = qr/[\x00-\x7F]|[\xC2-\xDF][\x80-\xBF]|\xE0[\xA0-\xBF][\x80-\xBF]|[\xE1-\xEC\xEE\xEF][\x80-\xBF]{2}|\xED[\x80-\x9F][\x80-\xBF]|\xF0[\x90-\xBF][\x80-\xBF]{2}|[\xF1-\xF3][\x80-\xBF]{3}|\xF4[\x80-\x8F][\x80-\xBF]{2}/;
    sub invalid { my $t = shift; $t =~ s/$utf8//g; return length $t }
    sub stripped { my $t = shift; $t =~ s/\xE3\x80\x80|[ \r\n]//g; return $t }
    for my $cut (1 .. 1024) {
        open my $out, ">:raw", $file or die; print $out substr($text, 0, $cut); close $out;
        my $got = `"$tool" format --preset 0 --fold 20 "$file" 2>/dev/null`;
        if ($? != 0) { print " $cut(status)"; next }
        my $cut_text = substr($text, 0, $cut);
        print " $cut" if invalid($got) != invalid($cut_text) || stripped($got) ne stripped($cut_text);
    }' "$tool" "$sample" "$work/cut.txt")
if [ -z "$bad" ]; then pass; else fail "cut at:$bad"; fi

# The sample, again and again, past 1 MiB and two pieces of 512 KiB.
for _ in $(seq 1 400); do cat "$sample"; done >"$work/long.txt"
# The first character boundary at or after byte AT of the long text.
boundary() {
    local at=$1
    while [ "$(od -An -tu1 -j "$at" -N1 "$work/long.txt" | tr -d ' ')" -ge 128 ] &&
        [ "$(od -An -tu1 -j "$at" -N1 "$work/long.txt" | tr -d ' ')" -lt 192 ]; do
        at=$((at + 1))
    done
    echo "$at"
}
begin "former bug: one stray byte from 1 byte to 1 MiB into a UTF-8 text leaves it UTF-8"
bad=""
for offset in 1 100 1000 4096 16384 65536 262144 524287 524288 524289 1048576; do
    at=$(boundary "$offset")
    { head -c "$at" "$work/long.txt"; printf '\377'; tail -c +$((at + 1)) "$work/long.txt"; } >"$work/stray.txt"
    if ! "$tool" format --preset 0 --fold 20 "$work/stray.txt" >"$out" 2>"$err"; then
        bad="$bad $at(status)"
        continue
    fi
    if [ "$(invalid_bytes "$out")" != 1 ] || ! cmp -s <(stripped "$out") <(stripped "$work/stray.txt"); then
        bad="$bad $at"
    fi
done
if [ -z "$bad" ]; then pass; else fail "stray byte at:$bad"; fi

begin "former bug: -i wrote the damage into the file; a stray byte is kept, all else folded whole"
at=$(boundary 16384)
{ head -c "$at" "$work/long.txt"; printf '\377'; tail -c +$((at + 1)) "$work/long.txt" | head -c 20000; } >"$work/inplace.txt"
cp "$work/inplace.txt" "$work/inplace.before"
run format --preset 0 --fold 20 -i "$work/inplace.txt"
expect_status 0
if [ "$(invalid_bytes "$work/inplace.txt")" = "$(invalid_bytes "$work/inplace.before")" ]; then pass; else
    fail "characters were broken"
fi
if cmp -s <(stripped "$work/inplace.txt") <(stripped "$work/inplace.before"); then pass; else fail "bytes changed"; fi

# ---- Former bugs: a named encoding the text is not ----------------------------------

named_wrong() {  # NAME FILE ENCODING EXPECTED-TEXT
    begin "former bug: $1"
    printf 'old\n' >"$work/named.out"
    run format --encoding "$3" -o "$work/named.out" "$2"
    expect_status 1
    expect_stderr_has "$2: line "
    expect_stderr_has "$4"
    if [ "$(cat "$work/named.out")" = old ]; then pass; else fail "the output file was written"; fi
    run format --encoding "$3" --force-encoding -o "$work/named.out" "$2"
    expect_status 0
}
iconv -f UTF-8 -t EUC-JP "$sample" >"$work/sample-euc.txt"
iconv -f UTF-8 -t ISO-2022-JP "$sample" >"$work/sample-iso.txt"
named_wrong "UTF-8 under --encoding sjis was corrupted silently" "$sample" sjis "use --encoding utf-8"
named_wrong "Shift-JIS under --encoding utf-8 was corrupted silently" "$sample_sjis" utf-8 "use --encoding sjis"
named_wrong "EUC-JP under --encoding sjis" "$work/sample-euc.txt" sjis "use --encoding euc-jp"
named_wrong "ISO-2022-JP under --encoding utf-8" "$work/sample-iso.txt" utf-8 "use --encoding iso-2022-jp"

begin "a text that is none of the encodings is refused, unless forced"
awk 'BEGIN { for (i = 0; i < 3000; i++) printf "%c", (i * 37 + 11) % 256 }' >"$work/noise.bin"
printf 'caf\xe9 cr\xe8me br\xfbl\xe9e \xe0 la fa\xe7on de ma m\xe8re\n' >"$work/latin1.txt"
for file in "$work/noise.bin" "$work/latin1.txt"; do
    run format "$file"
    expect_status 1
    expect_stdout_empty
    expect_stderr_has "fits none of the encodings"
done
run format --force-encoding "$work/latin1.txt"
expect_status 0
expect_same "$out" "$work/latin1.txt" "the Latin-1 line forced through and itself"

# ---- EUC-JP and ISO-2022-JP ----------------------------------------------------

# FILE in ENCODING formats as its UTF-8 form does, in ENCODING; the check
# of the result finds nothing to change.
same_as_utf8() {  # NAME FILE ICONV-NAME ARGS... [-- ARGS-FOR-FILE-ONLY...]
    local name=$1 file=$2 encoding=$3 common=() own=()
    shift 3
    while [ $# -gt 0 ] && [ "$1" != -- ]; do common+=("$1"); shift; done
    [ $# -gt 0 ] && shift
    own=("$@")
    set -- "${common[@]}"
    begin "$name"
    iconv -f "$encoding" -t UTF-8 "$file" >"$work/as-utf8.txt"
    "$tool" format "$@" "$work/as-utf8.txt" 2>/dev/null | iconv -f UTF-8 -t "$encoding" >"$work/expected.out"
    run format "$@" "${own[@]}" "$file"
    expect_status 0
    expect_same "$out" "$work/expected.out" "the output and the UTF-8 form's output in $encoding"
    cp "$out" "$work/formatted"
    run format --check "$@" "$work/formatted"
    expect_status 0
}
for fold in 20 50; do
    same_as_utf8 "the sample in EUC-JP, fold $fold" "$work/sample-euc.txt" EUC-JP-MS --fold "$fold"
    same_as_utf8 "the sample in ISO-2022-JP, fold $fold" "$work/sample-iso.txt" ISO-2022-JP --fold "$fold"
done
same_as_utf8 "--encoding euc-jp" "$work/sample-euc.txt" EUC-JP-MS --fold 30 -- --encoding euc-jp
same_as_utf8 "--encoding iso-2022-jp" "$work/sample-iso.txt" ISO-2022-JP --fold 30 -- --encoding iso-2022-jp

begin "EUC-JP from standard input, and rewritten in place"
"$tool" format --fold 30 "$work/sample-euc.txt" >"$work/euc.expected"
run_in "$work/sample-euc.txt" format --fold 30
expect_same "$out" "$work/euc.expected" "standard input's and the file's output"
cp "$work/sample-euc.txt" "$work/euc-inplace.txt"
run format --fold 30 -i "$work/euc-inplace.txt"
expect_status 0
expect_same "$work/euc-inplace.txt" "$work/euc.expected" "the file rewritten and the output"

begin "bind gives back what format folded, in EUC-JP and ISO-2022-JP"
cat >"$work/doc.txt" <<'DOC'
　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。今回は新しく購入した口径20cmの反射望遠鏡を使い、土星の環をご覧いただく予定です。

・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったものがおすすめです）、お持ちの方は双眼鏡
DOC
for encoding in EUC-JP ISO-2022-JP; do
    iconv -f UTF-8 -t "$encoding" "$work/doc.txt" >"$work/doc.enc"
    "$tool" format --fold 30 "$work/doc.enc" | "$tool" bind --fold 30 >"$out" 2>"$err"
    expect_same "$out" "$work/doc.enc" "the bound $encoding text and the document"
done

corpus=0
for page in $(ls /usr/share/man/ja/man1/*.gz 2>/dev/null | awk 'NR % 60 == 1'); do
    MANWIDTH=100 timeout 20 man -E UTF-8 -l "$page" </dev/null 2>/dev/null | col -bx >"$work/page.txt" || true
    [ -s "$work/page.txt" ] || continue
    corpus=$((corpus + 1))
    name=${page##*/}
    iconv -c -f UTF-8 -t EUC-JP-MS "$work/page.txt" >"$work/page-euc.txt" 2>/dev/null
    iconv -c -f UTF-8 -t ISO-2022-JP "$work/page.txt" >"$work/page-iso.txt" 2>/dev/null
    same_as_utf8 "$name in EUC-JP" "$work/page-euc.txt" EUC-JP-MS --preset 0 --fold 60
    same_as_utf8 "$name in ISO-2022-JP" "$work/page-iso.txt" ISO-2022-JP --preset 0 --fold 60
done
[ "$corpus" -gt 0 ] || echo "note: manpages-ja is not installed; the corpus cases are skipped"

finish
