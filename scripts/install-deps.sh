#!/usr/bin/env bash
# Installs the Debian packages needed to build, run and test the program.
# Idempotent; run as root on Debian 12. Pass --test to add the test-only packages.
set -euo pipefail

build_pkgs=(
  build-essential cmake ninja-build ccache pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libqt6sql6-psql qt6-pdf-dev
  libcurl4-openssl-dev libfreexl-dev libxlsxwriter-dev libminizip-dev libgsf-1-dev
  libsane-dev libzint-dev libkainjow-mustache-dev fonts-wqy-microhei
  adwaita-icon-theme
)
test_pkgs=(
  postgresql python3-pyftpdlib xvfb xauth imagemagick zbar-tools
)

pkgs=("${build_pkgs[@]}")
if [[ "${1:-}" == "--test" ]]; then
  pkgs+=("${test_pkgs[@]}")
fi

missing=()
for p in "${pkgs[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "install-deps: these packages are missing and need root: ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
