#!/usr/bin/env bash
# The lab on one machine: a private PostgreSQL in build/lab on a port of its own, two simulated
# benches, two headless stations writing to it with --lab, and klv-lab serving the page.
# Ctrl+C stops everything; the database stays in build/lab for the next run, the stations'
# readings go to build/lab/bench1.log and bench2.log.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/sample_program.sh

lab=$PWD/build/lab
pgport=${KLV_LAB_PG_PORT:-55432}
webport=${KLV_LAB_PORT:-8080}
pgbin=$(ls -d /usr/lib/postgresql/*/bin | sort -V | tail -1)
mkdir -p "$lab"

# PostgreSQL will not run as root: the demonstration's database then belongs to "postgres".
as_db=()
if [ "$(id -u)" -eq 0 ]; then as_db=(runuser -u postgres --); fi
if [ ! -f "$lab/pg/PG_VERSION" ]; then
  mkdir -p "$lab/pg"
  [ ${#as_db[@]} -eq 0 ] || chown postgres "$lab/pg"
  "${as_db[@]}" "$pgbin/initdb" -D "$lab/pg" -U cellward --auth=trust -E UTF8 --locale=C.UTF-8 >/dev/null
fi
"${as_db[@]}" "$pgbin/pg_ctl" -D "$lab/pg" -l "$lab/pg/server.log" -w \
  -o "-p $pgport -k /tmp -c listen_addresses=127.0.0.1" start >/dev/null
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  wait 2>/dev/null || true
  "${as_db[@]}" "$pgbin/pg_ctl" -D "$lab/pg" -m fast stop >/dev/null || true
}
trap cleanup EXIT
"$pgbin/psql" -h 127.0.0.1 -p "$pgport" -U cellward -d postgres -qtAc \
  "SELECT 1 FROM pg_database WHERE datname = 'cellward'" | grep -q 1 ||
  "$pgbin/createdb" -h 127.0.0.1 -p "$pgport" -U cellward cellward
url="postgresql://cellward@127.0.0.1:$pgport/cellward"

for n in 1 2; do
  home="$lab/bench$n"
  mkdir -p "$home/Data" "$home/Log"
  build/src/klv-sim --link "$home/bench-tty" --unit 0:20 --unit 1:22 --speed 20 --line-timing >/dev/null &
  pids+=($!)
  for _ in $(seq 50); do [ -e "$home/bench-tty" ] && break; sleep 0.1; done
  grep -q '^\[PORTS\]' "$home/klv.ini" 2>/dev/null || printf '[PORTS]\r\nCOM1=%s\r\n' "$home/bench-tty" >> "$home/klv.ini"
  write_sample_program "$home/sample.stp"
  build/src/klv-station --headless --home "$home" --port 1 --program "$home/sample.stp" \
    --channels 1-1,1-2,1-3,2-1,2-2 --lab "$url" --station "bench-$n" >"$lab/bench$n.log" 2>&1 &
  pids+=($!)
done

build/src/klv-lab --db "$url" --listen "127.0.0.1:$webport" &
pids+=($!)
echo "The lab page: http://127.0.0.1:$webport/   (Ctrl+C stops the lab)"
wait "${pids[-1]}"
