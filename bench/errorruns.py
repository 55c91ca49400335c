#!/usr/bin/env python3
"""Times commands that must fail: each run must exit with a nonzero status
within the time limit and say EXPECT on standard error. Records the wall-clock
time until the command exits (median of the runs) and its peak memory, GNU
time's maximum resident set size (the largest of the runs), as JSON.

Usage: errorruns.py OUT.json RUNS TIMEOUT EXPECT NAME=COMMAND...
A command runs without a shell, its output going to /dev/null. "A | B" feeds
A's output to B; the time and memory are B's, and the time counts until B
exits (A then stops on the closed pipe).
"""
import json
import os
import shlex
import signal
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(stages, timeout, expect):
    """One run: (seconds, peak KiB, failed as it should, what went wrong)."""
    with tempfile.NamedTemporaryFile() as memory, tempfile.TemporaryFile() as errors:
        last = ["/usr/bin/time", "-f", "%M", "-o", memory.name] + stages[-1]
        start = time.perf_counter()
        feeder = None
        stdin = subprocess.DEVNULL
        if len(stages) == 2:
            feeder = subprocess.Popen(stages[0], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                      stderr=subprocess.DEVNULL, start_new_session=True)
            stdin = feeder.stdout
        process = subprocess.Popen(last, stdin=stdin, stdout=subprocess.DEVNULL, stderr=errors,
                                   start_new_session=True)
        if feeder is not None:
            feeder.stdout.close()  # the feeder sees the pipe close when the command exits
        try:
            status = process.wait(timeout=timeout)
            wall = time.perf_counter() - start
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            status, wall = None, float(timeout)
        if feeder is not None:
            try:
                feeder.wait(timeout=timeout)
            except subprocess.TimeoutExpired:
                os.killpg(feeder.pid, signal.SIGKILL)
                feeder.wait()
        errors.seek(0)
        said = errors.read().decode(errors="replace")
        lines = open(memory.name).read().split()
        peak = int(lines[-1]) if lines and lines[-1].isdigit() else 0
    if status is None:
        return wall, peak, False, f"still running after {timeout} s"
    if status == 0:
        return wall, peak, False, "exited with status 0"
    if expect not in said:
        return wall, peak, False, f"said {said.strip()[:200]!r}, not {expect!r}"
    return wall, peak, True, said.strip().splitlines()[0][:200]


def main():
    out, runs, timeout, expect = sys.argv[1], int(sys.argv[2]), float(sys.argv[3]), sys.argv[4]
    results = []
    for entry in sys.argv[5:]:
        name, command = entry.split("=", 1)
        stages = [shlex.split(part) for part in command.split("|")]
        if len(stages) > 2:
            sys.exit(f"errorruns: at most two stages: {command}")
        times, peaks, failures, message = [], [], [], ""
        for _ in range(runs):
            wall, peak, ok, said = run_once(stages, timeout, expect)
            times.append(wall)
            peaks.append(peak)
            if ok:
                message = said
            else:
                failures.append(said)
        results.append({
            "command": name,
            "argv": command,
            "median": statistics.median(times),
            "max": max(times),
            "times": times,
            "peak_kib": max(peaks),
            "message": message,
            "failures": failures,
        })
    with open(out, "w") as f:
        json.dump({"expect": expect, "timeout": timeout, "results": results}, f, indent=1)


if __name__ == "__main__":
    main()
