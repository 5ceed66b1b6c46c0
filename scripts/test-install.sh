#!/usr/bin/env bash
# Installs a build into a fresh prefix under it and uses the result the way
# a host application and a person would:
#   - the libraries carry their sonames, the schema lies beside the parser
#     library, and every installed header compiles on its own;
#   - the example host program (examples/consumer) builds against the CMake
#     package and against pkg-config, and reads the installed example;
#   - so does the C++ example of README.md, and both print what the README
#     shows;
#   - the installed tool reads the installed example, also with schema
#     validation, and still does after the prefix has been moved;
#   - so does the installed Python module, imported by Debian's python3
#     (when the build has it).
# Usage: scripts/test-install.sh BUILD_DIR
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$build/install-test
prefix=$work/prefix
rm -rf "$work"
mkdir -p "$work"

fail() { echo "test-install: $*" >&2; exit 1; }
step() { echo "test-install: $*"; }

step "installing into $prefix"
cmake --install "$build" --prefix "$prefix" > "$work/install.log"

pc=$(find "$prefix" -name rdbxml.pc)
[ -n "$pc" ] || fail "no rdbxml.pc installed"
export PKG_CONFIG_PATH=$(dirname "$pc")
libdir=$(realpath "$(pkg-config --variable=libdir rdbxml)")
version=$(pkg-config --modversion rdbxml)
major=${version%%.*}
includedir=$(realpath "$(pkg-config --variable=includedir rdbxml)")
[ -x "$prefix/bin/rdbxml" ] || fail "no bin/rdbxml"
[ -f "$libdir/rdb_schema.xsd" ] || fail "rdb_schema.xsd is not beside the libraries"
for lib in rdb_xml rdbwriters rdbmodel rdbsupport; do
  soname=$(readelf -d "$libdir/lib$lib.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
  [ "$soname" = "lib$lib.so.$major" ] || fail "lib$lib.so has soname '$soname'"
  [ -e "$libdir/$soname" ] || fail "$soname is not installed"
done

step "compiling every installed header on its own, as <rdbxml/...>"
[ -f "$includedir/rdbxml/rdb_report.h" ] || fail "rdb_report.h is not in include/rdbxml/"
for header in "$includedir"/rdbxml/*.h; do
  echo "#include <rdbxml/$(basename "$header")>" |
    c++ -std=c++17 -Wall -Wextra -Werror -fsyntax-only $(pkg-config --cflags rdbxml) -x c++ - ||
    fail "$(basename "$header") does not compile on its own"
done
# The installed headers are exactly what the model (with its rules, focus
# and a report's figures), the parser and the writers (trend charts and the
# list of several pages among them) need.
printf '#include <rdbxml/%s>\n' rdb_report.h rdb_rule.h rdb_focus.h rdb_metrics.h rdb_xml.h rdb_text_writer.h rdb_json_writer.h rdb_html_writer.h rdb_csv_writer.h rdb_diff_writer.h rdb_trend_writer.h rdb_html_list_writer.h | c++ -std=c++17 -MM $(pkg-config --cflags rdbxml) -x c++ - |
  tr ' \\' '\n\n' | grep '/rdbxml/[^/]*\.h$' | xargs -n1 basename | sort -u > "$work/needed.txt"
(cd "$includedir/rdbxml" && ls) | sort | cmp -s - "$work/needed.txt" ||
  fail "installed headers that no host needs: $(cd "$includedir/rdbxml" && ls | sort | comm -23 - "$work/needed.txt" | tr '\n' ' ')"
# No bare internal name reaches a host's include path.
if echo '#include "msg.h"' | c++ -std=c++17 -fsyntax-only $(pkg-config --cflags rdbxml) -x c++ - 2> /dev/null; then
  fail "a bare msg.h resolves on the pkg-config include path"
fi

example=$prefix/share/rdbxml/examples/report.xml
step "building examples/consumer with find_package(rdbxml)"
cmake -S "$src/examples/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" > "$work/consumer.log"
cmake --build "$work/consumer" >> "$work/consumer.log" 2>&1 ||
  fail "examples/consumer (built as C++14, the targets asking for C++17) does not build: see $work/consumer.log"
"$work/consumer/consumer" "$example" > "$work/consumer.out" 2> "$work/consumer.err" ||
  fail "the consumer failed: $(cat "$work/consumer.err")"
grep -q '^main (folder)$' "$work/consumer.out" || fail "the consumer's list lacks the main folder"
grep -q '^main/timing/Clocks (table): 2 data rows under Clock | Period (ps) | Source$' "$work/consumer.out" ||
  fail "the consumer's list lacks the Clocks table with its heading row"
grep -q '^rows: [1-9]' "$work/consumer.out" || fail "the consumer counted no rows"
cat "$work/consumer.out"

step "checking that the CMake targets put no bare internal name on the path"
mkdir -p "$work/probe"
echo '#include "msg.h"
int main() { return 0; }' > "$work/probe/probe.cpp"
printf '%s\n' 'cmake_minimum_required(VERSION 3.18)' 'project(probe LANGUAGES CXX)' \
  "find_package(rdbxml $major.0 REQUIRED)" 'add_executable(probe probe.cpp)' \
  'target_link_libraries(probe PRIVATE rdbxml::rdb_xml)' > "$work/probe/CMakeLists.txt"
cmake -S "$work/probe" -B "$work/probe/build" -DCMAKE_PREFIX_PATH="$prefix" > "$work/probe.log" ||
  fail "the probe project does not configure"
if cmake --build "$work/probe/build" >> "$work/probe.log" 2>&1; then
  fail "a bare msg.h resolves for a target linked with rdbxml::rdb_xml"
fi

step "building examples/consumer with pkg-config"
c++ -std=c++17 -Wall -Wextra -Werror "$src/examples/consumer/consumer.cpp" -o "$work/consumer-pc" \
  $(pkg-config --cflags --libs rdbxml) -Wl,-rpath,"$libdir"
"$work/consumer-pc" "$example" 2> /dev/null | cmp -s - "$work/consumer.out" ||
  fail "the pkg-config build of the consumer prints something else"

# The README's C++ example and the outputs it shows must stay true.
readme=$src/README.md
# The lines the README shows after the command line starting with "$ $1",
# without their indentation, up to the next blank line.
readme_output() {
  awk -v command="    \$ $1" 'index($0, command) == 1 { on = 1; next } on && /^$/ { exit } on { print substr($0, 5) }' "$readme"
}
step "building the README's example host program"
awk '/^```cpp$/ { on = 1; next } on && /^```$/ { exit } on' "$readme" > "$work/my_host.cpp"
[ -s "$work/my_host.cpp" ] || fail "no C++ example in README.md"
c++ -std=c++17 -Wall -Wextra -Werror "$work/my_host.cpp" -o "$work/my_host" \
  $(pkg-config --cflags --libs rdbxml) -Wl,-rpath,"$libdir"
"$work/my_host" "$example" 2> /dev/null | cmp -s - <(readme_output "./my_host") ||
  fail "README.md shows another output for its C++ example than it gives"
cmp -s "$work/consumer.out" <(readme_output "build-consumer/consumer") ||
  fail "README.md shows another output for examples/consumer than it gives"
# The three smaller hosts, run where the README runs them (its paths are
# relative to the source tree); parse_many exits 1 there, for the file it
# could not read, so only the output is compared.
for host in "tables examples/report.xml" "gauge_trend examples/report.xml examples/report.xml" \
  "parse_many examples/report.xml nosuch.xml"; do
  (cd "$src" && "$work/consumer/"$host || true) 2> /dev/null | cmp -s - <(readme_output "build-consumer/$host") ||
    fail "README.md shows another output for examples/consumer/${host%% *} than it gives"
done

step "running the installed tool"
loaded=$(ldd "$prefix/bin/rdbxml" | awk '$1 == "librdb_xml.so.'"$major"'" { print $3 }')
[ -n "$loaded" ] && [ "$(dirname "$(realpath "$loaded")")" = "$libdir" ] ||
  fail "the installed tool does not load the installed parser library (it loads '$loaded')"
[ "$("$prefix/bin/rdbxml" --version)" = "rdbxml $(pkg-config --modversion rdbxml)" ] ||
  fail "the installed tool's library is not the version the package names"
"$prefix/bin/rdbxml" -v > "$work/tool.out" 2> "$work/tool.err" || fail "the installed tool failed"
grep -q "Processing file: $prefix/.*/report.xml" "$work/tool.err" ||
  fail "the installed tool did not read the installed example"
grep -q '^folder "main"' "$work/tool.out" || fail "the installed tool printed no main folder"
"$prefix/bin/rdbxml" -q --noout --schema "$example" || fail "the installed example does not validate"
"$prefix/bin/rdbxml" -q --noout --strict "$example" || fail "the installed example has warnings"
man1=$(find "$prefix" -path '*/man1/rdbxml.1')
[ -n "$man1" ] && grep -q '^\.TH RDBXML 1' "$man1" || fail "the tool's manual page is not installed"
completion=$prefix/share/bash-completion/completions/rdbxml
[ "$(bash -c '. "$1" && complete -p rdbxml' sh "$completion" 2>&1)" = "complete -F _rdbxml rdbxml" ] ||
  fail "the tool's bash completion is not installed"

# The Python module: the installed package, loading the installed
# libraries, reads the installed example (with the schema beside them) as
# the installed tool does.
python=${RDBXML_PYTHON:-/usr/bin/python3}
python_package=$(find "$prefix" -path '*/rdbxml/__init__.py' -printf '%h\n')
check_python() {  # PREFIX
  local site=${python_package/#$prefix/$1}
  (cd "$work" && PYTHONPATH=$(dirname "$site") "$python" - "$1/share/rdbxml/examples/report.xml" "$site") <<'PY' > "$work/python.json" ||
import os, sys, rdbxml
assert os.path.dirname(rdbxml.__file__) == sys.argv[2], rdbxml.__file__
print(rdbxml.parse(sys.argv[1], schema=True).to_json())
PY
    fail "the installed Python module failed under $1"
  "$1/bin/rdbxml" -q --json "$1/share/rdbxml/examples/report.xml" | sed 's/^{"file":.*,"report":\(.*\)}$/\1/' |
    cmp -s - "$work/python.json" || fail "the installed Python module's JSON is not the installed tool's"
}
if [ -d "$build/python/rdbxml" ]; then
  step "importing the installed Python module with $python"
  [ -n "$python_package" ] || fail "no Python package installed"
  for file in __init__.pyi py.typed; do
    [ -f "$python_package/$file" ] || fail "the Python package lacks $file"
  done
  module=$(ls "$python_package"/_rdbxml*.so)
  loaded=$(ldd "$module" | awk '$1 == "librdb_xml.so.'"$major"'" { print $3 }')
  [ -n "$loaded" ] && [ "$(dirname "$(realpath "$loaded")")" = "$libdir" ] ||
    fail "the installed Python module does not load the installed parser library (it loads '$loaded')"
  check_python "$prefix"
fi

step "moving the prefix"
mv "$prefix" "$work/moved"
"$work/moved/bin/rdbxml" -v --json > "$work/moved.out" 2> "$work/moved.err" || fail "the moved tool failed"
grep -q "Processing file: $work/moved/" "$work/moved.err" || fail "the moved tool did not find its example"
grep -q '"main_folder":{' "$work/moved.out" || fail "the moved tool gave no report"
if [ -n "$python_package" ]; then
  check_python "$work/moved"
fi
step "all checks passed"
