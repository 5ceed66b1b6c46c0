#!/usr/bin/env bash
# Installs the Debian packages the build, the tool and the tests need, when
# any of them is missing. Runs as root on a fresh Debian 12 machine.
set -euo pipefail
packages=(g++ make cmake pkg-config libxerces-c-dev rapidjson-dev libcli11-dev
          zlib1g-dev libzstd-dev liblzma-dev libgtest-dev libgmock-dev
          libpugixml-dev chromium bsdutils gzip xz-utils zstd
          clang-14 libclang-rt-14-dev libcsv-dev python3-pytest python3-pandas
          pybind11-dev python3-dev python3-mypy
          libsqlite3-dev sqlite3 python3-dask python3-distributed
          python3-websocket poppler-utils)
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
