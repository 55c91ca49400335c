# The shared harness of the command-line tests, sourced by each *_test.sh
# with its own arguments: PATH-TO-LUMOTEXT SOURCE-DIR. It sets up a scratch
# folder and a private settings store, runs the tool, and counts checks; a
# script ends with `finish`.
set -u

if [ $# -ne 2 ]; then
    echo "usage: bash $(basename "$0") PATH-TO-LUMOTEXT SOURCE-DIR" >&2
    exit 2
fi
tool=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
source_dir=$2
sample=$source_dir/examples/sample.txt
sample_sjis=$source_dir/examples/sample-sjis.txt
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
out=$work/out
err=$work/err
store=$work/registry.sqlite3
export LUMOTEXT_REGISTRY=$store

passed=0
failed=0
current=""

# begin NAME: starts a case; its checks below report under that name.
begin() { current=$1; }
pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    echo "FAIL: $current: $1"
    if [ -s "$err" ]; then sed 's/^/    stderr: /' "$err" | head -5; fi
}

# run ARGS...: runs the tool with no standard input; sets status.
run() {
    "$tool" "$@" >"$out" 2>"$err" </dev/null
    status=$?
}
# run_in FILE ARGS...: runs the tool with FILE as standard input.
run_in() {
    local input=$1
    shift
    "$tool" "$@" >"$out" 2>"$err" <"$input"
    status=$?
}

expect_status() {
    if [ "$status" -eq "$1" ]; then pass; else fail "exit status $status, expected $1"; fi
}
expect_stdout_empty() {
    if [ ! -s "$out" ]; then pass; else fail "standard output is not empty"; fi
}
expect_stdout_has() {
    if grep -qF -- "$1" "$out"; then pass; else fail "standard output lacks '$1'"; fi
}
expect_stdout_lacks() {
    if ! grep -qF -- "$1" "$out"; then pass; else fail "standard output has '$1'"; fi
}
expect_line() {  # the whole line, exactly
    if grep -qxF -- "$1" "$out"; then pass; else fail "standard output lacks the line '$1'"; fi
}
expect_stderr_has() {
    if grep -qF -- "$1" "$err"; then pass; else fail "standard error lacks '$1'"; fi
}
expect_stderr_empty() {
    if [ ! -s "$err" ]; then pass; else fail "standard error is not empty"; fi
}
expect_same() {  # FILE-A FILE-B WHAT
    if cmp -s "$1" "$2"; then pass; else fail "$3 differ"; fi
}

# A misspelt check must fail the script, not pass it by doing nothing.
command_not_found_handle() {
    fail "no such command: $1"
    return 127
}

# finish: the closing line that test runners read, and the exit status.
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}
