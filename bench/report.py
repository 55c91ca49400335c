#!/usr/bin/env python3
"""Writes docs/performance.md and its plot from the results of scripts/bench.sh
(Google Benchmark's JSON, bench/timeruns.py's JSON, GNU time's memory.tsv,
machine.txt).

Usage: report.py RESULTS CORPUS MARKDOWN PNG
"""
import json
import os
import subprocess
import sys

SIZES = [1, 2, 4, 8, 16, 32, 64]
LARGE = 64
LINEFOLD_MB = 8
MB = 1e6  # throughput is given in MB/s of 10^6 bytes; corpus sizes are MiB

# Why a goal can fall short on this machine, shown beside a goal not met.
WHY = {
    "nkf": "nkf streams its input; lumotext reads the whole file and builds the whole output in "
           "memory before it writes, and fresh memory is what costs most here (see fold).",
    "fold": "GNU fold streams through a small buffer and does no character or kinsoku work. "
            "lumotext holds three buffers the size of the text: the file as read, the copy "
            "that decoding makes (cli/text_pipeline.cpp, cli/encoding.cpp), and the output. "
            "Profiles show the kernel clearing fresh pages for them as the largest single "
            "cost, about a third of the run, and the copies as the next; the formatting "
            "itself runs at the library's rate (table below) on both cores.",
    "bind": "BindLines binds at more than 1.5 GB/s (library table); the command's time is "
            "memory: the file as read, the copy that decoding makes and a zero-filled output "
            "buffer (cli/bind_command.cpp), each the size of the text, and their fresh pages. "
            "Formatting touches about as much memory, so the ratio stays below 2. BindLines "
            "may now bind in the text's own buffer, and the decoder could take over the read "
            "buffer instead of copying it: that would leave bind one buffer.",
    "linear": "What the small inputs pay more per MB is fixed: the second thread and the "
              "buffers of two stretches, and fresh memory in 4 KiB pages where buffers of 8 MiB "
              "and more get huge pages; other work on the machine also weighs most on short runs.",
}


def load(path):
    with open(path) as f:
        return json.load(f)


def medians(path):
    """Median seconds of each command of a timeruns.py export, by its name."""
    return {r["command"]: r["median"] for r in load(path)["results"]}


def size(path):
    return os.path.getsize(path)


def main():
    results, corpus, markdown, png = sys.argv[1:5]
    text = lambda mb: os.path.join(corpus, f"corpus-{mb}m.sjis.txt")
    folded = lambda mb: os.path.join(results, f"folded-{mb}m.txt")
    machine = open(os.path.join(results, "machine.txt")).read().strip().splitlines()

    # Library calls.
    library = []
    for b in load(os.path.join(results, "library.json"))["benchmarks"]:
        if b.get("aggregate_name", "median") == "median":
            library.append((b["run_name"], b["bytes_per_second"] / MB, b["cpu_time"], b["time_unit"]))

    # Whole process on the large text.
    compare = medians(os.path.join(results, "compare.json"))
    linefold = medians(os.path.join(results, "linefold.json"))
    large_bytes = size(text(LARGE))
    rate = {
        "format": large_bytes / compare["format"] / MB,
        "bind": size(folded(LARGE)) / compare["bind"] / MB,
        "nkf": large_bytes / compare["nkf"] / MB,
        "fold": large_bytes / compare["fold"] / MB,
        "linefold": size(text(LINEFOLD_MB)) / linefold["linefold"] / MB,
        "format_small": size(text(LINEFOLD_MB)) / linefold["format"] / MB,
    }

    # Scaling and memory.
    scale = {mb: medians(os.path.join(results, f"scale-{mb}m.json")) for mb in SIZES}
    memory = {}
    with open(os.path.join(results, "memory.tsv")) as f:
        for line in f:
            key, nbytes, format_kb, bind_kb = line.split("\t")
            memory[key] = (int(nbytes), int(format_kb), int(bind_kb))
    tiny = medians(os.path.join(results, "scale-tiny.json"))
    mib = lambda path: size(path) / 2**20
    per_mb = {mb: scale[mb]["format"] * 1000 / mib(text(mb)) for mb in SIZES}
    bind_per_mb = {mb: scale[mb]["bind"] * 1000 / mib(folded(mb)) for mb in SIZES}
    # Past the fixed cost of starting the process, which a run on a 3-byte
    # input shows.
    marginal = {mb: (scale[mb]["format"] - tiny["format"]) * 1000 / mib(text(mb)) for mb in SIZES}
    spread = max(marginal.values()) / min(marginal.values())
    raw_spread = max(per_mb.values()) / min(per_mb.values())
    large_spread = max(marginal[mb] for mb in SIZES if mb >= 8) / min(marginal[mb] for mb in SIZES if mb >= 8)
    # Peak memory as a line: its growth per byte of input between the two
    # largest inputs, and the largest excess over 3 x input at any size.
    peak_mib = lambda mb: max(memory[str(mb)][1], memory[str(mb)][2]) / 1024
    slope = (peak_mib(SIZES[-1]) - peak_mib(SIZES[-2])) / (mib(text(SIZES[-1])) - mib(text(SIZES[-2])))
    excess = max(peak_mib(mb) - 3 * mib(text(mb)) for mb in SIZES)
    tiny_peak = max(memory["tiny"][1], memory["tiny"][2]) / 1024

    goals = [
        ("nkf", "format at least 4x the throughput of `nkf -Sx -s -f70`",
         rate["format"] / rate["nkf"], 4.0),
        ("fold", "format at least the throughput of `fold -b -w70`",
         rate["format"] / rate["fold"], 1.0),
        ("bind", "bind at least twice the throughput of format",
         rate["bind"] / rate["format"], 2.0),
        ("linear", "time per MB of format within 15% from 1 MB to 64 MB, past the start of the process "
         "(largest / smallest)", spread, 1.15),
    ]

    # The plot: throughput against input size.
    data = os.path.join(results, "throughput.dat")
    with open(data, "w") as f:
        f.write("# MiB format bind fold nkf (MB/s)\n")
        for mb in SIZES:
            n = size(text(mb))
            f.write(f"{mb} {n / scale[mb]['format'] / MB:.1f} {size(folded(mb)) / scale[mb]['bind'] / MB:.1f} "
                    f"{n / scale[mb]['fold'] / MB:.1f} {n / scale[mb]['nkf'] / MB:.1f}\n")
    script = f"""
set terminal pngcairo size 900,560 font ",11"
set output "{png}"
set title "Whole-process throughput against input size (Shift-JIS, fold 70, median of runs)"
set xlabel "input size (MiB)"
set ylabel "MB/s"
set logscale x 2
set xrange [0.9:70]
set xtics ({", ".join(f'"{mb}" {mb}' for mb in SIZES)})
set yrange [0:*]
set key outside right
set grid
plot "{data}" using 1:2 with linespoints lw 2 title "lumotext format", \\
     "" using 1:3 with linespoints lw 2 title "lumotext bind", \\
     "" using 1:4 with linespoints title "fold -b -w70", \\
     "" using 1:5 with linespoints title "nkf -Sx -s -f70"
"""
    subprocess.run(["gnuplot"], input=script, text=True, check=True)

    out = []
    w = out.append
    w("# Performance")
    w("")
    w("Written by `make bench` (scripts/bench.sh); do not edit by hand. Every figure is the median of")
    w("several runs of the whole process on the same input in the same run (bench/timeruns.py: each")
    w("round runs every command once, output to /dev/null), or of Google Benchmark repetitions for")
    w("the library calls. MB/s counts 10^6 bytes of")
    w("the command's own input; the corpora are 1 to 64 MiB of Debian's Japanese reference manual")
    w("(debian-reference-ja) converted to Shift-JIS, paragraphs joined into long CR LF lines.")
    w("")
    w("## Machine")
    w("")
    for line in machine:
        w(f"- {line}")
    w("")
    w("The load lines show what else ran on the machine; other work on its two cores lowers the")
    w("figures, most of all for lumotext format, which uses both.")
    w("")
    w("## Goals")
    w("")
    w("| Goal | Measured | Target | Met |")
    w("|---|---|---|---|")
    for key, name, value, target in goals:
        met = value <= target if key == "linear" else value >= target
        w(f"| {name} | {value:.2f} | {'<=' if key == 'linear' else '>='} {target:g} | {'yes' if met else 'no'} |")
    w(f"| peak memory below 3 x input + constant: growth per byte of input from 32 to 64 MiB "
      f"| {slope:.2f} | < 3 | {'yes' if slope < 3 else 'no'} |")
    w("")
    w(f"Time per MB counts from the start of the process: {tiny['format'] * 1000:.1f} ms for format on a "
      f"3-byte input, which is most of the difference between small and large inputs (with it, "
      f"largest / smallest is {raw_spread:.2f}); from 8 MiB to 64 MiB, largest / smallest is "
      f"{large_spread:.2f}. Peak memory never exceeds 3 x input by more than "
      f"{max(excess, 0):.1f} MiB (the program alone: {tiny_peak:.1f} MiB on a 3-byte input).")
    w("")
    for key, name, value, target in goals:
        met = value <= target if key == "linear" else value >= target
        if not met:
            if key == "linear":
                miss = f"{(value / target - 1) * 100:.0f}% over"
            else:
                miss = f"{(1 - value / target) * 100:.0f}% short"
            why = WHY[key]
            if key == "linear" and marginal[SIZES[-1]] < marginal[SIZES[0]]:
                why = "The time per MB falls as the input grows, so the cost grows no faster than " \
                      "linearly. " + why
            w(f"- Not met: {name}: {value:.2f} against {target:g}, {miss}. {why}")
    w("")
    w(f"## Whole process, {LARGE} MiB")
    w("")
    w("| Command | Input | Median | MB/s | lumotext format is |")
    w("|---|---|---|---|---|")
    rows = [
        ("`lumotext format --encoding sjis --fold 70` (preset 2)", large_bytes, compare["format"], rate["format"]),
        ("`lumotext bind --encoding sjis` (on the folded text)", size(folded(LARGE)), compare["bind"], rate["bind"]),
        ("`nkf -Sx -s -f70`", large_bytes, compare["nkf"], rate["nkf"]),
        ("`fold -b -w70`", large_bytes, compare["fold"], rate["fold"]),
    ]
    for name, nbytes, seconds, mbps in rows:
        w(f"| {name} | {nbytes / 2**20:.1f} MiB | {seconds * 1000:.0f} ms | {mbps:.1f} | "
          f"{rate['format'] / mbps:.2f}x |")
    w(f"| `perl bench/linefold.pl 70` (Text::LineFold) | {LINEFOLD_MB} MiB | {linefold['linefold'] * 1000:.0f} ms | "
      f"{rate['linefold']:.2f} | {rate['format_small'] / rate['linefold']:.0f}x (lumotext format on the same "
      f"{LINEFOLD_MB} MiB: {rate['format_small']:.1f} MB/s) |")
    w("")
    w("Text::LineFold folds well under 1 MB/s, so it is measured on a smaller text.")
    w("")
    w("## Scaling")
    w("")
    w(f"![Throughput against input size](performance.png)")
    w("")
    w("| Input | format | format ms per MiB | past the start | bind | bind ms per MiB | fold | nkf "
      "| format peak | bind peak |")
    w("|---|---|---|---|---|---|---|---|---|---|")
    for mb in SIZES:
        n = size(text(mb))
        w(f"| {mb} MiB | {n / scale[mb]['format'] / MB:.1f} MB/s | {per_mb[mb]:.2f} | {marginal[mb]:.2f} | "
          f"{size(folded(mb)) / scale[mb]['bind'] / MB:.1f} MB/s | {bind_per_mb[mb]:.2f} | "
          f"{n / scale[mb]['fold'] / MB:.1f} MB/s | {n / scale[mb]['nkf'] / MB:.1f} MB/s | "
          f"{memory[str(mb)][1] / 1024:.1f} MiB | {memory[str(mb)][2] / 1024:.1f} MiB |")
    w("")
    w("Peak memory is GNU time's maximum resident set size of one run.")
    w("")
    w("## Library calls, 1 MiB at fold 70")
    w("")
    w("Google Benchmark (bench/format_bench.cpp), median of 3 repetitions, one thread. LumoMultiLines")
    w("formats the 1 MiB text; BindLines binds that setting's folded output as one block.")
    w("")
    w("| Call / setting | MB/s | CPU time per call |")
    w("|---|---|---|")
    for name, mbps, t, unit in library:
        w(f"| {name.replace('_median', '')} | {mbps:.0f} | {t:.2f} {unit} |")
    w("")
    with open(markdown, "w") as f:
        f.write("\n".join(out))


if __name__ == "__main__":
    main()
