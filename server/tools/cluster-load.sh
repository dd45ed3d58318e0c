#!/usr/bin/env bash
# Measures the score server on this machine, for the figures in the README (not part of test.sh):
#   sqlite      one instance on its SQLite file
#   postgresql  two instances on one PostgreSQL database, the load spread over both
#   kill        as postgresql, and instance 1 is killed with SIGKILL a third into the run
#   restart     as postgresql, and the database is stopped at a third and started 5 s later
# Each run sends RATE version queries and RATE submissions per second for SECONDS, then checks
# every acknowledged score against the database.
#   server/tools/cluster-load.sh [RATE (1000)] [SECONDS (30)] [runs... (all four)]
set -euo pipefail
cd "$(dirname "$0")/../.."

rate=${1:-1000}
seconds=${2:-30}
shift $(( $# > 2 ? 2 : $# ))
runs=("$@")
[ ${#runs[@]} -eq 0 ] && runs=(sqlite postgresql kill restart)
build=${ZARVOK_BUILD_DIR:-build}
server=$build/server/zarvok-score-server
load=$build/server/zarvok-score-load
[ -x "$server" ] && [ -x "$load" ] || { echo "build zarvok-score-server and zarvok-score-load first" >&2; exit 1; }

work=$(mktemp -d /tmp/zarvok-cluster-load.XXXXXX)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  tools/ci/postgres-test-server.sh stop "$work/pg" >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

tools/ci/postgres-test-server.sh start "$work/pg" >/dev/null
[ -f "$work/pg/uri" ] || { echo "PostgreSQL did not start: $(cat "$work/pg/skip")" >&2; exit 1; }
base=$(cat "$work/pg/uri")
. "$work/pg/state"
pgport=$port

# start_instance LOG ARGS...: starts a server, waits for its port, prints "PID PORT".
start_instance() {
  local log=$1
  shift
  # The load tool's connections all come from 127.0.0.1, as players' would through the proxy.
  "$server" --port 0 --rate-limit 0 --connections-per-address 256 --quiet --threads 32 "$@" > "$log" 2>&1 &
  local pid=$!
  for _ in $(seq 300); do
    if grep -q 'http://' "$log"; then
      echo "$pid $(sed -n 's|.*http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$log" | head -n 1)"
      return
    fi
    sleep 0.05
  done
  echo "the server did not start: $(cat "$log")" >&2
  exit 1
}

# The servers are not children of this shell (they start in a subshell): wait by polling.
stop_instances() {
  kill -9 "$@" 2>/dev/null || true
  for pid in "$@"; do
    while kill -0 "$pid" 2>/dev/null; do sleep 0.05; done
  done
}

check_stored() {  # check_stored ACKNOWLEDGED STORED
  local acked stored lost
  acked=$(sort -u "$1" | wc -l)
  stored=$(sort -u "$2" | wc -l)
  lost=$(comm -23 <(sort -u "$1") <(sort -u "$2") | wc -l)
  echo "acknowledged $acked, stored $stored, acknowledged but not stored: $lost"
}

for run in "${runs[@]}"; do
  echo "=== $run: $rate submissions and $rate version queries per second for $seconds s"
  tag=$(echo "$run" | tr 'a-z' 'A-Z' | tr -cd 'A-Z' | cut -c1-10)
  if [ "$run" = sqlite ]; then
    read -r pid port < <(start_instance "$work/$run.log" --data "$work/sqlite")
    pids+=("$pid")
    "$load" --port "$port" --rate "$rate" --seconds "$seconds" --connections 16 --tag "$tag" \
      --acknowledged "$work/$run.acked" || true
    stop_instances "$pid"
    if command -v sqlite3 >/dev/null; then
      sqlite3 "$work/sqlite/scores.sqlite" "SELECT name || ' ' || score FROM scores WHERE additional = '$tag'" \
        > "$work/$run.stored"
      check_stored "$work/$run.acked" "$work/$run.stored"
    fi
    continue
  fi
  "$bin/psql" -q -h 127.0.0.1 -p "$pgport" -U zarvok -d zarvok -c "CREATE DATABASE run_$run" >/dev/null
  address=${base%/*}/run_$run
  read -r pid1 port1 < <(start_instance "$work/$run-1.log" --database "$address")
  read -r pid2 port2 < <(start_instance "$work/$run-2.log" --database "$address")
  pids+=("$pid1" "$pid2")
  "$load" --port "$port1" --port "$port2" --rate "$rate" --seconds "$seconds" --connections 24 --tag "$tag" \
    --acknowledged "$work/$run.acked" --timeline 1 &
  loader=$!
  third=$(awk "BEGIN { print $seconds / 3 }")
  case "$run" in
    kill)
      sleep "$third"
      kill -9 "$pid1"
      echo "killed instance 1 at $(date -u +%T.%N | cut -c1-12)"
      ;;
    restart)
      sleep "$third"
      down=$(date +%s.%N)
      tools/ci/postgres-test-server.sh down "$work/pg"
      sleep 5
      tools/ci/postgres-test-server.sh up "$work/pg"
      up=$(date +%s.%N)
      echo "database down for $(awk "BEGIN { printf \"%.1f\", $up - $down }") s (stop, 5 s, start), from second $third of the run"
      ;;
  esac
  wait "$loader" || true
  stop_instances "$pid1" "$pid2"
  "$bin/psql" -At -h 127.0.0.1 -p "$pgport" -U zarvok -d "run_$run" \
    -c "SELECT name || ' ' || score FROM scores WHERE additional = '$tag'" > "$work/$run.stored"
  check_stored "$work/$run.acked" "$work/$run.stored"
  grep -h "score database" "$work/$run-1.log" "$work/$run-2.log" | head -n 3 || true
done
