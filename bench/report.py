#!/usr/bin/env python3
"""Writes docs/performance.md and its plot from the results of scripts/bench.sh
(Google Benchmark's JSON, bench/timeruns.py's JSON, GNU time's memory.tsv,
machine.txt): throughput and peak memory against input size, side by side.

Usage: report.py RESULTS CORPUS MARKDOWN PNG
"""
import json
import os
import subprocess
import sys

SIZES = [1, 2, 4, 8, 16, 32, 64]
LARGE = 64
LINEFOLD_MB = 8
MEMORY_LIMIT_MIB = 16
MB = 1e6  # throughput is given in MB/s of 10^6 bytes; corpus sizes are MiB

# Why a goal can fall short on this machine, shown beside a goal not met.
WHY = {
    "nkf": "Both stream; the difference is the work per character.",
    "fold": "GNU fold streams through a small buffer and does no character or kinsoku work. "
            "lumotext reads, formats on both cores and writes in pieces of 1 MiB "
            "(cli/piece_reader.cpp, cli/stream_pipeline.cpp); what is left is the formatting "
            "itself, at the library's rate (table below) on each core, and the other work "
            "on the machine's two cores.",
    "bind": "For every line bind classifies the head to find where blocks end "
            "(cli/bind_blocks.cpp), which costs about as much per byte as folding a line; it "
            "runs on both cores only where pieces can end behind empty lines (a block may run on "
            "from one piece into the next), and each block is then joined in one pass.",
    "linear": "What the small inputs pay more per MB is fixed: starting the process and the "
              "threads, and the tables built for each piece; other work on the machine also "
              "weighs most on short runs.",
    "utf8_library": "A UTF-8 line is first spelt as its code page 932 image (src/text/line_image.cpp: "
                    "one table lookup per character, and the image's way back to the UTF-8 bytes), "
                    "then folded by the same rules; the spelling costs about half of what folding does.",
    "utf8_fold": "As on Shift-JIS, plus spelling each UTF-8 line for the rules.",
    "memory": "The pieces in flight (one read ahead, one per worker, one being written) and "
              "their outputs make up the peak; a line or header block longer than a piece "
              "adds its own size.",
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
    memory_sizes = sorted(int(k) for k in memory if k != "tiny")
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
    # Peak memory: the largest of format and bind at any size.
    peak_mib = lambda mb: max(memory[str(mb)][1], memory[str(mb)][2]) / 1024
    largest_peak = max(peak_mib(mb) for mb in memory_sizes)
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
        ("memory", f"peak memory of format and bind at most {MEMORY_LIMIT_MIB} MiB at any size, "
         f"{memory_sizes[0]} MiB to {memory_sizes[-1]} MiB (largest peak, MiB)", largest_peak,
         float(MEMORY_LIMIT_MIB)),
    ]
    # UTF-8: the library's two entries on the same text, and the tool on the
    # corpus converted to UTF-8.
    by_name = {name.replace("_median", ""): mbps for name, mbps, _, _ in library}
    utf8_ratios = [by_name[n.replace("LumoMultiLines/", "LumoMultiLinesUtf8/")] / by_name[n]
                   for n in by_name if n.startswith("LumoMultiLines/")
                   and n.replace("LumoMultiLines/", "LumoMultiLinesUtf8/") in by_name]
    utf8_path = os.path.join(results, "compare-utf8.json")
    utf8 = medians(utf8_path) if os.path.exists(utf8_path) else None
    if utf8_ratios:
        goals.append(("utf8_library", "LumoMultiLinesUtf8 at least 0.8x the bytes per second of LumoMultiLines "
                      "on the same text, each in its encoding (smallest over the settings)", min(utf8_ratios), 0.8))
    if utf8 is not None:
        utf8_bytes = size(os.path.join(results, f"corpus-{LARGE}m.utf8.txt"))
        rate["format_utf8"] = utf8_bytes / utf8["format"] / MB
        rate["fold_utf8"] = utf8_bytes / utf8["fold"] / MB
        rate["nkf_utf8"] = utf8_bytes / utf8["nkf"] / MB
        goals.append(("utf8_fold", "format on UTF-8 at least the throughput of `fold -b -w70` on the same text",
                      rate["format_utf8"] / rate["fold_utf8"], 1.0))
        goals.append(("nkf", "format on UTF-8 at least 4x the throughput of `nkf -Wx -w -f70`",
                      rate["format_utf8"] / rate["nkf_utf8"], 4.0))
        goals.append(("utf8_fold", "format on UTF-8 at least 5x its throughput when it converted through "
                      "code page 932 (about 34 MB/s on 90 MB)", rate["format_utf8"] / 34.0, 5.0))
        with open(os.path.join(results, "memory-utf8.tsv")) as f:
            _, utf8_peak_kb = f.read().split()
        goals.append(("memory", f"peak memory of format on UTF-8, {LARGE} MiB (MiB)", int(utf8_peak_kb) / 1024,
                      float(MEMORY_LIMIT_MIB)))
    at_most = lambda key: key in ("linear", "memory")

    # The plot: throughput against input size.
    data = os.path.join(results, "throughput.dat")
    with open(data, "w") as f:
        f.write("# MiB format bind fold nkf (MB/s)\n")
        for mb in SIZES:
            n = size(text(mb))
            f.write(f"{mb} {n / scale[mb]['format'] / MB:.1f} {size(folded(mb)) / scale[mb]['bind'] / MB:.1f} "
                    f"{n / scale[mb]['fold'] / MB:.1f} {n / scale[mb]['nkf'] / MB:.1f}\n")
    memory_data = os.path.join(results, "memory.dat")
    with open(memory_data, "w") as f:
        f.write("# MiB format bind (peak MiB)\n")
        for mb in memory_sizes:
            f.write(f"{mb} {memory[str(mb)][1] / 1024:.1f} {memory[str(mb)][2] / 1024:.1f}\n")
    script = f"""
set terminal pngcairo size 1400,560 font ",11"
set output "{png}"
set multiplot layout 1,2
set title "Throughput against input size (Shift-JIS, fold 70, median of runs)"
set xlabel "input size (MiB)"
set ylabel "MB/s"
set logscale x 2
set xrange [0.9:70]
set xtics ({", ".join(f'"{mb}" {mb}' for mb in SIZES)})
set yrange [0:*]
set key bottom right
set grid
plot "{data}" using 1:2 with linespoints lw 2 title "lumotext format", \\
     "" using 1:3 with linespoints lw 2 title "lumotext bind", \\
     "" using 1:4 with linespoints title "fold -b -w70", \\
     "" using 1:5 with linespoints title "nkf -Sx -s -f70"
set title "Peak memory against input size (GNU time, one run)"
set ylabel "peak resident set (MiB)"
set xrange [0.9:{memory_sizes[-1] * 1.1}]
set xtics ({", ".join(f'"{mb}" {mb}' for mb in memory_sizes)})
set yrange [0:{max(largest_peak * 1.2, MEMORY_LIMIT_MIB * 1.2)}]
plot "{memory_data}" using 1:2 with linespoints lw 2 title "lumotext format", \\
     "" using 1:3 with linespoints lw 2 title "lumotext bind", \\
     {MEMORY_LIMIT_MIB} with lines dt 2 title "goal ({MEMORY_LIMIT_MIB} MiB)"
unset multiplot
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
        met = value <= target if at_most(key) else value >= target
        w(f"| {name} | {value:.2f} | {'<=' if at_most(key) else '>='} {target:g} | {'yes' if met else 'no'} |")
    w("")
    w(f"Time per MB counts from the start of the process: {tiny['format'] * 1000:.1f} ms for format on a "
      f"3-byte input, which is most of the difference between small and large inputs (with it, "
      f"largest / smallest is {raw_spread:.2f}); from 8 MiB to 64 MiB, largest / smallest is "
      f"{large_spread:.2f}. The program alone takes {tiny_peak:.1f} MiB on a 3-byte input.")
    w("")
    for key, name, value, target in goals:
        met = value <= target if at_most(key) else value >= target
        if not met:
            if at_most(key):
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
    if utf8 is not None:
        for name, key, seconds in (("`lumotext format --encoding utf-8 --fold 70`, UTF-8", "format_utf8", utf8["format"]),
                                   ("`fold -b -w70`, UTF-8", "fold_utf8", utf8["fold"]),
                                   ("`nkf -Wx -w -f70`, UTF-8", "nkf_utf8", utf8["nkf"])):
            w(f"| {name} | {utf8_bytes / 2**20:.1f} MiB | {seconds * 1000:.0f} ms | {rate[key]:.1f} | "
              f"{rate['format_utf8'] / rate[key]:.2f}x |")
    w(f"| `perl bench/linefold.pl 70` (Text::LineFold) | {LINEFOLD_MB} MiB | {linefold['linefold'] * 1000:.0f} ms | "
      f"{rate['linefold']:.2f} | {rate['format_small'] / rate['linefold']:.0f}x (lumotext format on the same "
      f"{LINEFOLD_MB} MiB: {rate['format_small']:.1f} MB/s) |")
    w("")
    w("Text::LineFold folds well under 1 MB/s, so it is measured on a smaller text.")
    w("")
    w("## Scaling")
    w("")
    w(f"![Throughput and peak memory against input size](performance.png)")
    w("")
    w("| Input | format | format ms per MiB | past the start | bind | bind ms per MiB | fold | nkf |")
    w("|---|---|---|---|---|---|---|---|")
    for mb in SIZES:
        n = size(text(mb))
        w(f"| {mb} MiB | {n / scale[mb]['format'] / MB:.1f} MB/s | {per_mb[mb]:.2f} | {marginal[mb]:.2f} | "
          f"{size(folded(mb)) / scale[mb]['bind'] / MB:.1f} MB/s | {bind_per_mb[mb]:.2f} | "
          f"{n / scale[mb]['fold'] / MB:.1f} MB/s | {n / scale[mb]['nkf'] / MB:.1f} MB/s |")
    w("")
    w("## Peak memory")
    w("")
    w("GNU time's maximum resident set size of one run; inputs above 64 MiB repeat the 64 MiB corpus.")
    w("")
    w("| Input | format peak | bind peak |")
    w("|---|---|---|")
    for mb in memory_sizes:
        w(f"| {mb} MiB | {memory[str(mb)][1] / 1024:.1f} MiB | {memory[str(mb)][2] / 1024:.1f} MiB |")
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
