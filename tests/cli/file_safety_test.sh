#!/usr/bin/env bash
# The tool never damages a file: -o writes into devices, FIFOs and
# descriptors and replaces the file a link names; -i keeps links, owner,
# group and mode and refuses to part hard links; a signal during -i leaves
# the folder as it was; --check tells "would change" (1) from an error (2)
# and reads standard input. Devices and other users' files need root (as CI
# runs); elsewhere those cases are skipped with a note.
# Usage: bash file_safety_test.sh PATH-TO-LUMOTEXT SOURCE-DIR
set -u

source "$(dirname "$0")/harness.sh" "$@"

root=false
[ "$(id -u)" -eq 0 ] && root=true
folded=$work/folded.txt
"$tool" format --fold 30 "$sample" >"$folded"
leftovers() { find "$1" -name '.*lumotext-*' | wc -l; }
# repeat FILE N: FILE's text N times over, by doubling.
repeat() {
    local part=$work/repeat.part count=$2
    cp "$1" "$part"
    : >"$work/repeat.all"
    while [ "$count" -gt 0 ]; do
        [ $((count % 2)) -eq 1 ] && cat "$part" >>"$work/repeat.all"
        cat "$part" "$part" >"$part.2" && mv "$part.2" "$part"
        count=$((count / 2))
    done
    cat "$work/repeat.all"
    rm -f "$part" "$work/repeat.all"
}
expect_no_leftovers() {
    if [ "$(leftovers "$1")" -eq 0 ]; then pass; else fail "a temporary file was left in $1"; fi
}
expect_kind() {  # FILE KIND (as stat %F says it)
    if [ "$(stat -c %F "$1")" = "$2" ]; then pass; else fail "$1 is a $(stat -c %F "$1"), not a $2"; fi
}

# ---- Former bugs: -o replaced what it named -----------------------------------

mkdir "$work/o"
if $root; then
    begin "former bug: -o onto a device turned it into a regular file"
    mknod "$work/o/null" c 1 3
    mknod "$work/o/full" c 1 7
    run format --fold 30 -o "$work/o/null" "$sample"
    expect_status 0
    expect_kind "$work/o/null" "character special file"
    run format --fold 30 -o "$work/o/full" "$sample"
    expect_status 1
    expect_stderr_has "cannot write '$work/o/full': No space left on device"
    expect_kind "$work/o/full" "character special file"
    expect_no_leftovers "$work/o"
else
    echo "note: not root: the device cases (mknod) are skipped"
fi

begin "former bug: -o onto a FIFO replaced it; it is written into"
mkfifo "$work/o/fifo"
timeout 30 cat "$work/o/fifo" >"$work/o/from-fifo" &
reader=$!
run format --fold 30 -o "$work/o/fifo" "$sample"
wait "$reader"
expect_status 0
expect_kind "$work/o/fifo" "fifo"
expect_same "$work/o/from-fifo" "$folded" "what the FIFO's reader got and the folded text"

begin "former bug: -o onto a symlink replaced the link; the file it names is replaced"
printf 'old\n' >"$work/o/target.txt"
ln -s target.txt "$work/o/link.txt"
run format --fold 30 -o "$work/o/link.txt" "$sample"
expect_status 0
expect_kind "$work/o/link.txt" "symbolic link"
expect_same "$work/o/target.txt" "$folded" "the link's file and the folded text"
ln -s new-target.txt "$work/o/dangling.txt"
run format --fold 30 -o "$work/o/dangling.txt" "$sample"
expect_kind "$work/o/dangling.txt" "symbolic link"
expect_same "$work/o/new-target.txt" "$folded" "the file a dangling link named and the folded text"
expect_no_leftovers "$work/o"

begin "former bug: -o /dev/stdout failed for an ordinary user"
if $root; then
    chmod 755 "$work"
    su nobody -s /bin/sh -c "'$tool' format --fold 30 -o /dev/stdout '$sample'" >"$out" 2>"$err"
    status=$?
else
    run format --fold 30 -o /dev/stdout "$sample"
fi
expect_status 0
expect_same "$out" "$folded" "-o /dev/stdout and the folded text"
# Appending through it appends: the descriptor itself is written.
printf 'before\n' >"$work/o/appended"
"$tool" format --fold 30 -o /dev/stdout "$sample" >>"$work/o/appended" 2>"$err"
{ printf 'before\n'; cat "$folded"; } >"$work/o/expected-append"
expect_same "$work/o/appended" "$work/o/expected-append" "output appended through /dev/stdout"

# ---- Former bugs: -i replaced links and lost owners ----------------------------

mkdir "$work/i"
begin "former bug: -i replaced a symlink by a regular file"
cp "$sample" "$work/i/real.txt"
ln -s real.txt "$work/i/link.txt"
run format --fold 30 -i "$work/i/link.txt"
expect_status 0
expect_kind "$work/i/link.txt" "symbolic link"
expect_same "$work/i/real.txt" "$folded" "the link's file and the folded text"

begin "former bug: -i split hard links silently; it refuses, --split-links does it"
cp "$sample" "$work/i/one.txt"
ln "$work/i/one.txt" "$work/i/two.txt"
run format --fold 30 -i "$work/i/one.txt"
expect_status 1
expect_stderr_has "'$work/i/one.txt' has 2 hard links"
expect_stderr_has "--split-links"
expect_same "$work/i/one.txt" "$sample" "the refused file and the sample"
if [ "$(stat -c %h "$work/i/one.txt")" = 2 ]; then pass; else fail "the links were parted"; fi
run format --fold 30 -i --split-links "$work/i/one.txt"
expect_status 0
expect_same "$work/i/one.txt" "$folded" "the rewritten file and the folded text"
expect_same "$work/i/two.txt" "$sample" "the other link and the sample"
usage() { run "$@"; expect_status 2; }
usage format --split-links "$work/i/two.txt"

begin "-i keeps the mode, set-group-ID included"
cp "$sample" "$work/i/mode.txt"
chmod 2640 "$work/i/mode.txt"
run format --fold 30 -i "$work/i/mode.txt"
expect_status 0
if [ "$(stat -c %a "$work/i/mode.txt")" = 2640 ]; then pass; else fail "mode $(stat -c %a "$work/i/mode.txt")"; fi

if $root; then
    begin "former bug: -i as root made another user's file root's"
    cp "$sample" "$work/i/theirs.txt"
    chown nobody:nogroup "$work/i/theirs.txt"
    chmod 604 "$work/i/theirs.txt"
    run format --fold 30 -i "$work/i/theirs.txt"
    expect_status 0
    if [ "$(stat -c %U:%G:%a "$work/i/theirs.txt")" = nobody:nogroup:604 ]; then pass; else
        fail "owner, group and mode became $(stat -c %U:%G:%a "$work/i/theirs.txt")"
    fi
    expect_same "$work/i/theirs.txt" "$folded" "the rewritten file and the folded text"

    begin "-i refuses a file whose owner it cannot keep, and leaves it"
    mkdir "$work/i/shared"
    chmod 777 "$work/i/shared"
    chmod 755 "$work" "$work/i"
    cp "$sample" "$work/i/shared/roots.txt"
    chmod 666 "$work/i/shared/roots.txt"
    su nobody -s /bin/sh -c "'$tool' format -i '$work/i/shared/roots.txt'" >"$out" 2>"$err"
    status=$?
    expect_status 1
    expect_stderr_has "cannot keep the owner and group (0:0)"
    if [ "$(stat -c %U "$work/i/shared/roots.txt")" = root ]; then pass; else fail "the owner changed"; fi
    expect_same "$work/i/shared/roots.txt" "$sample" "the refused file and the sample"
    expect_no_leftovers "$work/i/shared"
else
    echo "note: not root: the cases of other users' files are skipped"
fi

begin "-i refuses what is not a regular file"
mkfifo "$work/i/fifo"
timeout 30 "$tool" format -i "$work/i/fifo" >"$out" 2>"$err" </dev/null  # a FIFO read waits for a writer
status=$?
expect_status 1
expect_stderr_has "not a regular file"
expect_kind "$work/i/fifo" "fifo"
expect_no_leftovers "$work/i"

# ---- Former bug: a signal during -i left a temporary file as large as the file -

mkdir "$work/big"
repeat "$sample" 40000 >"$work/big/big.txt"  # 107 MB
sum=$(md5sum <"$work/big/big.txt")
for signal in INT TERM; do
    begin "former bug: SIG$signal during -i on a file of 100 MB left its temporary file"
    # A background job of a script ignores SIGINT unless told otherwise.
    env --default-signal=INT "$tool" format --fold 20 -i "$work/big/big.txt" 2>"$err" &
    pid=$!
    for _ in $(seq 1 500); do [ "$(leftovers "$work/big")" -gt 0 ] && break; sleep 0.01; done
    # Stopped, so that it cannot finish before the signal arrives.
    kill -STOP "$pid"
    if [ "$(leftovers "$work/big")" -gt 0 ]; then pass; else fail "no temporary file was seen"; fi
    kill -"$signal" "$pid"
    kill -CONT "$pid"
    wait "$pid"
    status=$?
    expected=$((128 + $(kill -l "$signal")))
    expect_status "$expected"
    expect_no_leftovers "$work/big"
    if [ "$(md5sum <"$work/big/big.txt")" = "$sum" ]; then pass; else fail "the file changed"; fi
    if [ "$(ls -A "$work/big")" = big.txt ]; then pass; else fail "the folder holds $(ls -A "$work/big")"; fi
done
rm -rf "$work/big"

# ---- Former bug: --check said 1 for a missing file and refused standard input ---

mkdir "$work/c"
cp "$folded" "$work/c/folded.txt"
cp "$sample" "$work/c/long.txt"
check_status() {  # EXPECTED NAME ARGS...
    local expected=$1 name=$2
    shift 2
    begin "--check: $name"
    run format --fold 30 --check "$@"
    expect_status "$expected"
}
check_status 0 "nothing would change" "$work/c/folded.txt"
check_status 1 "a file would change" "$work/c/folded.txt" "$work/c/long.txt"
expect_line "$work/c/long.txt:5: would be reformatted"
check_status 2 "former bug: a missing file" "$work/c/missing.txt"
expect_stderr_has "cannot open '$work/c/missing.txt'"
check_status 2 "a missing file among others that would change" "$work/c/long.txt" "$work/c/missing.txt"
expect_line "$work/c/long.txt:5: would be reformatted"
check_status 2 "a file that cannot be read" "$work/c"
printf 'ok\n\0\n' >"$work/c/nul.txt"
check_status 2 "a file that is not text" "$work/c/nul.txt"
check_status 2 "a wrong option" --fold 0 "$work/c/folded.txt"
check_status 2 "--check with --output" -o "$work/c/x" "$work/c/folded.txt"

begin "former bug: --check refused standard input; nothing would change"
run_in "$work/c/folded.txt" format --fold 30 --check
expect_status 0
expect_stdout_empty
run_in "$work/c/folded.txt" format --fold 30 --check -
expect_status 0

begin "--check on standard input that would change"
run_in "$sample" format --fold 30 --check
expect_status 1
expect_line "standard input:5: would be reformatted"

begin "--check on standard input of many pieces, in a pipe"
repeat "$folded" 3000 >"$work/c/many.txt"  # 8 MB: pieces of 512 KiB
cat "$work/c/many.txt" | "$tool" format --fold 30 --check >"$out" 2>"$err"
status=$?
expect_status 0
{ cat "$work/c/many.txt"; printf 'このような長い行は折り返されることになるでしょう、きっと。\n'; } |
    "$tool" format --fold 30 --check >"$out" 2>"$err"
status=$?
expect_status 1
expect_line "standard input:$(( $(wc -l <"$work/c/many.txt") + 1 )): would be reformatted"

finish
