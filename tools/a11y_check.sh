#!/usr/bin/env bash
# The keyboard and screen-reader check (a11y_check.py) on a fresh display and session bus:
# a simulated bench of two units on a pseudo-terminal, and the station connected to it with
# the sample program running on 1-2 and 1-3. Writes the focus-frame picture when given a path.
#   bash tools/a11y_check.sh [PICTURE.png]
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${KLV_A11Y_INNER:-}" ]; then
  export KLV_A11Y_INNER=1
  exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
fi

build=$PWD/build
home=$(mktemp -d)
trap 'kill ${station:-} ${sim:-} ${check:-} 2>/dev/null; wait 2>/dev/null; rm -rf "$home"' EXIT
mkdir -p "$home/Data" "$home/Log"
"$build/src/klv-sim" --link "$home/bench-tty" --unit 0:20 --unit 1:22 --speed 20 --line-timing > "$home/sim.out" &
sim=$!
for _ in $(seq 50); do [ -e "$home/bench-tty" ] && break; sleep 0.1; done
printf '[PORTS]\r\nCOM1=%s\r\n' "$home/bench-tty" > "$home/klv.ini"

source tools/sample_program.sh
write_sample_program "$home/sample.stp"

picture=""
[ -n "${1:-}" ] && picture=$(realpath -m "$1")
# The check listens on the bus before the station starts, so the station knows of the listener
# from its first event on.
KLV_BUILD=$build KLV_HOME=$home KLV_SIM_OUT=$home/sim.out KLV_PICTURE=$picture /usr/bin/python3 tools/a11y_check.py &
check=$!
sleep 2

export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
"$build/src/klv-station" --home "$home" --port 1 --program "$home/sample.stp" --channels 1-2,1-3 \
  > "$home/station.out" 2>&1 &
station=$!
wait $check
