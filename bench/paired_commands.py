#!/usr/bin/env python3
"""Paired medians of two commands of the tool: each pair runs both (the
order flipping from pair to pair, after one warm-up run of each), so that a
machine's slow and fast moments fall on both sides alike. Prints each
command's median wall time and peak resident memory (from wait4), and the
median of the ratios B / A. Standard output goes to /dev/null; a command
that exits with a status not listed in --ok stops the run.

    paired_commands.py [--pairs N] [--ok 0,1] 'COMMAND A' 'COMMAND B'
"""
import argparse
import os
import shlex
import statistics
import subprocess
import time


def run(command, ok):
    start = time.monotonic()
    with open(os.devnull, "wb") as null:
        child = subprocess.Popen(command, stdout=null, stderr=null)
        _, status, usage = os.wait4(child.pid, 0)
    seconds = time.monotonic() - start
    code = os.waitstatus_to_exitcode(status)
    if code not in ok:
        raise SystemExit("%s: exit status %d" % (shlex.join(command), code))
    return seconds, usage.ru_maxrss / 1024.0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--pairs", type=int, default=11)
    parser.add_argument("--ok", default="0", help="exit statuses that count as a run (default 0)")
    parser.add_argument("a")
    parser.add_argument("b")
    args = parser.parse_args()
    ok = {int(s) for s in args.ok.split(",")}
    commands = [shlex.split(args.a), shlex.split(args.b)]
    for command in commands:
        run(command, ok)
    times = [[], []]
    memory = [[], []]
    for pair in range(args.pairs):
        for k in (0, 1) if pair % 2 == 0 else (1, 0):
            seconds, megabytes = run(commands[k], ok)
            times[k].append(seconds)
            memory[k].append(megabytes)
    ratios = [b / a for a, b in zip(times[0], times[1])]
    for k, name in enumerate("AB"):
        print("%s: %.3f s, %.0f MB peak (medians of %d)  %s" % (name, statistics.median(times[k]),
                                                              statistics.median(memory[k]), args.pairs, args.a if k == 0 else args.b))
    print("B / A: median %.3f, from %.3f to %.3f" % (statistics.median(ratios), min(ratios), max(ratios)))


if __name__ == "__main__":
    main()
