#!/usr/bin/env python3
"""Writes docs/performance.md and its plot from the results of scripts/bench.sh:
every goal as a row (measured, goal, met), then the tables behind them.

Inputs in RESULTS: bench/timeruns.py's JSON (medians of interleaved runs),
bench/errorruns.py's JSON (the NUL inputs), GNU time's peaks (memory*.tsv,
long-line-memory.tsv), Google Benchmark's JSON (library.json), the first-call
program's lines (first-call*.tsv), machine.txt, loads.tsv, sizes.tsv and the
manual page corpus's manpages.about.

Usage: report.py RESULTS CORPUS MARKDOWN PNG
"""
import json
import os
import re
import statistics
import subprocess
import sys

SIZES = [1, 2, 4, 8, 16, 32, 64]
LARGE = 64
MANPAGES_MB = 256
LINEFOLD_MB = 8
MEMORY_LIMIT_MIB = 16
NUL_SECONDS = 1.0
NUL_MEMORY_MIB = 32
MB = 1e6  # throughput is given in MB/s of 10^6 bytes; corpus sizes are MiB
MIB = 2**20
ENCODINGS = (("sjis", "Shift-JIS"), ("utf8", "UTF-8"))

# Why a goal falls short, shown beside a goal not met: what the profiles of
# this build (callgrind, below) and the runs' CPU times show. Each takes the
# figures of the run (see Report.why_figures).
WHY = {
    "manpages": lambda f: (
        f"lumotext's CPU time is {f['manpages_cpu']:.1f}x fold's on the Shift-JIS pages and "
        f"{f['manpages_cpu_utf8']:.1f}x on the UTF-8 ones (table below): the work per byte decides, not "
        f"the reading. The pages are short lines (on average {f['manpages_line']:.0f} bytes in UTF-8, "
        f"{f['manpages_indented']:.0%} of them indented by 7 or more blanks), and every line is classified "
        "before it is folded: ClassifyLine (src/paragraph/classify.cpp) reads the line's head against half "
        "a dozen character sets (blanks, indent strings, quotation, emphasis and item marks) and writes "
        "the continuation prefix as it goes, a blank for each leading blank, and the paragraph rule walks "
        "that prefix again; then FoldSegmentsJlreq (src/format/jlreq_fold.cpp) applies the rules. fold -b "
        f"only counts bytes. Callgrind on 2 MB of the Shift-JIS pages: {f['profile:format-manpages-sjis']}; "
        f"of the UTF-8 pages: {f['profile:format-manpages-utf8']} (a UTF-8 line is first spelt as its code "
        "page 932 image, LineImage::Build, and its prefix made again in UTF-8, Utf8Prefix). Folding runs "
        f"on two worker threads; the runs had {f['manpages_cores']:.2f} cores on average (CPU time / "
        "wall-clock time; the load average is in the table below). Even with both cores to itself, format "
        "takes at least half its CPU time, which would give at most "
        f"{f['manpages_bound_sjis']:.2f}x fold's throughput on Shift-JIS and {f['manpages_bound_utf8']:.2f}x "
        "on UTF-8."),
    "reference": lambda f: (
        f"lumotext's CPU time is {f['reference_cpu']:.1f}x fold's on Shift-JIS and "
        f"{f['reference_cpu_utf8']:.1f}x on UTF-8 (table below). Callgrind on 2 MB of the Shift-JIS text: "
        f"{f['profile:format-reference-sjis']}: the rules on long lines, the classification of each line's "
        "head, and copying the text and its output (memcpy, memchr). The runs had "
        f"{f['reference_cores']:.2f} cores on average (CPU time / wall-clock time; the load average is in "
        "the table below), where the two workers could use two: with both cores to itself, half its CPU "
        f"time would give {f['reference_bound_sjis']:.2f}x fold's throughput on Shift-JIS and "
        f"{f['reference_bound_utf8']:.2f}x on UTF-8"
        + (", so the shortfall here is mostly the machine's other work."
           if min(f["reference_bound_sjis"], f["reference_bound_utf8"]) >= 1 else ".")),
    "bind": lambda f: (
        f"bind's CPU time per byte is {f['bind_cpu']:.1f}x format's (default rules, Shift-JIS); it binds on "
        "two workers as format folds on two, so its throughput follows its work per byte (pieces are cut "
        "behind empty lines, src/engine/binder.cpp). For every line it classifies the head, as format does, to find where "
        "blocks end, and with the default rules it also measures whether the next line's first word would "
        "have fitted on the line (JlreqMeasure::Fits, looking up each character's traits), which is why "
        f"the classic rules bind faster. Callgrind on 2 MB of the folded text: {f['profile:bind-reference-sjis']}."),
    "long_time": lambda f: (
        "A line longer than 1 MiB is folded window by window on the stream's own thread "
        "(Formatter::LongLine, src/engine/formatter.cpp), its output held until its line end shows, so it "
        "has one core where ordinary lines have two workers. Its CPU time is "
        f"{f['long_cpu_sjis']:.2f}x the ordinary lines' on Shift-JIS and {f['long_cpu_utf8']:.2f}x on UTF-8: "
        "the rest of the difference is the second core, which the machine's other work also takes."),
    "long_memory": lambda f: "",
    "memory": lambda f: (
        f"At {f['memory_largest']} MiB the peak is {f['memory_peak']:.1f} MiB, and "
        f"{f['memory_malloc']:.1f} MiB when glibc's mmap threshold is held at 128 KiB "
        "(MALLOC_MMAP_THRESHOLD_=131072): the growth with the input is memory that malloc keeps in its "
        "heaps once the threshold has risen past the size of freed blocks, not memory the tool holds "
        "(its pieces are reused, src/engine/piece_queue.cpp, and 256 KiB of output is held before each "
        "write, cli/text_stream.cpp)."),
    "nul": lambda f: "",
    "first_call": lambda f: "",
    "nkf": lambda f: "Both stream; the difference is the work per character.",
    "linear": lambda f: (
        "What the small inputs pay more per MB is fixed: starting the process and its threads, and the "
        "tables set up for each stream; other work on the machine also weighs most on short runs."),
    "utf8_library": lambda f: (
        "A UTF-8 line is first spelt as its code page 932 image (src/text/line_image.cpp), then folded "
        "by the same rules."),
    "utf8_old": lambda f: (
        f"format on UTF-8 ran at {f['utf8_rate']:.0f} MB/s here with the load average at "
        f"{f['utf8_load']} (1 minute) when it was measured; its CPU time alone gives "
        f"{f['utf8_cpu_rate']:.0f} MB/s."),
}


def load(path):
    with open(path) as f:
        return json.load(f)


def runs(path):
    """Each command of a timeruns.py export, by its name."""
    return {r["command"]: r for r in load(path)["results"]}


def tsv(path):
    with open(path) as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip()]


def ratio_text(value):
    return f"{value:.2f}x"


class Report:
    def __init__(self, results, corpus):
        self.results = results
        self.corpus = corpus
        self.goals = []    # (number, key, text, measured, target, met)
        self.earlier = []  # goals of earlier releases, the same layout
        self.lines = []
        self.sizes = {name: int(n) for name, n in tsv(self.path("sizes.tsv"))}

    def path(self, name):
        return os.path.join(self.results, name)

    def exists(self, name):
        return os.path.exists(self.path(name))

    def goal(self, number, key, text, measured, target, met, earlier=False):
        (self.earlier if earlier else self.goals).append((number, key, text, measured, target, met))

    def w(self, line=""):
        self.lines.append(line)

    def table(self, header, rows):
        self.w("| " + " | ".join(header) + " |")
        self.w("|" + "---|" * len(header))
        for row in rows:
            self.w("| " + " | ".join(str(cell) for cell in row) + " |")
        self.w()


def cpu(run):
    return run["user"] + run["system"]


def function_name(text):
    """callgrind_annotate's "file:function(arguments) [object]" as the function's name."""
    text = re.sub(r"\s+\[[^\]]*\]$", "", text)
    text = re.sub(r"^[^ :]+:(?!:)", "", text)  # the source file, or ??? without one
    text = text.replace("(anonymous namespace)::", "").replace("lumo::", "")
    return text.split("(")[0]


def profile(path, top=6):
    """The functions with the most instructions of their own: (name, percent)."""
    rows = []
    listing = False
    for line in open(path):
        if "file:function" in line:
            listing = True
            continue
        m = re.match(r"^\s*([\d,]+) \(\s*([\d.]+)%\)\s+(\S.*)$", line)
        if listing and m:
            rows.append((function_name(m.group(3)), float(m.group(2))))
        elif listing and rows:
            break
    return rows[:top]


def line_figures(path, nbytes):
    """Average line length in bytes and the share of lines indented by 7 or more blanks."""
    with open(path, "rb") as f:
        lines = f.read(nbytes).split(b"\n")
    return nbytes / len(lines), sum(1 for x in lines if x.startswith(b" " * 7)) / len(lines)


def main():
    results, corpus, markdown, png = sys.argv[1:5]
    r = Report(results, corpus)
    corpus_file = lambda name: os.path.join(corpus, name)
    reference = lambda mb: corpus_file(f"corpus-{mb}m.sjis.txt")
    manpages = lambda encoding: corpus_file(f"manpages-{MANPAGES_MB}m.{encoding}.txt")
    size = os.path.getsize
    machine = open(r.path("machine.txt")).read().strip().splitlines()
    about = dict(line.split(" ", 1) for line in open(r.path("manpages.about")).read().splitlines())

    # 1. The manual pages against fold -b.
    manpage_runs = {e: runs(r.path(f"manpages-{e}.json")) for e, _ in ENCODINGS}
    for encoding, label in ENCODINGS:
        m = manpage_runs[encoding]
        for command, rules in (("format", "default (normal) rules"), ("classic", "classic rules")):
            value = m["fold"]["median"] / m[command]["median"]
            r.goal(1, "manpages", f"Manual pages, {label}, {MANPAGES_MB} MiB: format with the {rules}, "
                   "throughput / `fold -b -w70`'s", ratio_text(value), ">= 1.0x", value >= 1.0)

    # 2. The reference manual against fold -b.
    reference_runs = {e: runs(r.path(f"reference-{e}.json")) for e, _ in ENCODINGS}
    reference_bytes = {"sjis": size(reference(LARGE)), "utf8": r.sizes["reference_utf8"]}
    for encoding, label in ENCODINGS:
        m = reference_runs[encoding]
        value = m["fold"]["median"] / m["format"]["median"]
        r.goal(2, "reference", f"Reference manual, {label}, {LARGE} MiB: format with the default rules, "
               "throughput / `fold -b -w70`'s", ratio_text(value), ">= 1.0x", value >= 1.0)
        value = m["fold"]["median"] / m["classic"]["median"]
        r.goal(2, "reference", f"Reference manual, {label}: format with the classic rules, "
               "throughput / `fold -b -w70`'s", ratio_text(value), "(none)", None)

    # 3. One line of 100 MB against 100 MB of ordinary lines.
    long_runs = {e: runs(r.path(f"long-line-{e}.json")) for e, _ in ENCODINGS}
    long_memory = {(e, kind): (int(n), int(kib)) for e, kind, n, kib in tsv(r.path("long-line-memory.tsv"))}
    for encoding, label in ENCODINGS:
        m = long_runs[encoding]
        value = m["one_line"]["median"] / m["lines"]["median"]
        n = r.sizes[f"one_line_{encoding}"]
        r.goal(3, "long_time", f"{label}: time of one line of {n / MB:.0f} MB / time of as many bytes "
               "of ordinary lines (default rules)", ratio_text(value), "<= 1.5x", value <= 1.5)
        n, kib = long_memory[(encoding, "one_line")]
        limit = 2 * n / MIB + 16
        r.goal(3, "long_memory", f"{label}: peak memory on the one line, MiB (goal: 2 x the line's "
               f"{n / MIB:.1f} MiB + 16 MiB)", f"{kib / 1024:.1f}", f"<= {limit:.1f}", kib / 1024 <= limit)

    # 4. NUL bytes.
    nul = load(r.path("nul.json"))
    nul_runs = {x["command"]: x for x in nul["results"]}
    zeros = [x for name, x in nul_runs.items() if name != "dev_zero"]
    slowest = max(zeros, key=lambda x: x["median"])
    r.goal(4, "nul", f"{r.sizes['zeros'] / MIB:.0f} MiB of NUL bytes: seconds until lumotext exits with the "
           "error (slowest median of file, pipe, each encoding, bind)", f"{slowest['median']:.3f}",
           f"<= {NUL_SECONDS:g}", slowest["median"] <= NUL_SECONDS)
    largest = max(x["peak_kib"] for x in zeros) / 1024
    r.goal(4, "nul", "The same: peak memory, MiB (largest)", f"{largest:.1f}", f"<= {NUL_MEMORY_MIB}",
           largest <= NUL_MEMORY_MIB)
    zero = nul_runs["dev_zero"]
    r.goal(4, "nul", "`lumotext format /dev/zero`: seconds until it exits with the error (killed after "
           f"{nul['timeout']:g} s)", f"{zero['median']:.3f}", f"<= {NUL_SECONDS:g}",
           zero["median"] <= NUL_SECONDS and not zero["failures"])
    failed = sum(len(x["failures"]) for x in nul["results"])
    r.goal(4, "nul", f"Every run above failed saying \"{nul['expect']}\" (runs that did not)", str(failed),
           "0", failed == 0)

    # 5. Bind against format.
    folded = lambda encoding, rules: r.sizes[f"folded_{rules}_{encoding}"]
    for encoding, label in ENCODINGS:
        m = reference_runs[encoding]
        for bind, format_, rules in (("bind", "format", "normal"), ("bind_classic", "classic", "classic")):
            bind_rate = folded(encoding, rules) / m[bind]["median"]
            format_rate = reference_bytes[encoding] / m[format_]["median"]
            value = bind_rate / format_rate
            r.goal(5, "bind", f"Reference manual, {label}, {rules} rules: bind's throughput (on the folded "
                   "text) / format's", ratio_text(value), ">= 1.5x", value >= 1.5)

    # 6. Peak memory at every size.
    memory = {}
    for key, nbytes, format_kib, bind_kib in tsv(r.path("memory.tsv")):
        memory[key] = (int(nbytes), int(format_kib), int(bind_kib))
    memory_sizes = sorted(int(k) for k in memory if k != "tiny")
    peak_mib = lambda mb: max(memory[str(mb)][1], memory[str(mb)][2]) / 1024
    largest_peak = max(peak_mib(mb) for mb in memory_sizes)
    r.goal(6, "memory", f"Peak memory of format and bind, ordinary lines, {memory_sizes[0]} MiB to "
           f"{memory_sizes[-1]} MiB (largest, MiB)", f"{largest_peak:.1f}", f"<= {MEMORY_LIMIT_MIB}",
           largest_peak <= MEMORY_LIMIT_MIB)
    more = tsv(r.path("memory-more.tsv"))
    more_peak = max(int(kib) for row in more for kib in row[3:5] if kib != "-") / 1024
    r.goal(6, "memory", "The same for both encodings and both rule sets on the reference manual (64 MiB) "
           f"and the manual pages ({MANPAGES_MB} MiB) (largest, MiB)", f"{more_peak:.1f}",
           f"<= {MEMORY_LIMIT_MIB}", more_peak <= MEMORY_LIMIT_MIB)

    # 7. Library calls.
    library = []
    for b in load(r.path("library.json"))["benchmarks"]:
        if b.get("aggregate_name", "median") == "median":
            library.append((b["run_name"].replace("_median", ""), b["bytes_per_second"] / MB, b["cpu_time"],
                            b["time_unit"]))
    by_name = {name: mbps for name, mbps, _, _ in library}
    r.goal(7, "library", "Library calls (LumoMultiLines, BindLines, their UTF-8 forms, lumo_format, the "
           "rules' search): reported below", "see the table", "(none)", None)

    # 8. The first call in a process.
    first = {"short": [], "large": []}
    for row in tsv(r.path("first-call.tsv")):
        first[row[0]].append([int(x) for x in row[1:6]])
    first_summary = {}
    for kind, rows in first.items():
        first_summary[kind] = {
            "first": statistics.median(x[0] for x in rows) / 1e6,
            "later": statistics.median(x[1] for x in rows) / 1e6,
            "first_faults": statistics.median(x[2] for x in rows),
            "later_faults": statistics.median(x[3] for x in rows),
            "bytes": rows[0][4],
            "runs": len(rows),
        }
    instructions = None
    if r.exists("first-call-instructions.tsv"):
        instructions = [int(n) for _, n in tsv(r.path("first-call-instructions.tsv"))]
        value = instructions[0] / statistics.median(instructions[1:])
        r.goal(8, "first_call", f"lumo_format, UTF-8, {first_summary['short']['bytes']} bytes: instructions of "
               "the first call in a process / of a later call (callgrind; a table built at run time "
               "would show here)", f"{value:.3f}", "<= 1.05", value <= 1.05)
    else:
        r.goal(8, "first_call", "First call's instructions against a later call's: valgrind is missing",
               "not measured", "<= 1.05", None)
    if "LumoFormat/utf8_normal" in by_name:
        r.goal(8, "first_call", "lumo_format on UTF-8, 1 MiB, MB/s (default rules; classic rules); on the same "
               "text in Shift-JIS: "
               f"{by_name.get('LumoFormat/sjis_normal', 0):.0f}; {by_name.get('LumoFormat/sjis_classic', 0):.0f}",
               f"{by_name['LumoFormat/utf8_normal']:.0f}; {by_name.get('LumoFormat/utf8_classic', 0):.0f}",
               "(none)", None)
    for kind in ("short", "large"):
        s = first_summary[kind]
        r.goal(8, "first_call", f"lumo_format, UTF-8, {s['bytes']} bytes: wall-clock time of the first call "
               f"/ of later calls ({s['first']:.3f} ms / {s['later']:.3f} ms; page faults "
               f"{s['first_faults']:.0f} / {s['later_faults']:.0f})", ratio_text(s["first"] / s["later"]),
               "(none)", None)

    # Goals of earlier releases, still measured.
    nkf = reference_runs["sjis"]["nkf"]["median"] / reference_runs["sjis"]["format"]["median"]
    r.goal("", "nkf", "Reference manual, Shift-JIS: format's throughput / `nkf -Sx -s -f70`'s",
           ratio_text(nkf), ">= 4x", nkf >= 4, earlier=True)
    nkf = reference_runs["utf8"]["nkf"]["median"] / reference_runs["utf8"]["format"]["median"]
    r.goal("", "nkf", "Reference manual, UTF-8: format's throughput / `nkf -Wx -w -f70`'s",
           ratio_text(nkf), ">= 4x", nkf >= 4, earlier=True)
    scale = {mb: runs(r.path(f"scale-{mb}m.json")) for mb in SIZES}
    tiny = runs(r.path("scale-tiny.json"))
    mib_of = lambda n: n / MIB
    per_mb = {mb: scale[mb]["format"]["median"] * 1000 / mib_of(size(reference(mb))) for mb in SIZES}
    marginal = {mb: (scale[mb]["format"]["median"] - tiny["format"]["median"]) * 1000 / mib_of(size(reference(mb)))
                for mb in SIZES}
    spread = max(marginal.values()) / min(marginal.values())
    r.goal("", "linear", "Time per MB of format, 1 MiB to 64 MiB, past the start of the process "
           "(largest / smallest)", f"{spread:.2f}", "<= 1.15", spread <= 1.15, earlier=True)
    utf8_ratios = [by_name[n.replace("LumoMultiLines/", "LumoMultiLinesUtf8/")] / by_name[n]
                   for n in by_name if n.startswith("LumoMultiLines/")
                   and n.replace("LumoMultiLines/", "LumoMultiLinesUtf8/") in by_name]
    if utf8_ratios:
        value = min(utf8_ratios)
        r.goal("", "utf8_library", "LumoMultiLinesUtf8's bytes per second / LumoMultiLines' on the same text, "
               "each in its encoding (smallest over the settings)", ratio_text(value), ">= 0.8x", value >= 0.8,
               earlier=True)
    utf8_rate = reference_bytes["utf8"] / reference_runs["utf8"]["format"]["median"] / MB
    r.goal("", "utf8_old", "Format on UTF-8 (reference manual) / its 34 MB/s when it converted through "
           "code page 932", ratio_text(utf8_rate / 34.0), ">= 5x", utf8_rate / 34.0 >= 5, earlier=True)

    # The plot: throughput against input size, and peak memory.
    folded_mb = lambda mb: r.sizes[f"folded_{mb}m"]
    data = r.path("throughput.dat")
    with open(data, "w") as f:
        f.write("# MiB format bind fold nkf (MB/s)\n")
        for mb in SIZES:
            n = size(reference(mb))
            s = scale[mb]
            f.write(f"{mb} {n / s['format']['median'] / MB:.1f} {folded_mb(mb) / s['bind']['median'] / MB:.1f} "
                    f"{n / s['fold']['median'] / MB:.1f} {n / s['nkf']['median'] / MB:.1f}\n")
    memory_data = r.path("memory.dat")
    with open(memory_data, "w") as f:
        f.write("# MiB format bind (peak MiB)\n")
        for mb in memory_sizes:
            f.write(f"{mb} {memory[str(mb)][1] / 1024:.1f} {memory[str(mb)][2] / 1024:.1f}\n")
    script = f"""
set terminal pngcairo size 1400,560 font ",11"
set output "{png}"
set multiplot layout 1,2
set title "Throughput against input size (reference manual, Shift-JIS, fold 70, median of runs)"
set xlabel "input size (MiB)"
set ylabel "MB/s"
set logscale x 2
set xrange [0.9:70]
set xtics ({", ".join(f'"{mb}" {mb}' for mb in SIZES)})
set yrange [0:*]
set key top left
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

    # The figures that the explanations quote.
    profiles = {}
    for name in ("format-manpages-sjis", "format-manpages-utf8", "format-reference-sjis", "bind-reference-sjis"):
        if r.exists(f"profile-{name}.txt"):
            profiles[name] = profile(r.path(f"profile-{name}.txt"))
    figures = {f"profile:{name}": ", ".join(f"{fn} {share:.0f}%" for fn, share in rows)
               for name, rows in profiles.items()}
    for name in ("format-manpages-sjis", "format-reference-sjis", "bind-reference-sjis"):
        figures.setdefault(f"profile:{name}", "(not profiled: valgrind is missing)")
    m = manpage_runs["sjis"]
    figures["manpages_cpu"] = cpu(m["format"]) / cpu(m["fold"])
    figures["manpages_cores"] = cpu(m["format"]) / m["format"]["median"]
    figures["manpages_line"], figures["manpages_indented"] = line_figures(manpages("utf8"),
                                                                          int(about["rendering_utf8"]))
    for encoding, _ in ENCODINGS:
        m = long_runs[encoding]
        figures[f"long_cpu_{encoding}"] = cpu(m["one_line"]) / cpu(m["lines"])
    bound = lambda runs_of: cpu(runs_of["fold"]) / (cpu(runs_of["format"]) / 2)
    figures["manpages_bound_sjis"] = bound(manpage_runs["sjis"])
    figures["manpages_bound_utf8"] = bound(manpage_runs["utf8"])
    figures["reference_bound_sjis"] = bound(reference_runs["sjis"])
    figures["reference_bound_utf8"] = bound(reference_runs["utf8"])
    figures["manpages_cpu_utf8"] = cpu(manpage_runs["utf8"]["format"]) / cpu(manpage_runs["utf8"]["fold"])
    m = reference_runs["sjis"]
    figures["reference_cpu"] = cpu(m["format"]) / cpu(m["fold"])
    figures["reference_cpu_utf8"] = cpu(reference_runs["utf8"]["format"]) / cpu(reference_runs["utf8"]["fold"])
    figures["reference_cores"] = cpu(m["format"]) / m["format"]["median"]
    figures["bind_cpu"] = (cpu(m["bind"]) / folded("sjis", "normal")) / (cpu(m["format"]) / reference_bytes["sjis"])
    figures["utf8_rate"] = utf8_rate
    figures["utf8_cpu_rate"] = reference_bytes["utf8"] / cpu(reference_runs["utf8"]["format"]) / MB
    loads = dict(tsv(r.path("loads.tsv")))
    figures["utf8_load"] = loads.get("reference-utf8", "?").split()[0]
    figures["memory_largest"] = memory_sizes[-1]
    figures["memory_peak"] = peak_mib(memory_sizes[-1])
    malloc_row = tsv(r.path("memory-malloc.tsv"))[0] if r.exists("memory-malloc.tsv") else None
    figures["memory_malloc"] = max(int(malloc_row[1]), int(malloc_row[2])) / 1024 if malloc_row else float("nan")

    w = r.w
    w("# Performance")
    w()
    w("Written by `make bench` (scripts/bench.sh, bench/report.py); do not edit by hand. Times are")
    w("medians of several runs of the whole process (bench/timeruns.py: each round runs every command")
    w("once, output to /dev/null, so that other work on the machine falls on all alike); peak memory is")
    w("GNU time's maximum resident set size; the library calls are Google Benchmark's medians. MB/s")
    w("counts 10^6 bytes of the command's own input; a throughput ratio on the same input is the other")
    w("command's time over lumotext's. lumotext runs with `--encoding` given, `--fold 70`, preset 2, and")
    w("without `--rules` for the default (normal) rules.")
    w()
    w("## Goals")
    w()
    met_text = lambda met: "—" if met is None else ("yes" if met else "**no**")
    r.table(["#", "What is measured", "Measured", "Goal", "Met"],
            [[n, text, measured, target, met_text(met)] for n, _, text, measured, target, met in r.goals])
    w("Goals of earlier releases, still measured:")
    w()
    r.table(["What is measured", "Measured", "Goal", "Met"],
            [[text, measured, target, met_text(met)] for _, _, text, measured, target, met in r.earlier])
    missed = [(n, key, text) for n, key, text, _, _, met in r.goals + r.earlier if met is False]
    if missed:
        w("Why the goals not met fall short:")
        w()
        said = set()
        for n, key, text in missed:
            why = WHY[key](figures)
            if key in said or not why:
                continue
            said.add(key)
            w(f"- {'Goal ' + str(n) if n else text.split(':')[0]}: {why}")
        w()

    w("## Machine")
    w()
    for line in machine:
        w(f"- {line}")
    w()
    w("The machine's two cores are shared with other work; the load average (1, 5 and 15 minutes) at the")
    w("start of each part of the run shows how much. lumotext format folds on two worker threads, so")
    w("other work lowers its figures more than fold's.")
    w()
    r.table(["Part", "Load average"], tsv(r.path("loads.tsv")))

    w("## Corpora")
    w()
    lines_of = lambda path: sum(chunk.count(b"\n") for chunk in iter(lambda f=open(path, "rb"): f.read(1 << 24), b""))
    r.table(["Corpus", "How it is made", "Size", "Lines"], [
        [f"Manual pages, UTF-8 (`manpages-{MANPAGES_MB}m.utf8.txt`)",
         f"scripts/make-manpages-corpus.sh: the {about['pages']} pages of manpages-ja {about['manpages_ja']} "
         "(pointer pages left out), each rendered by `man -l` with MANWIDTH=80 in C.UTF-8 and passed through "
         f"`col -bx`, in file name order (one rendering: {int(about['rendering_utf8']) / MB:.1f} MB), repeated "
         "and cut at the first line end past the size; LF",
         f"{size(manpages('utf8')) / MIB:.1f} MiB", f"{lines_of(manpages('utf8')):,}"],
        [f"Manual pages, Shift-JIS (`manpages-{MANPAGES_MB}m.sjis.txt`)",
         f"the same rendering converted with `iconv -c -f UTF-8 -t CP932` ({int(about['rendering_sjis']) / MB:.1f} "
         "MB), repeated on its own", f"{size(manpages('sjis')) / MIB:.1f} MiB", f"{lines_of(manpages('sjis')):,}"],
        ["Reference manual, Shift-JIS (`corpus-{1..64}m.sjis.txt`)",
         "scripts/make-corpus.sh: debian-reference-ja's text, each paragraph joined into one line, "
         "converted with `iconv -c` to CP932, CR LF, repeated and cut at a line end",
         f"1 to {size(reference(LARGE)) / MIB:.1f} MiB", f"{lines_of(reference(LARGE)):,} (64 MiB)"],
        ["Reference manual, UTF-8", f"the {LARGE} MiB corpus converted with `iconv -f CP932 -t UTF-8`",
         f"{reference_bytes['utf8'] / MIB:.1f} MiB", "as above"],
        ["Folded texts (bind's input)", "each reference manual corpus folded by `lumotext format --fold 70` "
         "with the rules bind is given", f"{folded('sjis', 'normal') / MIB:.1f} MiB (Shift-JIS, 64 MiB, "
         "normal rules)", ""],
        ["One long line", "bench/longline.py: whole lines of the reference manual (repeated) up to 10^8 bytes, "
         "and the same text with each CR LF replaced by two spaces, so both are the same size",
         f"{r.sizes['one_line_sjis'] / MB:.1f} MB (Shift-JIS), {r.sizes['one_line_utf8'] / MB:.1f} MB (UTF-8)",
         f"1 against {r.sizes['line_count_sjis']:,} (Shift-JIS), {r.sizes['line_count_utf8']:,} (UTF-8)"],
        ["NUL bytes", "`head -c 300M /dev/zero`", f"{r.sizes['zeros'] / MIB:.0f} MiB", "1"],
    ])

    w(f"## Manual pages, {MANPAGES_MB} MiB")
    w()
    rows = []
    for encoding, label in ENCODINGS:
        m = manpage_runs[encoding]
        n = size(manpages(encoding))
        for command, name in (("format", "`lumotext format` (default rules)"),
                              ("classic", "`lumotext format --rules classic`"), ("fold", "`fold -b -w70`")):
            rows.append([label, name, f"{m[command]['median'] * 1000:.0f} ms", f"{cpu(m[command]) * 1000:.0f} ms",
                         f"{n / m[command]['median'] / MB:.0f}", ratio_text(m["fold"]["median"] / m[command]["median"])])
    r.table(["Encoding", "Command", "Median", "CPU (user + system)", "MB/s", "Throughput / fold -b's"], rows)

    w(f"## Reference manual, {LARGE} MiB: format, bind, fold -b, nkf")
    w()
    w("bind reads the folded text (folded with the same rules), so its MB/s count those bytes.")
    w()
    rows = []
    for encoding, label in ENCODINGS:
        m = reference_runs[encoding]
        for command, name, n in (
                ("format", "`lumotext format` (default rules)", reference_bytes[encoding]),
                ("classic", "`lumotext format --rules classic`", reference_bytes[encoding]),
                ("bind", "`lumotext bind` (default rules)", folded(encoding, "normal")),
                ("bind_classic", "`lumotext bind --rules classic`", folded(encoding, "classic")),
                ("fold", "`fold -b -w70`", reference_bytes[encoding]),
                ("nkf", "`nkf -Sx -s -f70`" if encoding == "sjis" else "`nkf -Wx -w -f70`", reference_bytes[encoding])):
            rows.append([label, name, f"{n / MIB:.1f} MiB", f"{m[command]['median'] * 1000:.0f} ms",
                         f"{cpu(m[command]) * 1000:.0f} ms", f"{n / m[command]['median'] / MB:.0f}"])
    r.table(["Encoding", "Command", "Input", "Median", "CPU (user + system)", "MB/s"], rows)
    linefold = runs(r.path("linefold.json"))
    n = size(reference(LINEFOLD_MB))
    w(f"Text::LineFold (`perl bench/linefold.pl 70`) on the {LINEFOLD_MB} MiB corpus: "
      f"{linefold['linefold']['median']:.1f} s, {n / linefold['linefold']['median'] / MB:.2f} MB/s; lumotext format "
      f"on the same: {n / linefold['format']['median'] / MB:.0f} MB/s.")
    w()

    w("## One line of 100 MB")
    w()
    rows = []
    for encoding, label in ENCODINGS:
        m = long_runs[encoding]
        for kind, name in (("lines", "ordinary lines"), ("one_line", "one line")):
            n, kib = long_memory[(encoding, kind)]
            rows.append([label, name, f"{n / MB:.1f} MB", f"{m[kind]['median'] * 1000:.0f} ms",
                         f"{n / m[kind]['median'] / MB:.0f}", f"{kib / 1024:.1f} MiB"])
    r.table(["Encoding", "Input", "Size", "Median", "MB/s", "Peak memory (largest of 3)"], rows)

    w("## NUL bytes")
    w()
    rows = []
    shown = lambda argv: " ".join(os.path.basename(t) if "/" in t and not t.startswith("/dev/") else t
                                  for t in argv.split()).replace("|", "\\|")
    for x in nul["results"]:
        x["message"] = re.sub(r"\S*/(zeros\.bin)", r"\1", x["message"])
        rows.append([f"`{shown(x['argv'])}`",
                     f"{x['median'] * 1000:.0f} ms", f"{x['max'] * 1000:.0f} ms", f"{x['peak_kib'] / 1024:.1f} MiB",
                     x["message"].replace("|", "\\|") if not x["failures"] else "failed: " + x["failures"][0]])
    r.table(["Command", "Median", "Slowest", "Peak memory", "Message"], rows)

    w("## Scaling")
    w()
    w("![Throughput and peak memory against input size](performance.png)")
    w()
    w(f"Starting the process on a 3-byte input takes {tiny['format']['median'] * 1000:.1f} ms (format); "
      "\"past the start\" takes that off.")
    w()
    rows = []
    for mb in SIZES:
        n = size(reference(mb))
        s = scale[mb]
        rows.append([f"{mb} MiB", f"{n / s['format']['median'] / MB:.0f}", f"{per_mb[mb]:.2f}", f"{marginal[mb]:.2f}",
                     f"{folded_mb(mb) / s['bind']['median'] / MB:.0f}", f"{n / s['fold']['median'] / MB:.0f}",
                     f"{n / s['nkf']['median'] / MB:.0f}"])
    r.table(["Input", "format MB/s", "format ms per MiB", "past the start", "bind MB/s", "fold MB/s", "nkf MB/s"], rows)

    w("## Peak memory")
    w()
    w("GNU time's maximum resident set size of one run, default rules, Shift-JIS; inputs above 64 MiB")
    w(f"repeat the 64 MiB corpus. The program alone takes {max(memory['tiny'][1], memory['tiny'][2]) / 1024:.1f} MiB "
      "on a 3-byte input.")
    w()
    r.table(["Input", "format", "bind"],
            [[f"{mb} MiB", f"{memory[str(mb)][1] / 1024:.1f} MiB", f"{memory[str(mb)][2] / 1024:.1f} MiB"]
             for mb in memory_sizes])
    if malloc_row:
        w(f"With glibc's mmap threshold held at 128 KiB (MALLOC_MMAP_THRESHOLD_=131072), {malloc_row[0]} MiB "
          f"takes {int(malloc_row[1]) / 1024:.1f} MiB (format) and {int(malloc_row[2]) / 1024:.1f} MiB (bind).")
        w()
    corpus_name = {"reference": f"Reference manual, {LARGE} MiB", "manpages": f"Manual pages, {MANPAGES_MB} MiB"}
    r.table(["Corpus", "Encoding", "Rules", "format", "bind"],
            [[corpus_name[c], dict(ENCODINGS)[e], rules, f"{int(f) / 1024:.1f} MiB",
              "—" if b == "-" else f"{int(b) / 1024:.1f} MiB"] for c, e, rules, f, b in more])

    w("## Library calls, 1 MiB at fold 70")
    w()
    w("Google Benchmark (bench/format_bench.cpp, bench/lumo_format_bench.cpp, bench/jlreq_bench.cpp), median")
    w("of 3 repetitions, one thread, on the first 1 MiB of whole lines of the Shift-JIS reference manual")
    w("(converted to UTF-8 for the UTF-8 calls). LumoMultiLines formats the text; BindLines binds that")
    w("setting's folded output as one block; LumoFormat is lumo_format with each encoding and rule set;")
    w("JlreqSearch is the rules' segment search alone.")
    w()
    r.table(["Call / setting", "MB/s", "CPU time per call"],
            [[name, f"{mbps:.0f}", f"{t:.2f} {unit}"] for name, mbps, t, unit in library])

    w("## First call in a process")
    w()
    w(f"bench/first_call.cpp, each run a new process ({first_summary['short']['runs']} runs, medians): the text")
    w("is read first, then lumo_format is called 20 times on it (UTF-8, default rules). Minor page faults")
    w("are the pages a call touched first.")
    w()
    r.table(["Text", "First call", "Later calls", "First / later", "Page faults, first", "Page faults, later"],
            [[f"{s['bytes']:,} bytes", f"{s['first']:.3f} ms", f"{s['later']:.3f} ms",
              ratio_text(s["first"] / s["later"]), f"{s['first_faults']:.0f}", f"{s['later_faults']:.0f}"]
             for s in (first_summary["short"], first_summary["large"])])
    resolve = None
    if r.exists("first-call-resolve.txt"):
        text = open(r.path("first-call-resolve.txt")).read().strip()
        resolve = int(text) if text.isdigit() else None
    if instructions:
        w(f"Instructions per call (callgrind, {first_summary['short']['bytes']} bytes): "
          + ", ".join(f"{n:,}" for n in instructions) + " for calls 1 to 3"
          + (f", of which {resolve:,} in the first are the dynamic linker binding the C library's functions on "
             "their first use (_dl_runtime_resolve)" if resolve else "") + ". The first call does the work the "
          "later ones do, so nothing is built on it; what it pays more is the page faults above, memory that "
          "the process touches for the first time (the heap that the call's buffers grow, the pages of code "
          "and constant tables) and that later calls find in place.")
        w()
    if r.exists("later-call-profile.txt"):
        # Inclusive instructions of a later call's parts, by function.
        parts = {}
        for line in open(r.path("later-call-profile.txt")):
            m = re.match(r"^\s*([\d,]+) \(", line)
            if m:
                parts.setdefault(function_name(line[m.end():].split(")", 1)[1].strip()),
                                 int(m.group(1).replace(",", "")))
        total = parts.get("lumo_format")
        setup = parts.get("lumo_stream_new")
        if total and setup:
            w(f"Of a later call's {total:,} instructions on {first_summary['short']['bytes']:,} bytes, "
              f"{setup:,} ({setup / total:.0%}) set the stream up whatever the text's length: "
              f"{parts.get('JlreqCodes::JlreqCodes', 0):,} make the rules' table of traits by code (65,536 "
              "entries, zeroed for each stream and filled as codes come) and "
              f"{parts.get('engine::StreamRules::Make', 0):,} turn the settings into tables "
              "(engine::StreamRules::Make). A short text pays them on every call, which is what a call on "
              "a paragraph costs most; no call builds more than another.")
            w()

    if profiles:
        w("## Where the instructions go")
        w()
        w("Callgrind on 2 MB of each text (the Release build, so inlined functions count as their callers),")
        w("the functions with the most instructions of their own, all threads together:")
        w()
        cases = {"format-manpages-sjis": "format, manual pages, Shift-JIS",
                 "format-manpages-utf8": "format, manual pages, UTF-8",
                 "format-reference-sjis": "format, reference manual, Shift-JIS",
                 "bind-reference-sjis": "bind, reference manual folded, Shift-JIS"}
        r.table(["Run", "Functions (share of the instructions)"],
                [[cases[name], ", ".join(f"{fn} {share:.1f}%" for fn, share in rows)]
                 for name, rows in profiles.items()])

    while r.lines and not r.lines[-1]:
        r.lines.pop()
    with open(markdown, "w") as f:
        f.write("\n".join(r.lines) + "\n")


if __name__ == "__main__":
    main()
