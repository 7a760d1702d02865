#!/usr/bin/env bash
# Installs the dependencies (when missing) and builds Ilvex into build/. Arguments go to `cmake --build`
# (e.g. `--target ilvex` for the program alone); without them everything is built, tests included.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${ILVEX_BUILD_TYPE:-RelWithDebInfo}" "${launcher[@]}" >/dev/null
cmake --build build -j"${ILVEX_JOBS:-2}" "$@"
