#!/usr/bin/env bash
# Builds Ilvex with AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/ and runs the unit tests
# (and the command-line checks) there: the first finding fails its test. The end-to-end, desktop and
# reliability runs (the program under X, timed by the wall clock) and the lint checks run in the plain
# build. Arguments go to ctest (e.g. -R store).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh >/dev/null
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DILVEX_SANITIZE=ON \
  -DILVEX_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
cmake --build build-asan -j"${ILVEX_JOBS:-2}"
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:strict_string_checks=1${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
cd build-asan
ctest --output-on-failure -j"${ILVEX_JOBS:-2}" --timeout 300 -LE 'e2e|reliability|lint' "$@"
