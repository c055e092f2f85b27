#!/usr/bin/env bash
# Installs what is needed (test packages too), builds, and runs every test.
# The tests start their own PostgreSQL server on loopback.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh" --test
"$root/scripts/build.sh"
cd "${BUILD_DIR:-$root/build}"
ctest --output-on-failure --parallel "$(nproc)" --timeout 1200
