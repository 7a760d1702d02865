#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's .clang-format makes of it, naming
# each such file. `scripts/check-format.sh --fix` formats them instead. Formatting differs between
# clang-format's major versions, so the check is pinned to one: 14, Debian 12's. Another version (CLANG_FORMAT
# names the program; clang-format-14 is preferred when installed) is refused with --fix and skipped
# otherwise (exit 77, which ctest shows as skipped).
set -euo pipefail
cd "$(dirname "$0")/.."
pinned=14
tool=${CLANG_FORMAT:-}
if [ -z "$tool" ]; then
  tool=clang-format
  command -v clang-format-$pinned >/dev/null && tool=clang-format-$pinned
fi
major=$("$tool" --version 2>/dev/null | sed -n 's/.*version \([0-9][0-9]*\)\..*/\1/p' | head -n1)
if [ "$major" != "$pinned" ]; then
  echo "check-format: $tool is version ${major:-unknown}, the format is pinned to clang-format $pinned: not checked"
  [ "${1:-}" = "--fix" ] && exit 1
  exit 77
fi
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  "$tool" -i "${files[@]}"
  exit 0
fi
bad=0
for f in "${files[@]}"; do
  if ! "$tool" --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f"
    bad=1
  fi
done
[ "$bad" -eq 0 ] || echo "run scripts/check-format.sh --fix" >&2
exit "$bad"
