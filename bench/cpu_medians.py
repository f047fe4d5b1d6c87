"""Processor time (user + system) of whole processes, as medians of interleaved runs.

    python3 cpu_medians.py RUNS OUT.json NAME 'COMMAND' [NAME 'COMMAND' ...]

Each round runs every command once, in turn, so that a change in the machine's load
during the measurement falls on all of them alike. The times come from wait4(), to the
microsecond; a command that fails stops the measurement.
"""
import json
import os
import shlex
import statistics
import subprocess
import sys
import time


def main():
    runs, out = int(sys.argv[1]), sys.argv[2]
    commands = list(zip(sys.argv[3::2], sys.argv[4::2]))
    cpu = {name: [] for name, _ in commands}
    wall = {name: [] for name, _ in commands}
    for _ in range(runs):
        for name, command in commands:
            start = time.monotonic()
            child = subprocess.Popen(shlex.split(command), stdout=subprocess.DEVNULL)
            _, status, usage = os.wait4(child.pid, 0)
            wall[name].append(time.monotonic() - start)
            if status != 0:
                sys.exit(f"{name} failed: {command}")
            cpu[name].append(usage.ru_utime + usage.ru_stime)
    result = {name: {"cpu_median": statistics.median(cpu[name]),
                     "wall_median": statistics.median(wall[name]),
                     "cpu": cpu[name]} for name, _ in commands}
    with open(out, "w") as f:
        json.dump(result, f, indent=1)
    for name, _ in commands:
        print(f"  {name:12s} processor median {result[name]['cpu_median'] * 1000:7.1f} ms"
              f"   wall-clock median {result[name]['wall_median'] * 1000:7.1f} ms")


main()
