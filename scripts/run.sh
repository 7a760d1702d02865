#!/usr/bin/env bash
# Builds the program (only what it starts: no tests or benchmarks) and runs it, showing the launcher.
# Without a display it starts a virtual one (Xvfb) with a compositor and a tray, shows the ring there,
# writes a screenshot of it and says how to look again and how to stop. Arguments replace the default
# --show (e.g. --help).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/build.sh --target ilvex
[ $# -gt 0 ] || set -- --show
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec ./build/src/ilvex "$@"
fi

work=$(mktemp -d /tmp/ilvex-run.XXXXXX)
pids=()
stop() {
  trap - EXIT INT TERM
  [ -z "${DISPLAY:-}" ] || ./build/src/ilvex --quit 2>/dev/null || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap stop EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display and writes its number to the descriptor it is given.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset >/dev/null 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
if [ ! -s "$work/display" ]; then
  echo "run: the virtual display (Xvfb) did not start" >&2
  exit 1
fi
export DISPLAY=":$(tr -d '\n' <"$work/display")"
unset XAUTHORITY
# A compositor for the ring's translucency, and a tray for its icon.
if command -v picom >/dev/null; then
  picom --backend xrender --config /dev/null >/dev/null 2>&1 &
  pids+=($!)
fi
if command -v trayer >/dev/null; then
  trayer --edge top --align right --widthtype request --height 32 >/dev/null 2>&1 &
  pids+=($!)
fi

./build/src/ilvex "$@" &
pids+=($!)
ilvex=$!
shot="$work/screen.png"
for _ in $(seq 50); do
  sleep 0.2
  kill -0 "$ilvex" 2>/dev/null || break
  if command -v xdotool >/dev/null && xdotool search --onlyvisible --name '^Ilvex$' >/dev/null 2>&1; then
    sleep 0.6 # the ring fades in
    break
  fi
done
cat <<MSG
run: no display here, so Ilvex runs on a virtual X display, $DISPLAY (nothing appears on your screen).
run: the screen as it is now, with the ring in its middle: $shot
run: look again:   DISPLAY=$DISPLAY import -window root $work/again.png
run: control it:   ./build/src/ilvex --toggle   (or --settings, --about; from any terminal)
run: stop:         Ctrl+C here, or ./build/src/ilvex --quit from another terminal
MSG
if command -v import >/dev/null; then
  import -window root "$shot" 2>/dev/null || echo "run: the screenshot could not be taken" >&2
else
  ./build/src/ilvex --screenshot "$shot" && echo "run: (ImageMagick is missing: the file shows the ring alone)"
fi
wait "$ilvex"
