#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in a build directory of their own and runs
# each for a bounded time. Any crash, leak, timeout or memory blow-up fails
# the run; the input that caused it is left in BUILD_DIR/artifacts/.
#
#   fuzz/run.sh [BUILD_DIR [SECONDS_PER_TARGET [TARGET...]]]
#
# The corpus a run finds is kept in BUILD_DIR/corpus/TARGET, so longer
# campaigns continue where the last run stopped.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$root/build-fuzz}")
seconds=${2:-60}
targets=(fuzz_parse fuzz_stream)
if [ $# -gt 2 ]; then
  targets=("${@:3}")
fi

# clang-14 is the one Debian 12 installs (scripts/install-deps.sh).
cc=$(command -v clang-14 || command -v clang)
cxx=$(command -v clang++-14 || command -v clang++)
cmake -S "$root/fuzz" -B "$build" -DCMAKE_C_COMPILER="$cc" -DCMAKE_CXX_COMPILER="$cxx" > /dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}" --target "${targets[@]}"

# The seed corpus: the example and test reports, plain and compressed,
# made afresh on every run rather than kept twice in the tree. The entity
# bomb is left out: each run of it spends a second in the reader's own
# entity expansion (the hostile-file tests cover it).
seeds=$build/seeds
rm -rf "$seeds"
mkdir -p "$seeds"
for file in "$root"/examples/*.xml "$root"/tests/data/*.xml; do
  name=$(basename "$file")
  if [ "$name" = hostile_billion_laughs.xml ]; then continue; fi
  cp "$file" "$seeds/$name"
  gzip -n -c "$file" > "$seeds/$name.gz"
  if command -v zstd > /dev/null; then zstd -q -c "$file" > "$seeds/$name.zst"; fi
  if command -v xz > /dev/null; then xz -c "$file" > "$seeds/$name.xz"; fi
done
# The example in UTF-16 too, so that the other transcoding paths have a seed.
sed 's/encoding="UTF-8"/encoding="UTF-16"/' "$root/examples/report.xml" | iconv -f UTF-8 -t UTF-16 \
  > "$seeds/report-utf16.xml"

symbolizer=/usr/lib/llvm-14/bin/llvm-symbolizer
if [ -x "$symbolizer" ]; then export ASAN_SYMBOLIZER_PATH=$symbolizer; fi
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}

for target in "${targets[@]}"; do
  corpus=$build/corpus/$target
  mkdir -p "$corpus" "$build/artifacts"
  args=(-max_total_time="$seconds" -rss_limit_mb=2048 -timeout=25 -max_len=16384 -print_final_stats=1
        -artifact_prefix="$build/artifacts/$target-")
  if [ "$target" = fuzz_parse ]; then args+=(-dict="$root/fuzz/rdb_xml.dict"); fi
  dirs=("$corpus" "$seeds")
  # The campaigns' shared minimised corpus, where this machine has it:
  # every run starts from all that earlier runs found.
  shared=$root/../shared/fuzz-corpus/${target#fuzz_}
  if [ -d "$shared" ]; then dirs+=("$shared"); fi
  echo "== $target for $seconds s"
  "$build/bin/$target" "${args[@]}" "${dirs[@]}"
done
