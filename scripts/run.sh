#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program on its embedded
# default store (made with pelu-admin init beside the executable when missing).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
bin=${BUILD_DIR:-$root/build}/bin
if [[ ! -f "$bin/data100.dbf" ]]; then
  "$bin/pelu-admin" init "$bin"
fi
exec "$bin/pelu"
