#!/usr/bin/env bash
# Installs the dependencies (when missing) and builds Ilvex into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${ILVEX_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j"${ILVEX_JOBS:-2}"
