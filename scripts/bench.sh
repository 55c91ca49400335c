#!/usr/bin/env bash
# make bench: builds the native preset, builds the Shift-JIS corpus from
# Debian's Japanese documentation (never committed), and runs the library
# benchmarks on it, printing throughput in MB/s.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j "$(nproc)" --target format_bench lumotext_cli >/dev/null
corpus=bench/corpus/corpus-8m.sjis.txt
[[ -f $corpus ]] || scripts/make-corpus.sh "$corpus" 8
echo "corpus: $corpus ($(stat -c %s "$corpus") bytes)"
LUMOTEXT_CORPUS=$corpus build/native/bench/format_bench --benchmark_min_time=1
# The whole tool, as a user runs it.
start=$(date +%s.%N)
build/native/lumotext format --encoding sjis --fold 70 "$corpus" >/dev/null
end=$(date +%s.%N)
python3 -c "import sys; size=int(sys.argv[1]); t=float(sys.argv[3])-float(sys.argv[2]); print(f'lumotext format: {size/t/1e6:.1f} MB/s ({t*1000:.0f} ms)')" \
  "$(stat -c %s "$corpus")" "$start" "$end"
