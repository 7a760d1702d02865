#!/usr/bin/env bash
# Builds Ilvex if needed and runs it, showing the launcher. Without a display it starts a virtual one
# (Xvfb) so Ilvex can be tried anywhere. Arguments replace the default --show (e.g. --help).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh
[ $# -gt 0 ] || set -- --show
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/src/ilvex "$@"
fi
echo "run: no display; starting Ilvex under a virtual X display (xvfb-run)" >&2
exec xvfb-run -a -s "-screen 0 1920x1080x24" ./build/src/ilvex "$@"
