#!/usr/bin/env python3
"""The median wall and CPU time of one command of the tool, for the
queries whose goal is a time of their own (a trend over an index): one
warm-up run, then N runs (wall time, and user plus system time from
wait4). Standard output goes to /dev/null; a failing run stops it.

    median_time.py [--runs N] COMMAND [ARG...]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    args = parser.parse_args()
    subprocess.run(args.command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    walls, cpus = [], []
    for _ in range(args.runs):
        start = time.perf_counter()
        process = subprocess.Popen(args.command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        _, status, usage = os.wait4(process.pid, 0)
        walls.append(time.perf_counter() - start)
        cpus.append(usage.ru_utime + usage.ru_stime)
        if status != 0:
            sys.exit("failed (%d): %s" % (status, process.stderr.read().decode(errors="replace")))
    print("wall %.1f ms median (%.1f to %.1f), CPU %.1f ms median"
          % (statistics.median(walls) * 1e3, min(walls) * 1e3, max(walls) * 1e3, statistics.median(cpus) * 1e3))


if __name__ == "__main__":
    main()
