#!/usr/bin/env bash
# Builds the .deb (and its -dbgsym package) from a built tree with CPack into a scratch folder and runs
# lintian on it: any error or warning fails. The package needs no lintian overrides (an override added
# later must carry a comment saying why).
# Exits 77 (skipped) only where no .deb or lintian can exist: without dpkg-deb or lintian (not Debian).
# Usage: scripts/lint-deb.sh [BUILD_DIR [CPACK]]
set -euo pipefail
build=${1:-build}
cpack=${2:-cpack}
for tool in lintian dpkg-deb; do
  if ! command -v "$tool" >/dev/null; then
    echo "lint-deb: $tool is not installed; skipped (scripts/install-deps.sh installs it)"
    exit 77
  fi
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
(cd "$build" && "$cpack" -G DEB -B "$work" >/dev/null)
deb=$(ls "$work"/*.deb)
ls "$work"/*-dbgsym*.ddeb >/dev/null || { echo "lint-deb: no -dbgsym package" >&2; exit 1; }
echo "lint-deb: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb --field "$deb" Installed-Size) KiB"
lintian --fail-on error,warning --show-overrides "$deb"
echo "lint-deb: no errors or warnings"
