#!/usr/bin/env bash
# A scratch PostgreSQL server for the score server's tests, on a free loopback port:
#   postgres-test-server.sh start DIR   initdb + start; writes DIR/uri, or DIR/skip with the reason
#   postgres-test-server.sh stop DIR    stops it and deletes its files (safe to repeat)
#   postgres-test-server.sh down DIR    stops it at once, as a crash would (the fault tests)
#   postgres-test-server.sh up DIR      starts it again on the same port and files
# The cluster lives in a folder of its own under /tmp, owned by an unprivileged user when run as
# root (PostgreSQL refuses to run as root). "start" always succeeds: where PostgreSQL cannot be
# started the tests read DIR/skip and report themselves skipped with that reason.
# ZARVOK_TEST_POSTGRES_SETTINGS adds server settings at start ("-c synchronous_commit=off").
set -uo pipefail

action=${1:?start, stop, down or up}
dir=${2:?state folder}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
user=zarvok-test

skip() {
  echo "$*" > "$dir/skip"
  echo "PostgreSQL tests will be skipped: $*"
  exit 0
}

as_owner() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u "$user" -- "$@"; else "$@"; fi
}

load_state() {
  [ -f "$dir/state" ] || return 1
  # shellcheck disable=SC1091
  . "$dir/state"
}

start_server() {
  as_owner "$bin/pg_ctl" -D "$data" -l "$data/server.log" -w -t 60 \
    -o "-p $port -k $data -c listen_addresses=127.0.0.1 -c max_connections=200 -c shared_buffers=64MB $settings" \
    start \
    >/dev/null 2>&1
}

case "$action" in
  start)
    settings=${ZARVOK_TEST_POSTGRES_SETTINGS:-}
    "$0" stop "$dir" >/dev/null 2>&1
    rm -f "$dir/uri" "$dir/skip" "$dir/state"
    bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
    [ -n "$bin" ] && [ -x "$bin/initdb" ] || skip "PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb)"
    if [ "$(id -u)" -eq 0 ] && ! id "$user" >/dev/null 2>&1; then
      useradd --system --no-create-home --shell /usr/sbin/nologin "$user" 2>/dev/null ||
        skip "cannot create the unprivileged user $user that PostgreSQL must run as"
    fi
    data=$(mktemp -d /tmp/zarvok-pg.XXXXXX) || skip "cannot make a scratch folder under /tmp"
    [ "$(id -u)" -eq 0 ] && chown "$user" "$data"
    chmod 700 "$data"
    if ! as_owner "$bin/initdb" -D "$data" -U zarvok -A trust -E UTF8 --locale=C --no-sync >"$dir/initdb.log" 2>&1; then
      rm -rf "$data"
      skip "initdb failed: $(tail -n 3 "$dir/initdb.log" | tr '\n' ' ')"
    fi
    started=0
    for attempt in 1 2 3 4 5 6 7 8; do
      port=$((20000 + RANDOM % 30000))
      (echo > "/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue  # taken
      if start_server; then started=1; break; fi
    done
    printf 'bin=%q\ndata=%q\nport=%q\nsettings=%q\n' "$bin" "$data" "$port" "$settings" > "$dir/state"
    if [ "$started" != 1 ]; then
      reason=$(tail -n 3 "$data/server.log" 2>/dev/null | tr '\n' ' ')
      "$0" stop "$dir" >/dev/null 2>&1
      skip "PostgreSQL did not start: $reason"
    fi
    if ! "$bin/psql" -q -h 127.0.0.1 -p "$port" -U zarvok -d postgres -c "CREATE DATABASE zarvok" >/dev/null 2>&1; then
      "$0" stop "$dir" >/dev/null 2>&1
      skip "cannot create the test database"
    fi
    echo "postgresql://zarvok@127.0.0.1:$port/zarvok" > "$dir/uri"
    echo "PostgreSQL test server on 127.0.0.1:$port (files in $data)"
    ;;
  stop)
    load_state || exit 0
    if [ -d "$data" ]; then
      as_owner "$bin/pg_ctl" -D "$data" -m immediate -w -t 30 stop >/dev/null 2>&1
      rm -rf "$data"
    fi
    rm -f "$dir/state" "$dir/uri"
    ;;
  down)
    load_state || { echo "no test server" >&2; exit 1; }
    as_owner "$bin/pg_ctl" -D "$data" -m immediate -w -t 30 stop >/dev/null
    ;;
  up)
    load_state || { echo "no test server" >&2; exit 1; }
    start_server
    ;;
  *)
    echo "usage: $0 start|stop|down|up DIR" >&2
    exit 2
    ;;
esac
