#!/usr/bin/env bash
# Installs the Debian packages that are missing, on a fresh Debian 12
# machine, as root (or through sudo).
#
#   scripts/install-deps.sh run    what building and running need: the
#                                  compiler, CMake and the libraries the
#                                  library, the tool and the Python module
#                                  are built on (make run)
#   scripts/install-deps.sh test   those and what the tests need: GoogleTest,
#                                  chromium, clang for the fuzz targets, the
#                                  Python test tools and the command-line
#                                  programs the tests run (make test; the
#                                  default)
set -euo pipefail
set_name=${1:-test}
run_packages=(g++ make cmake pkg-config libxerces-c-dev rapidjson-dev libcli11-dev
              zlib1g-dev libzstd-dev liblzma-dev libcsv-dev libsqlite3-dev
              pybind11-dev python3-dev)
test_packages=(libgtest-dev libgmock-dev libpugixml-dev chromium bsdutils gzip xz-utils zstd
               clang-14 libclang-rt-14-dev python3-pytest python3-pandas python3-mypy
               sqlite3 python3-dask python3-distributed python3-websocket poppler-utils)
case "$set_name" in
  run) packages=("${run_packages[@]}") ;;
  test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
