#!/usr/bin/env bash
# The tool as a filter and as a formatter of files: several files, --check,
# --in-place (also on a full disk and a read-only file system), closed pipes,
# a full output device, slow pipes, and bind giving back what format folded.
# Usage: bash stream_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/harness.sh" "$@"

# ---- Several files --------------------------------------------------------

begin "several files: their results one after the other"
printf '　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。\n' >"$work/a.txt"
printf '・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったもの）\r\n' >"$work/b.txt"
"$tool" format --fold 20 "$work/a.txt" >"$work/a.out"
"$tool" format --fold 20 "$work/b.txt" >"$work/b.out"
cat "$work/a.out" "$work/b.out" >"$work/ab.out"
run format --fold 20 "$work/a.txt" "$work/b.txt"
expect_status 0
expect_same "$out" "$work/ab.out" "two files and their results concatenated"
run format --fold 20 "$work/a.txt" "$work/missing.txt" "$work/b.txt"
expect_status 1
expect_stderr_has "cannot open '$work/missing.txt'"
expect_same "$out" "$work/ab.out" "the files around a missing one"

# ---- --check --------------------------------------------------------------

begin "--check on folded files: nothing to do"
mkdir -p "$work/tree"
cp "$work/a.out" "$work/tree/a.txt"
cp "$work/b.out" "$work/tree/b.txt"
run format --fold 20 --check "$work/tree/a.txt" "$work/tree/b.txt"
expect_status 0
expect_stdout_empty
expect_same "$work/tree/a.txt" "$work/a.out" "a checked file and its folded text"

begin "--check names a file that would change, with its first such line"
{ printf 'ok\n\n'; cat "$work/a.out"; printf 'ab\n'; } >"$work/tree/c.txt"
printf 'これはとても長い一行なので折り返されるはずです。\n' >>"$work/tree/c.txt"
cp "$work/tree/c.txt" "$work/c.before"
run format --fold 20 --check "$work/tree/a.txt" "$work/tree/c.txt"
expect_status 1
line=$(( $(wc -l <"$work/a.out") + 4 ))
expect_line "$work/tree/c.txt:$line: would be reformatted"
expect_stdout_lacks "a.txt"
expect_same "$work/tree/c.txt" "$work/c.before" "a checked file and itself before"
run format --fold 20 --check "$work/tree/short.txt"
expect_status 2
expect_stderr_has "cannot open"

begin "bind --check: a bound text is bound"
printf 'abc\ndef\n' >"$work/bound.txt"
run bind --check "$work/bound.txt"
expect_status 1
expect_line "$work/bound.txt:1: would be reformatted"

# ---- --in-place -----------------------------------------------------------

begin "--in-place rewrites each file and keeps its permissions"
cp "$work/a.txt" "$work/i1.txt"
cp "$work/b.txt" "$work/i2.txt"
chmod 640 "$work/i1.txt"
run format --fold 20 -i "$work/i1.txt" "$work/i2.txt"
expect_status 0
expect_stdout_empty
expect_same "$work/i1.txt" "$work/a.out" "the first rewritten file"
expect_same "$work/i2.txt" "$work/b.out" "the second rewritten file"
if [ "$(stat -c %a "$work/i1.txt")" = 640 ]; then pass; else fail "permissions $(stat -c %a "$work/i1.txt")"; fi
if ls -a "$work" | grep -q lumotext-; then fail "a temporary file was left"; else pass; fi

begin "--in-place: a file that fails is left as it was and named, the others are done"
cp "$work/a.txt" "$work/i1.txt"
printf 'ok\n\0\n' >"$work/bad.txt"
cp "$work/bad.txt" "$work/bad.before"
run format --fold 20 --encoding utf-8 -i "$work/bad.txt" "$work/i1.txt"
expect_status 1
expect_stderr_has "$work/bad.txt: line 2, column 1: the input contains a NUL byte"
expect_stderr_has "$work/bad.txt was left as it was"
expect_same "$work/bad.txt" "$work/bad.before" "the failed file and itself before"
expect_same "$work/i1.txt" "$work/a.out" "the file after the failed one"

# A full disk and a read-only file system, on small file systems of our own
# (root only: chmod does not stop root).
if mkdir -p "$work/small" && mount -t tmpfs -o size=64k tmpfs "$work/small" 2>/dev/null; then
    begin "--in-place on a full disk leaves the file as it was"
    for i in $(seq 1 500); do printf '　星空観察会のご案内。今年も開催します。\n'; done >"$work/small/big.txt"
    cp "$work/small/big.txt" "$work/big.before"
    head -c 40000 /dev/zero >"$work/small/filler" 2>/dev/null
    run format --fold 10 -i "$work/small/big.txt"
    expect_status 1
    expect_stderr_has "No space left on device"
    expect_same "$work/small/big.txt" "$work/big.before" "the file on the full disk and itself before"
    if ls -a "$work/small" | grep -q lumotext-; then fail "a temporary file was left"; else pass; fi

    begin "--in-place on a read-only file system leaves the file as it was"
    rm -f "$work/small/filler"
    cp "$work/a.txt" "$work/small/ro.txt"
    mount -o remount,ro "$work/small"
    run format --fold 20 -i "$work/small/ro.txt"
    expect_status 1
    expect_stderr_has "Read-only file system"
    expect_same "$work/small/ro.txt" "$work/a.txt" "the read-only file and itself before"
    umount "$work/small"
else
    echo "note: cannot mount a small file system here; the full-disk cases are skipped"
fi

# ---- A filter in a pipeline -----------------------------------------------

begin "a closed pipe ends the tool quietly, having read no more than it needs"
set +e
yes '　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。' |
    timeout 60 "$tool" format --fold 20 2>"$err" | head -n 3 >"$out"
statuses=("${PIPESTATUS[@]}")
if [ "${statuses[1]}" -eq 141 ]; then pass; else fail "exit status ${statuses[1]}, expected 141 (SIGPIPE)"; fi
expect_stderr_empty
if [ "$(wc -l <"$out")" -eq 3 ]; then pass; else fail "head did not get its lines"; fi

begin "a full output device is a message and exit 1"
"$tool" format "$sample" >/dev/full 2>"$err"
status=$?
expect_status 1
expect_stderr_has "cannot write to standard output: No space left on device"

begin "a slow pipe: each line goes out as soon as it is complete"
mkfifo "$work/fifo"
"$tool" format --fold 20 <"$work/fifo" >"$out" 2>"$err" &
pid=$!
exec 7>"$work/fifo"
printf 'あいうえお\n' >&7
for _ in $(seq 1 100); do [ -s "$out" ] && break; sleep 0.1; done
if [ "$(cat "$out")" = "あいうえお" ]; then pass; else fail "the first line did not go out while the pipe stayed open"; fi
printf 'かきくけこ\n' >&7
exec 7>&-
wait "$pid"
status=$?
expect_status 0
if [ "$(cat "$out")" = "$(printf 'あいうえお\nかきくけこ')" ]; then pass; else fail "output '$(cat "$out")'"; fi

begin "auto: a text that began as UTF-8 and goes on in Shift-JIS is refused at that line"
# More than a piece of UTF-8 first (a piece is 512 KiB), so that it decides.
{ yes 'あいうえおかきくけこ' | head -n 30000; printf 'かきく\n' | iconv -f UTF-8 -t CP932; } >"$work/mixed.txt"
printf 'old\n' >"$work/mixed.out"
run format -o "$work/mixed.out" "$work/mixed.txt"
expect_status 1
expect_stderr_has "mixed.txt: line 30001, column 1: byte 0x82 is not UTF-8"
if [ "$(cat "$work/mixed.out")" = old ]; then pass; else fail "the output file was written"; fi
run format --force-encoding "$work/mixed.txt"
expect_status 0
if [ "$(tail -n 1 "$out")" = "$(tail -n 1 "$work/mixed.txt")" ]; then pass; else fail "the Shift-JIS line changed"; fi

begin "a text without a line end is folded with LF"
printf 'あいうえおかきくけこさしすせそ' >"$work/oneline.txt"
run format --fold 10 "$work/oneline.txt"
if grep -q $'\r' "$out"; then fail "a CR in the output"; else pass; fi
if [ "$(wc -l <"$out")" -ge 1 ]; then pass; else fail "not folded"; fi

begin "a line whose prefix fills the fold column: a warning, exit 0; --strict refuses"
printf 'ab\n1. あいうえおかきくけこ\n' >"$work/prefix.txt"
run format --fold 3 "$work/prefix.txt"
expect_status 0
expect_stderr_has "lumotext: warning: $work/prefix.txt: line 2: the continuation prefix fills the fold column; folded without it"
expect_line "ab"
run format --fold 3 --strict "$work/prefix.txt"
expect_status 1
expect_stdout_lacks "あい"

# ---- bind gives back what format folded -----------------------------------

# Paragraphs as long lines, the README's example and lists: every block's
# end is plain whatever the fold column.
cat >"$work/doc.txt" <<'DOC'
　みどり台公民館では、毎年恒例の秋の星空観察会を今年も開催いたします。今回は新しく購入した口径20cmの反射望遠鏡を使い、土星の環をご覧いただく予定です。

・持ち物：防寒着、懐中電灯（赤いセロハンを貼ったものがおすすめです）、お持ちの方は双眼鏡
・集合：午後6時20分に公民館の正面玄関前

> 去年は土星の環がはっきり見えて、子どもたちが大喜びでした。

　当日は駐車場が混み合いますので、なるべく徒歩か自転車でお越しください。お問い合わせは公民館の窓口までどうぞ。
DOC
begin "bind --fold N of format --fold N gives the document back (presets 0-2, folds 20-100)"
bad=""
for preset in 0 1 2; do
    for fold in $(seq 20 100); do
        "$tool" format --preset $preset --fold $fold "$work/doc.txt" |
            "$tool" bind --preset $preset --fold $fold >"$out" 2>"$err"
        cmp -s "$out" "$work/doc.txt" || bad="$bad $preset/$fold"
    done
done
if [ -z "$bad" ]; then pass; else fail "not given back at preset/fold:$bad"; fi

begin "bind streams: a block cut across reads is bound whole"
"$tool" format --fold 20 "$work/doc.txt" >"$work/doc.folded"
{ head -c 100 "$work/doc.folded"; sleep 0.3; tail -c +101 "$work/doc.folded"; } |
    "$tool" bind --fold 20 >"$out" 2>"$err"
expect_same "$out" "$work/doc.txt" "bound slow input and the document"

finish
