#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's .clang-format makes of it, naming
# each such file. `scripts/check-format.sh --fix` formats them instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=0
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f"
    bad=1
  fi
done
[ "$bad" -eq 0 ] || echo "run scripts/check-format.sh --fix" >&2
exit "$bad"
