#!/bin/sh
# same_json.sh BEFORE_RDBXML AFTER_RDBXML [FILE...]
#
# Checks that two builds of the tool write the same JSON, byte for byte: runs
# `--json FILE` and `-q --json FILE` of both on every file and names each
# file whose output (or exit status) differs; exit 1 then, else prints
# "N files: same JSON". Without files: tests/data/*.xml and a 1 MB file of
# every mix of rdb_bench_gen, written to a temporary directory. The generator
# is the one beside AFTER_RDBXML, or $RDB_BENCH_GEN.
set -u

if [ $# -lt 2 ]; then
    echo "usage: same_json.sh BEFORE_RDBXML AFTER_RDBXML [FILE...]" >&2
    exit 2
fi
before=$1
after=$2
shift 2
for tool in "$before" "$after"; do
    if [ ! -x "$tool" ]; then
        echo "same_json.sh: $tool: not an executable" >&2
        exit 2
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/same_json.XXXXXX") || exit 2
trap 'rm -rf "$work"' EXIT INT TERM

if [ $# -eq 0 ]; then
    source_dir=$(cd "$(dirname "$0")/.." && pwd)
    generator=${RDB_BENCH_GEN:-$(dirname "$after")/rdb_bench_gen}
    if [ ! -x "$generator" ]; then
        echo "same_json.sh: no generator at $generator (set RDB_BENCH_GEN)" >&2
        exit 2
    fi
    mixes=$("$generator" --list | cut -d' ' -f1) || exit 2
    for mix in $mixes; do
        "$generator" --mix "$mix" "$work/mix_$mix.xml" 1 || exit 2
    done
    set -- "$source_dir"/tests/data/*.xml "$work"/mix_*.xml
fi

# Writes what TOOL prints for ARGS... and its exit status to OUT.
run() {
    out=$1
    tool=$2
    shift 2
    "$tool" "$@" > "$out" 2> /dev/null
    echo "exit $?" >> "$out"
}

count=0
differ=0
for file in "$@"; do
    count=$((count + 1))
    for quiet in "" "-q"; do
        # shellcheck disable=SC2086  # an empty $quiet is no argument
        run "$work/before" "$before" $quiet --json "$file"
        # shellcheck disable=SC2086
        run "$work/after" "$after" $quiet --json "$file"
        if ! cmp -s "$work/before" "$work/after"; then
            echo "differs: ${quiet:+$quiet }--json $file"
            differ=$((differ + 1))
        fi
    done
done
if [ "$differ" -ne 0 ]; then
    echo "$differ of $((count * 2)) runs on $count files: different JSON"
    exit 1
fi
echo "$count files: same JSON"
