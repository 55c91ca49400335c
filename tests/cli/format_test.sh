#!/usr/bin/env bash
# Runs the lumotext tool as a user would: help and usage errors, input from a
# file or standard input, UTF-8 and Shift-JIS, conversion errors, and output
# files that are replaced whole or not at all.
# Usage: bash format_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/harness.sh" "$@"

# The text of a formatted sample, whatever its folding: line ends, leading
# blanks (half- and full-width) and quote marks at line starts removed.
text_only() {
    iconv -f CP932 -t UTF-8 "$1" | tr -d '\r' | sed -e 's/^\([ 　>]\)*//' | tr -d '\n'
}

# ---- Help and version ------------------------------------------------

begin "lumotext --help"
run --help
expect_status 0
expect_stdout_has "Usage: lumotext COMMAND"
expect_stdout_has "format"
expect_stderr_empty

for args in "help" "-h"; do
    begin "lumotext $args"
    run $args
    expect_status 0
    expect_stdout_has "Commands:"
done

for args in "format --help" "format -h" "help format" "format --fold 0 --help"; do
    begin "lumotext $args"
    run $args
    expect_status 0
    for option in --preset --fold --tab --encoding "-o, --output FILE" --version "byte order mark" Examples:; do
        expect_stdout_has "$option"
    done
done

for args in "--version" "format --version"; do
    begin "lumotext $args"
    run $args
    expect_status 0
    if [ "$(head -n 1 "$out")" = "lumotext 1.10" ]; then pass; else fail "printed '$(cat "$out")'"; fi
    expect_stdout_has "Unicode 15.0"
done

# ---- Usage errors: status 2, a message and a hint ------------------------

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
usage_error "no command given"
usage_error "unknown command 'frmat'; did you mean 'format'?" frmat "$sample"
usage_error "unknown option '--fold'" --fold 50 format "$sample"
usage_error "unknown option '--fodl' for 'format'; did you mean '--fold'?" format --fodl 50 "$sample"
usage_error "unknown option '-x'" format -x "$sample"
usage_error "'0' is not a number from 1 to 65535" format --fold 0 "$sample"
usage_error "'abc' is not a number" format --fold abc "$sample"
usage_error "'-5' is not a number" format --fold -5 "$sample"
usage_error "'99999999999' is not a number" format --fold 99999999999 "$sample"
usage_error "--preset: '3' is not a number from 0 to 2" format --preset 3 "$sample"
usage_error "--tab: '256'" format --tab 256 "$sample"
usage_error "'latin1' is not one of auto, utf-8, sjis" format --encoding latin1 "$sample"
usage_error "--ambiguous: 'half' is not one of cp932, wide, narrow" format --ambiguous half "$sample"
usage_error "option '--fold' needs a value" format --fold
usage_error "option '-o' needs a value" format "$sample" -o
usage_error "--in-place works on files" format -i -
usage_error "--check and --output cannot be combined" format --check -o x.txt a.txt
usage_error "unknown command 'nosuch'" help nosuch

# ---- Reading: file, standard input, "-" ------------------------------

begin "file and standard input give the same output"
run format --fold=50 "$sample"
expect_status 0
expect_stderr_empty
cp "$out" "$work/from-file"
run_in "$sample" format --fold 50
expect_status 0
expect_same "$out" "$work/from-file" "standard input and file outputs"
run_in "$sample" format --fold 50 -
expect_same "$out" "$work/from-file" "'-' and file outputs"

begin "the last of repeated options counts"
run format --fold 10 --fold 50 "$sample"
expect_same "$out" "$work/from-file" "outputs of --fold 10 --fold 50 and --fold 50"

begin "defaults are preset 2, fold 70, tab 8, auto"
run format "$sample"
cp "$out" "$work/defaults"
run format --preset 2 --fold 70 --tab 8 --encoding auto "$sample"
expect_same "$out" "$work/defaults" "default and explicit outputs"

begin "an empty input gives an empty output"
run_in /dev/null format
expect_status 0
expect_stdout_empty

begin "a file name after -- may begin with a dash"
cp "$sample" "$work/-dash.txt"
(cd "$work" && "$tool" format --fold 50 -- -dash.txt >"$out" 2>"$err")
status=$?
expect_status 0
expect_same "$out" "$work/from-file" "outputs"

# ---- UTF-8 and Shift-JIS give the same result ------------------------

for preset in 0 1 2; do
    for fold in 20 50 70; do
        begin "preset $preset, fold $fold: UTF-8 and Shift-JIS agree"
        run format --preset "$preset" --fold "$fold" "$sample"
        expect_status 0
        cp "$out" "$work/utf8"
        for encoding in auto sjis; do
            run format --preset "$preset" --fold "$fold" --encoding "$encoding" "$sample_sjis"
            expect_status 0
            iconv -f CP932 -t UTF-8 "$out" >"$work/sjis-as-utf8"
            expect_same "$work/sjis-as-utf8" "$work/utf8" "UTF-8 output and converted Shift-JIS output ($encoding)"
        done
        run format --preset "$preset" --fold "$fold" --encoding utf-8 "$sample"
        expect_same "$out" "$work/utf8" "--encoding utf-8 and auto outputs"

        # Every folded line fits the fold column (Shift-JIS bytes are display
        # columns), but for a two-byte character that starts in its last
        # column; preset 1 copies the header and quoted lines as they are.
        iconv -f UTF-8 -t CP932 "$work/utf8" >"$work/columns"
        too_wide=$(LC_ALL=C awk -v fold="$fold" -v preset="$preset" '
            BEGIN { for (i = 1; i < 256; ++i) code[sprintf("%c", i)] = i }
            { sub(/\r$/, "") }
            preset == 1 && NR <= 4 { next }
            preset == 1 && /^> / { next }
            {
                column = 0; last = 0; last_width = 1
                for (i = 1; i <= length($0); i += width) {
                    c = code[substr($0, i, 1)]
                    width = ((c >= 129 && c <= 159) || (c >= 224 && c <= 252)) ? 2 : 1
                    last = column; last_width = width; column += width
                }
                if (column > fold + 1 || (column == fold + 1 && !(last_width == 2 && last == fold - 1)))
                    print NR": "column
            }' "$work/columns")
        if [ -z "$too_wide" ]; then pass; else fail "lines wider than $fold columns: $too_wide"; fi

        # Folding only adds line ends and prefixes: the text is all there.
        if [ "$(text_only "$work/columns")" = "$(text_only "$sample_sjis")" ]; then
            pass
        else
            fail "the text changed"
        fi
    done
done

begin "a fold of 50 folds the sample"
run format --preset 1 --fold 50 "$sample"
if [ "$(wc -l <"$out")" -gt "$(wc -l <"$sample")" ]; then pass; else fail "no line was folded"; fi
expect_stdout_has "> 子どもと一緒に初めて土星の環を見ました。写真で見るよりずっと小さいのに"

begin "CR LF line ends are kept"
tr -d '\r' <"$sample" | sed 's/$/\r/' >"$work/crlf.txt"
run format --fold 30 "$work/crlf.txt"
expect_status 0
if [ "$(tr -d '\r' <"$out" | wc -l)" -eq "$(grep -c $'\r$' "$out")" ]; then pass; else fail "a line lost its CR"; fi

begin "a UTF-8 byte order mark is kept"
printf '\xef\xbb\xbf' | cat - "$sample" >"$work/bom.txt"
run format --fold 50 "$work/bom.txt"
expect_status 0
if [ "$(head -c 3 "$out" | od -An -tx1 | tr -d ' ')" = "efbbbf" ]; then pass; else fail "no byte order mark"; fi
tail -c +4 "$out" >"$work/bom-body"
expect_same "$work/bom-body" "$work/from-file" "output behind the mark and output without it"

# ---- Conversion errors: status 1, nothing on standard output -------------

conversion_error() {  # NAME INPUT-BYTES EXPECTED-TEXT ARGS...
    local name=$1 bytes=$2 expected=$3
    shift 3
    begin "$name"
    printf "$bytes" >"$work/bad.txt"
    run format "$@" "$work/bad.txt"
    expect_status 1
    expect_stdout_empty
    expect_stderr_has "$expected"
}
conversion_error "NUL byte" 'ab\0c' "the input contains a NUL byte"
conversion_error "NUL byte in UTF-8" 'ok\ncaf\xc3\xa9\0' "bad.txt: line 2, column 5: the input contains a NUL byte"
conversion_error "prefix fills the fold column, --strict" '1. あいうえおかきくけこ\n' \
    "the continuation prefix of line 1 fills the whole fold column (3 columns); use a larger --fold" --fold 3 \
    --strict

begin "a NUL byte in standard input"
printf 'x\n\0' >"$work/bad-stdin.txt"
run_in "$work/bad-stdin.txt" format
expect_status 1
expect_stdout_empty
expect_stderr_has "standard input: line 2, column 1: the input contains a NUL byte"

# ---- --ambiguous: the width of ○ ※ α é -----------------------------------

while IFS='|' read -r width input expected; do
    [ -n "$width" ] || continue
    begin "--ambiguous $width"
    printf "$input" >"$work/ambiguous.txt"
    run format --preset 0 --fold 6 --ambiguous "$width" "$work/ambiguous.txt"
    expect_status 0
    printf "$expected" >"$work/ambiguous.expected"
    expect_same "$out" "$work/ambiguous.expected" "the folded text"
done <<'ROWS'
cp932|○○○○○○é\n|○○○\n○○○\né\n
narrow|○○○○○○é\n|○○○○○○\né\n
wide|éééééééé\n|ééé\nééé\néé\n
ROWS

# ---- UTF-8 that code page 932 cannot hold: formatted, every byte kept ------

# Blanks and line breaks are all that preset 0 adds.
stripped() { sed 's/\xe3\x80\x80//g' "$1" | tr -d ' \r\n'; }
utf8_kept() {  # NAME INPUT-BYTES ARGS...
    local name=$1 bytes=$2
    shift 2
    begin "$name"
    printf "$bytes" >"$work/kept.txt"
    run format --preset 0 --fold 6 "$@" "$work/kept.txt"
    expect_status 0
    if [ "$(stripped "$out")" = "$(stripped "$work/kept.txt")" ]; then pass; else fail "bytes changed: $(od -An -tx1 "$out")"; fi
}
utf8_kept "emoji" 'ok\nあい\xf0\x9f\x98\x80うえおかき\n'
utf8_kept "wave dash" 'あいうえ〜おかきくけこ\n'
utf8_kept "latin letters after a byte order mark" '\xef\xbb\xbfcaf\xc3\xa9 au lait\n'
utf8_kept "ill-formed UTF-8 with --encoding utf-8" 'a\r\n\x82\xa0あいうえお\r\n' --encoding utf-8
utf8_kept "a text without any line end" 'あいうえおかきくけこ😀'
begin "a UTF-8 byte order mark stays in front"
printf '\xef\xbb\xbf> \xe5\xbc\x95\xe7\x94\xa8\n' >"$work/bom.txt"
run format "$work/bom.txt"
if [ "$(head -c 3 "$out" | od -An -tx1 | tr -d ' ')" = "efbbbf" ]; then pass; else fail "no byte order mark"; fi

# ---- Files that cannot be read or written ----------------------------

begin "missing input file"
run format "$work/no-such-file.txt"
expect_status 1
expect_stdout_empty
expect_stderr_has "cannot open '$work/no-such-file.txt': No such file or directory"

begin "a directory as input"
run format "$work"
expect_status 1
expect_stderr_has "'$work'"

if [ -w /dev/full ]; then
    begin "standard output that cannot be written"
    "$tool" format "$sample" >/dev/full 2>"$err"
    status=$?
    expect_status 1
    expect_stderr_has "cannot write to standard output: No space left on device"
fi

# ---- -o / --output: replaced whole or not at all --------------------------

leftovers() { find "$work/o" -name '.*lumotext*' | wc -l; }
mkdir "$work/o"

begin "-o writes the file and nothing to standard output"
run format --fold 50 -o "$work/o/result.txt" "$sample"
expect_status 0
expect_stdout_empty
expect_same "$work/o/result.txt" "$work/from-file" "-o file and standard output"

begin "--output=FILE and -oFILE"
run format --fold 50 --output="$work/o/eq.txt" "$sample"
expect_same "$work/o/eq.txt" "$work/from-file" "--output=FILE and standard output"
run format --fold 50 "-o$work/o/joined.txt" "$sample"
expect_same "$work/o/joined.txt" "$work/from-file" "-oFILE and standard output"

begin "-o replaces a file and keeps its permissions"
printf 'old contents\n' >"$work/o/keep.txt"
chmod 640 "$work/o/keep.txt"
run format --fold 50 -o "$work/o/keep.txt" "$sample"
expect_status 0
expect_same "$work/o/keep.txt" "$work/from-file" "replaced file and standard output"
if [ "$(stat -c %a "$work/o/keep.txt")" = "640" ]; then pass; else fail "permissions became $(stat -c %a "$work/o/keep.txt")"; fi

begin "a failure leaves the old file untouched and no temporary file"
printf 'old contents\n' >"$work/o/keep.txt"
printf 'fine line\nthen \0\n' >"$work/bad.txt"
run format -o "$work/o/keep.txt" "$work/bad.txt"
expect_status 1
if [ "$(cat "$work/o/keep.txt")" = "old contents" ]; then pass; else fail "the old file changed"; fi
if [ "$(leftovers)" -eq 0 ]; then pass; else fail "temporary files left behind"; fi

begin "a failure creates no output file"
run format -o "$work/o/new.txt" "$work/bad.txt"
expect_status 1
if [ ! -e "$work/o/new.txt" ]; then pass; else fail "the output file exists"; fi

begin "an output file in a missing directory"
run format -o "$work/o/missing/out.txt" "$sample"
expect_status 1
expect_stderr_has "$work/o/missing"
expect_stderr_has "No such file or directory"

begin "a directory as output file"
mkdir "$work/o/dir"
run format -o "$work/o/dir" "$sample"
expect_status 1
expect_stderr_has "'$work/o/dir'"
if [ -d "$work/o/dir" ] && [ "$(leftovers)" -eq 0 ]; then pass; else fail "directory replaced or temporary file left"; fi

begin "-o - writes to standard output"
run format --fold 50 -o - "$sample"
expect_same "$out" "$work/from-file" "outputs"

# Former bug: -w N, the width option of fold and fmt, was refused.
begin "-w N is --fold N"
run format --fold 33 "$sample"
cp "$out" "$work/fold33"
run format -w 33 "$sample"
expect_status 0
expect_same "$out" "$work/fold33" "outputs of -w 33 and --fold 33"
run bind -w 33 "$work/fold33"
expect_status 0

begin "the input file may also be the output file"
cp "$sample" "$work/o/self.txt"
run format --fold 50 -o "$work/o/self.txt" "$work/o/self.txt"
expect_status 0
expect_same "$work/o/self.txt" "$work/from-file" "file formatted in place and standard output"

finish
