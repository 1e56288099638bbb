#!/usr/bin/env bash
# The demonstration: a simulated bench of two units on a pseudo-terminal, a program folder
# whose klv.ini maps COM1 to it and which holds a sample step file, and the station
# connected to it with the sample program running on five channels.
set -euo pipefail
cd "$(dirname "$0")/.."

home=${KLV_DEMO_HOME:-$PWD/build/demo}
mkdir -p "$home/Data" "$home/Log"
link="$home/bench-tty"

# Cells a twentieth of their size: a 1 A discharge to 3.0 V takes a few minutes, and what the
# units count, the station saves and the viewer draws all agree in real time.
build/src/klv-sim --link "$link" --unit 0:20 --unit 1:22 --speed 20 --line-timing &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "$link" ] && break; sleep 0.1; done

ini="$home/klv.ini"
if ! grep -q '^\[PORTS\]' "$ini" 2>/dev/null; then
  printf '[PORTS]\r\nCOM1=%s\r\n' "$link" >> "$ini"
fi

program="$home/sample.stp"
source tools/sample_program.sh
write_sample_program "$program"

begin=(--home "$home" --port 1 --program "$program" --channels 1-1,1-2,1-3,2-1,2-2)
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  build/src/klv-station "${begin[@]}" "$@"
else
  echo "No display: running the sample program headless; Ctrl+C stops every channel." >&2
  build/src/klv-station --headless "${begin[@]}" "$@"
fi
