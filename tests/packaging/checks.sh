# The few checks that the packaging tests share, sourced by each of them:
# check NAME COMMAND... runs the command and counts it as passed or failed
# (with its output on failure); finish prints the count and sets the status.
passed=0
failed=0
check() {
    local name=$1 output
    shift
    if output=$("$@" 2>&1); then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL: $name"
        [[ -n $output ]] && sed 's/^/    /' <<<"$output" | head -15
    fi
}
finish() {
    echo "$(basename "$0"): $passed passed, $failed failed"
    [[ $failed -eq 0 ]]
}
