#!/bin/sh
# rdbxml index on many reports (bench/README.md, "An index of many runs"):
# the first pass against the parse alone, a pass with nothing changed
# against the first, and the database's size per run with and without
# --cells as a fraction of a report's size.
#
#   bench/index_bench.sh [RDBXML [DIR [PAIRS]]]
#
# RDBXML: the tool of a Release build (build-bench/bin/rdbxml); DIR: the
# reports (/work/benchdata/many: 200 reports of 1 MB, made as the section on
# rdbxml check says). Scratch databases go to a directory of their own.
set -eu
RDBXML=${1:-build-bench/bin/rdbxml}
DIR=${2:-/work/benchdata/many}
PAIRS=${3:-5}
HERE=$(dirname "$0")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
DB=$WORK/first.db
KEPT=$WORK/kept.db

echo "== first pass: index into a new database, against the parse alone (-j 2)"
"$HERE/paired_commands.py" --pairs "$PAIRS" \
    "$RDBXML -q --noout -j 2 $DIR" \
    "sh -c 'rm -f $DB $DB-wal $DB-shm && exec $RDBXML index -q -j 2 $DB $DIR'"

echo "== a pass with nothing changed, against the first pass"
"$RDBXML" index -q -j 2 "$KEPT" "$DIR"
"$HERE/paired_commands.py" --pairs "$PAIRS" \
    "sh -c 'rm -f $DB $DB-wal $DB-shm && exec $RDBXML index -q -j 2 $DB $DIR'" \
    "$RDBXML index -q -j 2 $KEPT $DIR"

echo "== database size per run, as a fraction of a report's size"
CELLS=$WORK/cells.db
"$RDBXML" index -q -j 2 --cells "$CELLS" "$DIR"
REPORTS=$(find "$DIR" -name '*.xml*' -type f | wc -l)
BYTES=$(find "$DIR" -name '*.xml*' -type f -exec cat {} + | wc -c)
for db in "$KEPT" "$CELLS"; do
    size=$(stat -c %s "$db")
    python3 -c "import sys; r,b,s=map(int,sys.argv[1:4]); print('%s: %d bytes, %.0f per run, %.4f of a report' % (sys.argv[4], s, s/r, s/b))" \
        "$REPORTS" "$BYTES" "$size" "$(basename "$db")"
done
