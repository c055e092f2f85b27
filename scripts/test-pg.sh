#!/usr/bin/env bash
# Starts or stops a throw-away PostgreSQL server on loopback for the tests.
#   test-pg.sh start [PORT]   (idempotent)
#   test-pg.sh stop [PORT]
# The superuser is "postgres" without password (trust on loopback), as the
# administration tool expects of a test server.
set -euo pipefail
cmd=${1:?start or stop}
port=${2:-55432}
base=/tmp/pelu-test-pg-$port
data=$base/data
bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
[[ -n "$bindir" ]] || { echo "test-pg: PostgreSQL is not installed (scripts/install-deps.sh --test)" >&2; exit 1; }

as_pg() {
  if [[ $(id -u) -eq 0 ]]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "$cmd" in
start)
  if [[ -f "$data/PG_VERSION" ]] && as_pg "$bindir/pg_ctl" -D "$data" status >/dev/null 2>&1; then
    exit 0
  fi
  rm -rf "$base"
  mkdir -p "$base"
  [[ $(id -u) -eq 0 ]] && chown postgres:postgres "$base"
  as_pg "$bindir/initdb" -D "$data" -U postgres --auth=trust -E UTF8 --no-locale >"$base/initdb.log" 2>&1 \
    || { cat "$base/initdb.log" >&2; exit 1; }
  as_pg "$bindir/pg_ctl" -D "$data" -l "$base/server.log" -w -t 60 \
    -o "-p $port -k $base -c listen_addresses=127.0.0.1 -c fsync=off -c synchronous_commit=off -c full_page_writes=off -c max_connections=200" \
    start >/dev/null || { cat "$base/server.log" >&2; exit 1; }
  ;;
stop)
  if [[ -f "$data/PG_VERSION" ]]; then
    as_pg "$bindir/pg_ctl" -D "$data" -m fast -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$base"
  ;;
*)
  echo "usage: $0 start|stop [PORT]" >&2; exit 2 ;;
esac
