#!/usr/bin/env bash
# The station in English as an operator and a screen reader meet it: the demonstration bench
# with LANG=en_US.UTF-8, a program running on channels 1-1 and 2-1 and the control menu open;
# fails when any accessible name or description holds a Chinese character, or when --lang zh
# does not give the Chinese caption. Needs a display and the accessibility bus:
#   xvfb-run -a -s '-screen 0 1600x1000x24' dbus-run-session bash tools/check_english.sh [SHOT.png]
# With SHOT.png it also writes a screenshot of the English window with its menu open.
set -euo pipefail
cd "$(dirname "$0")/.."

export KLV_DEMO_HOME=$(mktemp -d)
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 LANG=en_US.UTF-8
unset LC_ALL LC_MESSAGES
pid=
# The demonstration runs in a process group of its own: stopping it stops the station and the bench.
stop() { [ -z "$pid" ] || { kill -- "-$pid" 2>/dev/null; wait "$pid" 2>/dev/null || true; }; pid=; }
trap 'stop; rm -rf "$KLV_DEMO_HOME"' EXIT

setsid bash tools/demo.sh --channels 1-1,2-1 >/dev/null 2>&1 &
pid=$!
/usr/bin/python3 tools/check_english.py english
[ -z "${1:-}" ] || import -window root "$1"
stop

setsid bash tools/demo.sh --lang zh >/dev/null 2>&1 &
pid=$!
sleep 3
caption=$(/usr/bin/python3 tools/check_english.py caption)
echo "--lang zh caption: $caption"
[ "$caption" = "[Cellward] 多通道电池测试系统 V1.0.0" ]
