#!/usr/bin/env bash
# Builds the libFuzzer programs (preset fuzz) and runs each for DURATION
# seconds on one core after replaying its kept findings. Findings land in
# build/fuzz/findings/<target>/; clean runs are added to build/fuzz/fuzz-log.tsv.
# Usage: scripts/fuzz.sh [DURATION] [TARGET...]   (default 60 s, all targets)
set -euo pipefail
cd "$(dirname "$0")/.."
duration=${1:-60}
shift || true
build=${LUMOTEXT_FUZZ_BUILD:-build/fuzz}

scripts/install-deps.sh test
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" >/dev/null

targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for program in "$build"/fuzz/fuzz_*; do targets+=("${program##*/fuzz_}"); done
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
log="$build/fuzz-log.tsv"
status=0
for target in "${targets[@]}"; do
  program="$build/fuzz/fuzz_$target"
  [[ -x $program ]] || { echo "fuzz: no target '$target'" >&2; exit 2; }
  work="$build/corpus/$target"
  findings="$build/findings/$target"
  mkdir -p "$work" "$findings"
  shopt -s nullglob
  kept=(fuzz/regressions/"$target"/*)
  shopt -u nullglob
  if [[ ${#kept[@]} -gt 0 ]] && ! "$program" -runs=0 "${kept[@]}" >"$findings/replay.log" 2>&1; then
    echo "fuzz $target: a kept finding fails again, see $findings/replay.log" >&2
    status=1
    continue
  fi
  # New inputs go to the working corpus in the build; the seeds stay as
  # they are committed.
  if "$program" -max_total_time="$duration" -timeout=25 -rss_limit_mb=2560 \
       -artifact_prefix="$findings/" -print_final_stats=1 \
       "$work" "fuzz/corpus/$target" >"$findings/run.log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$findings/run.log")
    printf '%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$target" "$duration" "${runs:-?}" >>"$log"
    echo "fuzz $target: ${runs:-?} inputs in ${duration} s, no finding"
  else
    echo "fuzz $target: FINDING, see $findings/run.log and the crash-* file beside it" >&2
    grep -E 'property failed|ERROR:|SUMMARY' "$findings/run.log" | head -5 >&2 || true
    status=1
  fi
done
exit $status
