#!/usr/bin/env python3
"""Times commands in interleaved rounds, each round running every command once,
so that other work on the machine falls on all of them alike; writes the
wall-clock times and their median per command as JSON (hyperfine's layout).

Usage: timeruns.py OUT.json RUNS WARMUP NAME=COMMAND...
Each command runs without a shell, its output going to /dev/null; what it
writes to standard error (warnings) is shown only when it fails.
"""
import json
import os
import shlex
import statistics
import subprocess
import sys
import tempfile
import time


def run_once(argv):
    with tempfile.TemporaryFile() as errors:
        start = time.perf_counter()
        process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=errors)
        _, status, usage = os.wait4(process.pid, 0)
        wall = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
        if process.returncode != 0:
            errors.seek(0)
            sys.stderr.write(errors.read()[-4000:].decode(errors="replace"))
            sys.exit(f"timeruns: {shlex.join(argv)} failed with status {process.returncode}")
    return wall, usage.ru_utime, usage.ru_stime


def main():
    out, runs, warmup = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    commands = []
    for entry in sys.argv[4:]:
        name, command = entry.split("=", 1)
        commands.append((name, shlex.split(command)))
    for _ in range(warmup):
        for _, argv in commands:
            run_once(argv)
    times = {name: [] for name, _ in commands}
    user = {name: [] for name, _ in commands}
    system = {name: [] for name, _ in commands}
    for round_number in range(runs):
        # Each round starts with another command, so none always runs first.
        shift = round_number % len(commands)
        for name, argv in commands[shift:] + commands[:shift]:
            wall, u, s = run_once(argv)
            times[name].append(wall)
            user[name].append(u)
            system[name].append(s)
    results = [{
        "command": name,
        "median": statistics.median(times[name]),
        "mean": statistics.fmean(times[name]),
        "min": min(times[name]),
        "max": max(times[name]),
        "user": statistics.median(user[name]),
        "system": statistics.median(system[name]),
        "times": times[name],
    } for name, _ in commands]
    with open(out, "w") as f:
        json.dump({"results": results}, f, indent=1)


if __name__ == "__main__":
    main()
