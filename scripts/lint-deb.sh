#!/usr/bin/env bash
# Builds the .deb (and its -dbgsym package) from a built tree with CPack into a scratch folder and runs
# lintian on it: any error or warning fails; the overrides the package ships are listed with their
# reasons in packaging/lintian-overrides. Exits 77 (skipped) only where no .deb or lintian can exist:
# without dpkg-deb or lintian (not a Debian system).
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
echo "lint-deb: $(basename "$deb"), $(stat -c %s "$deb") bytes, installed size $(dpkg-deb --field "$deb" Installed-Size) KiB"
lintian --fail-on error,warning --show-overrides "$deb"
echo "lint-deb: no errors or warnings"
