#!/usr/bin/env bash
# Runs the dataset benchmark: starts the benchmark's PostgreSQL server (left
# running so its databases are reused) and then the benchmark executable.
#   run-bench.sh BENCH_EXE ADMIN_EXE PORT [bench arguments...]
set -euo pipefail
bench=${1:?benchmark executable}
admin=${2:?pelu-admin}
port=${3:?port}
shift 3
root=$(cd "$(dirname "$0")/.." && pwd)
# The server outlives this script: it must not keep the build tool's output
# pipes (any descriptor above stderr) open, or the build never finishes.
for fd in /proc/$$/fd/*; do
  n=${fd##*/}
  if [[ $n -gt 2 && $n != 255 ]]; then eval "exec $n>&-" 2>/dev/null || true; fi
done
"$root/scripts/test-pg.sh" start "$port" </dev/null
exec "$bench" --admin "$admin" --pg "127.0.0.1,$port" "$@"
