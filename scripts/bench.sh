#!/usr/bin/env bash
# make bench: the library calls (Google Benchmark) and the whole tool against
# nkf, GNU fold and Text::LineFold (interleaved runs, GNU time) on Shift-JIS corpora
# of 1 to 64 MiB (bench/corpus, never committed), and the tool's peak memory
# from 1 MiB to 1 GiB (the large inputs made by concatenation in a scratch
# folder, when the disk has room), written to docs/performance.md and
# docs/performance.png. Release build in build/bench.
# Usage: scripts/bench.sh [RUNS]   (RUNS: timed runs of each fast command, 10)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-10}
build=build/bench
corpus=bench/corpus
results=$build/results
fold=70
sizes=(1 2 4 8 16 32 64)
large=64        # MB: the comparison with nkf and fold, and bind
memory_sizes=(1 4 16 64 256 1024)  # MiB: peak memory; above 64 by concatenation
linefold_mb=8   # MB: Text::LineFold folds well under 1 MB/s

for tool in cmake ninja nkf fold perl python3 gnuplot /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done
perl -MText::LineFold -e1 2>/dev/null || { echo "bench: Text::LineFold is missing (scripts/install-deps.sh bench)" >&2; exit 1; }

echo "bench: building (Release, $build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMOTEXT_WERROR=ON -DLUMOTEXT_TESTS=OFF >/dev/null
cmake --build "$build" --target lumotext_cli format_bench >/dev/null
lumotext=$build/lumotext
rm -rf "$results"
mkdir -p "$results"

echo "bench: corpora in $corpus"
for mb in "${sizes[@]}"; do
  text=$corpus/corpus-${mb}m.sjis.txt
  [[ -f $text ]] || scripts/make-corpus.sh "$text" "$mb"
  # The folded text, which is what lumotext bind is measured on.
  "$lumotext" format --encoding sjis --fold $fold "$text" > "$results/folded-${mb}m.txt"
done
printf 'a\r\n' > "$results/tiny.txt"

{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores"
  echo "memory: $(free -g | awk '/^Mem:/ {print $2}') GiB"
  echo "system: $(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r)"
  echo "compiler: $(c++ --version | head -1)"
  echo "tools: $(nkf --version | head -1 | sed 's/ *$//'); $(fold --version | head -1); Text::LineFold $(perl -MText::LineFold -e 'print $Text::LineFold::VERSION')"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
} > "$results/machine.txt"

echo "bench: library calls (Google Benchmark, 1 MB)"
LUMOTEXT_CORPUS=$corpus/corpus-1m.sjis.txt "$build/bench/format_bench" \
  --benchmark_min_time=1 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$results/library.json" --benchmark_out_format=json >"$results/library.log" 2>&1

# Each command reads its file and writes to /dev/null. Rounds run every
# command once, so that other work on the machine falls on all alike.
timeruns() { python3 bench/timeruns.py "$@"; }
format_cmd() { echo "$lumotext format --encoding sjis --fold $fold $1"; }
bind_cmd() { echo "$lumotext bind --encoding sjis --fold $fold $1"; }
nkf_cmd() { echo "nkf -Sx -s -f$fold $1"; }
fold_cmd() { echo "fold -b -w$fold $1"; }
linefold_cmd() { echo "perl bench/linefold.pl $fold $1"; }

echo "bench: whole process on $large MB"
text=$corpus/corpus-${large}m.sjis.txt
timeruns "$results/compare.json" "$runs" 2 \
  "format=$(format_cmd "$text")" "bind=$(bind_cmd "$results/folded-${large}m.txt")" \
  "fold=$(fold_cmd "$text")" "nkf=$(nkf_cmd "$text")"

echo "bench: UTF-8 on $large MB (the same corpus converted)"
utf8=$results/corpus-${large}m.utf8.txt
iconv -f CP932 -t UTF-8 "$corpus/corpus-${large}m.sjis.txt" > "$utf8"
timeruns "$results/compare-utf8.json" "$runs" 2 \
  "format=$lumotext format --encoding utf-8 --fold $fold $utf8" "fold=$(fold_cmd "$utf8")" \
  "nkf=nkf -Wx -w -f$fold $utf8"
printf '%s\t%s\n' "$(stat -c %s "$utf8")" \
  "$(/usr/bin/time -v "$lumotext" format --encoding utf-8 --fold $fold "$utf8" 2>&1 >/dev/null |
     sed -n 's/.*Maximum resident set size (kbytes): //p')" > "$results/memory-utf8.tsv"

echo "bench: Text::LineFold on $linefold_mb MB"
text=$corpus/corpus-${linefold_mb}m.sjis.txt
timeruns "$results/linefold.json" 3 0 "linefold=$(linefold_cmd "$text")" "format=$(format_cmd "$text")"

echo "bench: scaling, 1 to 64 MB"
# The fixed cost of a run: starting the process on a 3-byte input.
timeruns "$results/scale-tiny.json" $(( runs * 3 )) 3 \
  "format=$(format_cmd "$results/tiny.txt")" "bind=$(bind_cmd "$results/tiny.txt")"
for mb in "${sizes[@]}"; do
  text=$corpus/corpus-${mb}m.sjis.txt
  timeruns "$results/scale-${mb}m.json" "$runs" 1 \
    "format=$(format_cmd "$text")" "bind=$(bind_cmd "$results/folded-${mb}m.txt")" \
    "fold=$(fold_cmd "$text")" "nkf=$(nkf_cmd "$text")"
done

echo "bench: peak memory (GNU time), ${memory_sizes[0]} MiB to ${memory_sizes[-1]} MiB"
peak() { /usr/bin/time -v "$@" 2>&1 >/dev/null | sed -n 's/.*Maximum resident set size (kbytes): //p'; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# The large inputs repeat the 64 MiB corpus and its folded text; each line is
# folded on its own, so the folded concatenation is the concatenation folded.
free_mb=$(df -Pm "$scratch" | awk 'NR == 2 {print $4}')
{
  printf 'tiny\t%s\t%s\t%s\n' "$(stat -c %s "$results/tiny.txt")" \
    "$(peak $(format_cmd "$results/tiny.txt"))" "$(peak $(bind_cmd "$results/tiny.txt"))"
  for mb in "${memory_sizes[@]}"; do
    text=$corpus/corpus-${mb}m.sjis.txt
    folded=$results/folded-${mb}m.txt
    if (( mb > large )); then
      (( free_mb > 3 * mb )) || { echo "bench: no room for $mb MiB in $scratch" >&2; continue; }
      text=$scratch/corpus-${mb}m.sjis.txt
      folded=$scratch/folded-${mb}m.txt
      for _ in $(seq 1 $(( mb / large ))); do cat "$corpus/corpus-${large}m.sjis.txt"; done > "$text"
      for _ in $(seq 1 $(( mb / large ))); do cat "$results/folded-${large}m.txt"; done > "$folded"
    fi
    printf '%s\t%s\t%s\t%s\n' "$mb" "$(stat -c %s "$text")" "$(peak $(format_cmd "$text"))" \
      "$(peak $(bind_cmd "$folded"))"
    if (( mb > large )); then rm -f "$text" "$folded"; fi
  done
} > "$results/memory.tsv"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)" >> "$results/machine.txt"

python3 bench/report.py "$results" "$corpus" docs/performance.md docs/performance.png
echo "bench: wrote docs/performance.md and docs/performance.png"
