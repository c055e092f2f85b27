#!/usr/bin/env bash
# Starts or stops a throw-away FTP server (pyftpdlib) on loopback for the tests.
#   test-ftp.sh start [PORT [USER [PASS]]]   (idempotent; prints nothing)
#   test-ftp.sh stop [PORT]
# The server's root folder is /tmp/pelu-test-ftp-PORT/root, writable by USER;
# stop kills the server and removes the whole folder.
set -euo pipefail
cmd=${1:?start or stop}
port=${2:-55421}
user=${3:-pelutest}
pass=${4:-pelutest}
base=/tmp/pelu-test-ftp-$port
root=$base/root
pidfile=$base/server.pid
# The python3 first on PATH may be another interpreter without pyftpdlib.
python=/usr/bin/python3

# Running and not a zombie (the parent that reaps it may take its time).
running() {
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) && [[ "$state" != Z* ]]
}

alive() {
  [[ -f "$pidfile" ]] && running "$(cat "$pidfile")"
}

answers() {
  # The greeting line, not just an open port: the server is ready for a login.
  local line
  { exec 3<>"/dev/tcp/127.0.0.1/$port"; } 2>/dev/null || return 1
  IFS= read -r -t 2 line <&3 || line=
  exec 3<&- 3>&-
  [[ "$line" == 220* ]]
}

case "$cmd" in
start)
  if alive && answers; then
    exit 0
  fi
  "$python" -c 'import pyftpdlib' 2>/dev/null \
    || { echo "test-ftp: pyftpdlib is not installed (scripts/install-deps.sh --test)" >&2; exit 1; }
  if alive; then
    kill -KILL "$(cat "$pidfile")" 2>/dev/null || true
  fi
  rm -rf "$base"
  mkdir -p "$root"
  # pyftpdlib returns to its own working folder after every CWD: give it one
  # that stays (not the caller's, which may be a build folder that goes away).
  cd "$base"
  setsid "$python" -m pyftpdlib -i 127.0.0.1 -p "$port" -w -d "$root" -u "$user" -P "$pass" \
    >"$base/server.log" 2>&1 </dev/null &
  echo $! >"$pidfile"
  for _ in $(seq 1 100); do
    if answers; then
      exit 0
    fi
    if ! alive; then
      break
    fi
    sleep 0.1
  done
  echo "test-ftp: the server did not start on port $port" >&2
  cat "$base/server.log" >&2 || true
  exit 1
  ;;
stop)
  if alive; then
    # Nothing to flush, and pyftpdlib takes seconds to notice a SIGTERM.
    pid=$(cat "$pidfile")
    kill -KILL "$pid" 2>/dev/null || true
    for _ in $(seq 1 50); do
      running "$pid" || break
      sleep 0.1
    done
  fi
  rm -rf "$base"
  ;;
*)
  echo "usage: $0 start|stop [PORT [USER [PASS]]]" >&2; exit 2 ;;
esac
