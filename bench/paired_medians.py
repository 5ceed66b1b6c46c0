#!/usr/bin/env python3
"""Paired medians of the full parse of one file by two builds of rdb_bench:
each pair runs both (the order flipping from pair to pair, after one
warm-up run of each), so that a machine's slow and fast moments fall on
both sides alike.

    paired_medians.py BEFORE_RDB_BENCH AFTER_RDB_BENCH FILE [PAIRS]
"""
import statistics
import subprocess
import sys


def seconds(bench, file):
    out = subprocess.run([bench, "--child", "full", file], capture_output=True, text=True, check=True).stdout
    return float(out.split()[0])


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    before, after, file = sys.argv[1:4]
    pairs = int(sys.argv[4]) if len(sys.argv) == 5 else 21
    seconds(before, file)
    seconds(after, file)
    times = {before: [], after: []}
    for pair in range(pairs):
        for bench in (before, after) if pair % 2 == 0 else (after, before):
            times[bench].append(seconds(bench, file))
    ratios = [a / b for a, b in zip(times[after], times[before])]
    print(
        "%d pairs: before %.3f s, after %.3f s (medians); after / before: median %.4f, from %.3f to %.3f"
        % (pairs, statistics.median(times[before]), statistics.median(times[after]), statistics.median(ratios),
           min(ratios), max(ratios))
    )


if __name__ == "__main__":
    main()
