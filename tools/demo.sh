#!/usr/bin/env bash
# The demonstration: a simulated bench on a pseudo-terminal, and the station
# connected to it as COM1 of a demonstration program folder.
set -euo pipefail
cd "$(dirname "$0")/.."

home=${KLV_DEMO_HOME:-$PWD/build/demo}
mkdir -p "$home/Data" "$home/Log"
link="$home/bench-tty"

build/src/klv-sim --link "$link" --unit 0:20 --unit 1:22 --unit 2:31:11110000 --speed 20 --line-timing &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

ini="$home/klv.ini"
if ! grep -q '^\[PORTS\]' "$ini" 2>/dev/null; then
  printf '[PORTS]\r\nCOM1=%s\r\n' "$link" >> "$ini"
fi

if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/src/klv-station --home "$home"
else
  echo "No display: checking the bench from the terminal for 20 seconds." >&2
  build/src/klv-station --headless --home "$home" --port 1 --seconds 20
fi
