#!/usr/bin/env bash
# make bench: every speed and memory goal of the tool and the library,
# written to docs/performance.md and docs/performance.png (bench/report.py).
# The tool against GNU fold -b (and nkf, Text::LineFold) on two corpora in
# Shift-JIS and UTF-8 (Debian's Japanese manual pages as man shows them, and
# Debian's Japanese reference manual in long paragraph lines), one line of
# 100 MB against 100 MB of ordinary lines, 300 MiB of NUL bytes, bind
# against format, peak memory from 1 MiB to 1 GiB, the library calls (Google
# Benchmark) and lumo_format's first call in a process against its later
# calls. Times are medians of interleaved runs (bench/timeruns.py), peak
# memory is GNU time's. Corpora live in bench/corpus (never committed), the
# inputs made from them in build/bench/scratch, removed at the end.
# Usage: scripts/bench.sh [RUNS]   (RUNS: timed runs of each command, 7)
set -euo pipefail
cd "$(dirname "$0")/.."

runs=${1:-7}
build=build/bench
corpus=bench/corpus
results=$build/results
scratch=$build/scratch
fold=70
sizes=(1 2 4 8 16 32 64)           # MiB of the reference manual corpus: scaling
large=64                           # MiB: the comparisons with fold and nkf, and bind
manpages_mb=256                    # MiB of each manual page corpus
long_bytes=100000000               # the long line, and the ordinary lines it is set against
nul_size=300M                      # NUL bytes (head -c)
memory_sizes=(1 4 16 64 256 1024)  # MiB: peak memory; above 64 by concatenation
linefold_mb=8                      # MB: Text::LineFold folds well under 1 MB/s
first_call_runs=11                 # processes timing lumo_format's first call

for tool in cmake ninja nkf fold iconv perl python3 gnuplot /usr/bin/time man col; do
  command -v "$tool" >/dev/null || { echo "bench: $tool is missing (scripts/install-deps.sh bench)" >&2; exit 1; }
done
perl -MText::LineFold -e1 2>/dev/null || { echo "bench: Text::LineFold is missing (scripts/install-deps.sh bench)" >&2; exit 1; }

started=$(date +%s)
made_corpus=""
echo "bench: building (Release, $build)"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DLUMOTEXT_WERROR=ON -DLUMOTEXT_TESTS=OFF >/dev/null
cmake --build "$build" --target lumotext_cli format_bench first_call >/dev/null
lumotext=$build/lumotext
rm -rf "$results" "$scratch"
mkdir -p "$results" "$scratch"
trap 'rm -rf "$scratch"' EXIT

# The load average at the start of each part, for the report.
load() { printf '%s\t%s\n' "$1" "$(cut -d' ' -f1-3 /proc/loadavg)" >> "$results/loads.tsv"; }
# The size of an input that is gone by the time the report is written.
record_size() { printf '%s\t%s\n' "$1" "$(stat -c %s "$2")" >> "$results/sizes.tsv"; }
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1; }
timeruns() { python3 bench/timeruns.py "$@"; }

echo "bench: corpora in $corpus"
load corpora
for mb in "${sizes[@]}"; do
  text=$corpus/corpus-${mb}m.sjis.txt
  [[ -f $text ]] || { scripts/make-corpus.sh "$text" "$mb"; made_corpus=1; }
done
manpages_utf8=$corpus/manpages-${manpages_mb}m.utf8.txt
manpages_sjis=$corpus/manpages-${manpages_mb}m.sjis.txt
if [[ ! -f $manpages_utf8 || ! -f $manpages_sjis || ! -f $manpages_utf8.about ]]; then
  echo "bench: rendering the manual pages (a minute or two, once)"
  scripts/make-manpages-corpus.sh "$manpages_utf8" "$manpages_sjis" "$manpages_mb"
  made_corpus=1
fi
cp "$manpages_utf8.about" "$results/manpages.about"
# The reference manual in UTF-8, and each text folded by each rule set,
# which is what bind is measured on.
reference_sjis=$corpus/corpus-${large}m.sjis.txt
reference_utf8=$scratch/corpus-${large}m.utf8.txt
iconv -f CP932 -t UTF-8 "$reference_sjis" > "$reference_utf8"
record_size reference_utf8 "$reference_utf8"
for rules in normal classic; do
  "$lumotext" format --encoding sjis --rules $rules --fold $fold "$reference_sjis" > "$scratch/folded-$rules.sjis.txt"
  "$lumotext" format --encoding utf-8 --rules $rules --fold $fold "$reference_utf8" > "$scratch/folded-$rules.utf8.txt"
  record_size "folded_${rules}_sjis" "$scratch/folded-$rules.sjis.txt"
  record_size "folded_${rules}_utf8" "$scratch/folded-$rules.utf8.txt"
done
for mb in "${sizes[@]}"; do
  "$lumotext" format --encoding sjis --fold $fold "$corpus/corpus-${mb}m.sjis.txt" > "$scratch/folded-${mb}m.txt"
  record_size "folded_${mb}m" "$scratch/folded-${mb}m.txt"
done
printf 'a\r\n' > "$scratch/tiny.txt"

{
  echo "date: $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "cpu: $(lscpu | sed -n 's/^Model name: *//p' | head -1), $(nproc) cores"
  echo "memory: $(free -g | awk '/^Mem:/ {print $2}') GiB"
  echo "system: $(. /etc/os-release && echo "$PRETTY_NAME"), Linux $(uname -r)"
  echo "compiler: $(c++ --version | head -1)"
  echo "tools: $(fold --version | head -1); $(nkf --version | head -1 | sed 's/ *$//'); Text::LineFold $(perl -MText::LineFold -e 'print $Text::LineFold::VERSION'); $(man --version | head -1); $(groff --version | head -1)"
  echo "lumotext: $("$lumotext" --version 2>/dev/null | head -1), commit $(git rev-parse --short HEAD 2>/dev/null || echo unknown)"
} > "$results/machine.txt"

echo "bench: library calls (Google Benchmark, 1 MiB)"
load library
LUMOTEXT_CORPUS=$reference_sjis "$build/bench/format_bench" \
  --benchmark_min_time=1 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
  --benchmark_out="$results/library.json" --benchmark_out_format=json >"$results/library.log" 2>&1

echo "bench: lumo_format's first call in a process against its later calls"
load first-call
# Wall-clock time, each run a new process: a short text of a few lines and
# 1 MiB, both UTF-8.
for text in short:4096 large:1048576; do
  for _ in $(seq 1 $first_call_runs); do
    printf '%s\t' "${text%%:*}"
    "$build/bench/first_call" "$reference_utf8" "${text#*:}" 20 utf-8 normal | awk '{printf "%s\t", $2} END {print ""}'
  done
done > "$results/first-call.tsv"
# Instructions of each call (callgrind): the same for the first call as for
# the later ones when nothing is built on the first.
if command -v valgrind >/dev/null; then
  valgrind --tool=callgrind --callgrind-out-file="$scratch/calls.out" --collect-atstart=no \
    --toggle-collect=lumo_format --dump-after=lumo_format \
    "$build/bench/first_call" "$reference_utf8" 4096 3 utf-8 normal >/dev/null 2>&1
  for call in 1 2 3; do
    printf '%s\t%s\n' "$call" "$(sed -n 's/^summary: //p' "$scratch/calls.out.$call")"
  done > "$results/first-call-instructions.tsv"
  # What the first call runs more: the dynamic linker binding the C
  # library's functions on their first use.
  callgrind_annotate --inclusive=yes "$scratch/calls.out.1" 2>/dev/null |
    sed -n 's/^ *\([0-9,]*\) .*_dl_runtime_resolve.*/\1/p' | head -1 | tr -d , > "$results/first-call-resolve.txt"
  # What every call runs, whatever the text: the stream's set-up.
  callgrind_annotate --inclusive=yes "$scratch/calls.out.2" > "$results/later-call-profile.txt" 2>/dev/null
fi

# Each command reads its file and writes to /dev/null. Rounds run every
# command once, so that other work on the machine falls on all alike.
# ENCODING RULES FILE; the normal rules are the default, given by no option.
rules_option() { [[ $1 == normal ]] || echo "--rules $1"; }
format_cmd() { echo "$lumotext format --encoding $1 $(rules_option "$2") --fold $fold $3"; }
bind_cmd() { echo "$lumotext bind --encoding $1 $(rules_option "$2") --fold $fold $3"; }
fold_cmd() { echo "fold -b -w$fold $1"; }

echo "bench: manual pages, $manpages_mb MiB in each encoding, against fold -b"
for encoding in sjis utf8; do
  load "manpages-$encoding"
  text=$corpus/manpages-${manpages_mb}m.$encoding.txt
  name=$encoding; [[ $encoding == utf8 ]] && name=utf-8
  timeruns "$results/manpages-$encoding.json" "$runs" 1 \
    "format=$(format_cmd $name normal "$text")" "classic=$(format_cmd $name classic "$text")" \
    "fold=$(fold_cmd "$text")"
done

echo "bench: reference manual, $large MiB in each encoding: format, bind, fold -b, nkf"
for encoding in sjis utf8; do
  load "reference-$encoding"
  text=$reference_sjis; name=sjis; nkf="nkf -Sx -s -f$fold"
  if [[ $encoding == utf8 ]]; then text=$reference_utf8; name=utf-8; nkf="nkf -Wx -w -f$fold"; fi
  timeruns "$results/reference-$encoding.json" "$runs" 1 \
    "format=$(format_cmd $name normal "$text")" "classic=$(format_cmd $name classic "$text")" \
    "bind=$(bind_cmd $name normal "$scratch/folded-normal.$encoding.txt")" \
    "bind_classic=$(bind_cmd $name classic "$scratch/folded-classic.$encoding.txt")" \
    "fold=$(fold_cmd "$text")" "nkf=$nkf $text"
done

echo "bench: one line of 100 MB against 100 MB of ordinary lines"
for encoding in sjis utf8; do
  load "long-line-$encoding"
  source=$reference_sjis; name=sjis
  [[ $encoding == utf8 ]] && { source=$reference_utf8; name=utf-8; }
  lines=$scratch/lines.$encoding.txt
  one=$scratch/one-line.$encoding.txt
  python3 bench/longline.py "$source" "$long_bytes" "$lines" "$one"
  record_size "lines_$encoding" "$lines"
  printf 'line_count_%s\t%s\n' "$encoding" "$(wc -l < "$lines")" >> "$results/sizes.tsv"
  record_size "one_line_$encoding" "$one"
  timeruns "$results/long-line-$encoding.json" "$runs" 1 \
    "lines=$(format_cmd $name normal "$lines")" "one_line=$(format_cmd $name normal "$one")"
  # The largest peak of three runs of each.
  for kind in lines one_line; do
    file=$lines; [[ $kind == one_line ]] && file=$one
    printf '%s\t%s\t%s\t%s\n' "$encoding" "$kind" "$(stat -c %s "$file")" \
      "$(for _ in 1 2 3; do peak $(format_cmd $name normal "$file"); done | sort -n | tail -1)"
  done >> "$results/long-line-memory.tsv"
  rm -f "$lines" "$one"
done

echo "bench: $nul_size of NUL bytes, and /dev/zero"
load nul
zeros=$scratch/zeros.bin
head -c "$nul_size" /dev/zero > "$zeros"
record_size zeros "$zeros"
python3 bench/errorruns.py "$results/nul.json" "$runs" 10 "line 1, column 1" \
  "file=$lumotext format $zeros" "file_sjis=$lumotext format --encoding sjis $zeros" \
  "file_utf8=$lumotext format --encoding utf-8 $zeros" "pipe=head -c $nul_size /dev/zero | $lumotext format" \
  "dev_zero=$lumotext format /dev/zero" "bind=$lumotext bind $zeros"
rm -f "$zeros"

echo "bench: Text::LineFold on $linefold_mb MiB"
load linefold
text=$corpus/corpus-${linefold_mb}m.sjis.txt
timeruns "$results/linefold.json" 3 0 "linefold=perl bench/linefold.pl $fold $text" \
  "format=$(format_cmd sjis normal "$text")"

echo "bench: scaling, 1 to 64 MiB"
load scaling
# The fixed cost of a run: starting the process on a 3-byte input.
timeruns "$results/scale-tiny.json" $(( runs * 3 )) 3 \
  "format=$(format_cmd sjis normal "$scratch/tiny.txt")" "bind=$(bind_cmd sjis normal "$scratch/tiny.txt")"
for mb in "${sizes[@]}"; do
  text=$corpus/corpus-${mb}m.sjis.txt
  timeruns "$results/scale-${mb}m.json" "$runs" 1 \
    "format=$(format_cmd sjis normal "$text")" "bind=$(bind_cmd sjis normal "$scratch/folded-${mb}m.txt")" \
    "fold=$(fold_cmd "$text")" "nkf=nkf -Sx -s -f$fold $text"
done

echo "bench: peak memory (GNU time), ${memory_sizes[0]} MiB to ${memory_sizes[-1]} MiB"
load memory
# The large inputs repeat the 64 MiB corpus and its folded text; each line is
# folded on its own, so the folded concatenation is the concatenation folded.
free_mb=$(df -Pm "$scratch" | awk 'NR == 2 {print $4}')
{
  printf 'tiny\t%s\t%s\t%s\n' "$(stat -c %s "$scratch/tiny.txt")" \
    "$(peak $(format_cmd sjis normal "$scratch/tiny.txt"))" "$(peak $(bind_cmd sjis normal "$scratch/tiny.txt"))"
  for mb in "${memory_sizes[@]}"; do
    text=$corpus/corpus-${mb}m.sjis.txt
    folded=$scratch/folded-${mb}m.txt
    if (( mb > large )); then
      (( free_mb > 3 * mb )) || { echo "bench: no room for $mb MiB in $scratch" >&2; continue; }
      text=$scratch/corpus-${mb}m.sjis.txt
      folded=$scratch/folded-big-${mb}m.txt
      for _ in $(seq 1 $(( mb / large ))); do cat "$reference_sjis"; done > "$text"
      for _ in $(seq 1 $(( mb / large ))); do cat "$scratch/folded-${large}m.txt"; done > "$folded"
    fi
    printf '%s\t%s\t%s\t%s\n' "$mb" "$(stat -c %s "$text")" "$(peak $(format_cmd sjis normal "$text"))" \
      "$(peak $(bind_cmd sjis normal "$folded"))"
    if (( mb == ${memory_sizes[-1]} )); then
      # The same with glibc's mmap threshold held at its first value: large
      # blocks then go back to the system when freed instead of staying in
      # the heap, which tells the tool's own memory from what malloc keeps.
      printf '%s\t%s\t%s\n' "$mb" "$(MALLOC_MMAP_THRESHOLD_=131072 peak $(format_cmd sjis normal "$text"))" \
        "$(MALLOC_MMAP_THRESHOLD_=131072 peak $(bind_cmd sjis normal "$folded"))" > "$results/memory-malloc.tsv"
    fi
    if (( mb > large )); then rm -f "$text" "$folded"; fi
  done
} > "$results/memory.tsv"
# The other encoding and rules on the largest corpus of each kind.
{
  for encoding in sjis utf8; do
    name=sjis; text=$reference_sjis
    [[ $encoding == utf8 ]] && { name=utf-8; text=$reference_utf8; }
    for rules in normal classic; do
      printf 'reference\t%s\t%s\t%s\t%s\n' "$encoding" "$rules" "$(peak $(format_cmd $name $rules "$text"))" \
        "$(peak $(bind_cmd $name $rules "$scratch/folded-$rules.$encoding.txt"))"
      printf 'manpages\t%s\t%s\t%s\t-\n' "$encoding" "$rules" \
        "$(peak $(format_cmd $name $rules "$corpus/manpages-${manpages_mb}m.$encoding.txt"))"
    done
  done
} > "$results/memory-more.tsv"

# Where the instructions go: callgrind on 2 MB of each kind of text (the
# Release build has its functions' names, not their lines).
if command -v valgrind >/dev/null; then
  echo "bench: profiles (callgrind, 2 MB of each)"
  load profiles
  head -c 2000000 "$manpages_sjis" > "$scratch/profile-manpages.sjis.txt"
  head -c 2000000 "$manpages_utf8" > "$scratch/profile-manpages.utf8.txt"
  head -c 2000000 "$reference_sjis" > "$scratch/profile-reference.sjis.txt"
  head -c 2000000 "$scratch/folded-normal.sjis.txt" > "$scratch/profile-folded.sjis.txt"
  profile() {
    local name=$1; shift
    valgrind --tool=callgrind --callgrind-out-file="$scratch/$name.out" "$@" >/dev/null 2>&1
    callgrind_annotate "$scratch/$name.out" > "$results/profile-$name.txt"
  }
  profile format-manpages-sjis $(format_cmd sjis normal "$scratch/profile-manpages.sjis.txt")
  profile format-manpages-utf8 $(format_cmd utf-8 normal "$scratch/profile-manpages.utf8.txt")
  profile format-reference-sjis $(format_cmd sjis normal "$scratch/profile-reference.sjis.txt")
  profile bind-reference-sjis $(bind_cmd sjis normal "$scratch/profile-folded.sjis.txt")
fi
load end

elapsed=$(( $(date +%s) - started ))
echo "bench time: $((elapsed / 60)) min $((elapsed % 60)) s$([[ -n $made_corpus ]] && echo ", corpora made in this run")" >> "$results/machine.txt"
python3 bench/report.py "$results" "$corpus" docs/performance.md docs/performance.png
echo "bench: wrote docs/performance.md and docs/performance.png in $((elapsed / 60)) min $((elapsed % 60)) s"
