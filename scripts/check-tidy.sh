#!/usr/bin/env bash
# Runs clang-tidy with the repository's .clang-tidy over the sources under src/ (not the tests), using the
# compile commands of a configured build (default: build/), and fails on any finding. Pinned, as the
# format check is, to the clang-tidy of Debian 12 (14); skipped (exit 77) where it is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")
pinned=14
runner=$(command -v run-clang-tidy-$pinned || true)
tidy=$(command -v clang-tidy-$pinned || true)
if [ -z "$runner" ] || [ -z "$tidy" ]; then
  echo "check-tidy: clang-tidy $pinned (run-clang-tidy-$pinned) not found: not checked"
  exit 77
fi
if [ ! -f "$build/compile_commands.json" ]; then
  echo "check-tidy: no $build/compile_commands.json (configure the build first)" >&2
  exit 1
fi
mapfile -t files < <(git ls-files 'src/*.cpp')
out=$(mktemp)
trap 'rm -f "$out"' EXIT
# run-clang-tidy takes the files as regular expressions: anchored, with the dots escaped.
status=0
"$runner" -quiet -clang-tidy-binary "$tidy" -p "$build" -j "${ILVEX_JOBS:-2}" \
  "${files[@]/#/^$PWD/}" >"$out" 2>&1 || status=$?
if grep -q 'warning:\|error:' "$out" || [ "$status" -ne 0 ]; then
  grep -E 'warning:|error:|^ ' "$out" | head -200
  echo "check-tidy: findings above" >&2
  exit 1
fi
echo "check-tidy: ${#files[@]} files clean"
