#!/usr/bin/env bash
# One command from a fresh Debian 12 machine to a full test run: dependencies, build, every test.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
cd build
ctest --output-on-failure -j"${ILVEX_JOBS:-2}" "$@"
