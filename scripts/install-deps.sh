#!/usr/bin/env bash
# Installs every Debian package the project builds, tests and runs with. Idempotent and quiet
# when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  liblua5.1-0-dev zlib1g-dev libminizip-dev lzma-dev
  libboost-dev libboost-date-time-dev
  libcurl4-openssl-dev libsqlite3-dev
  libgtk-3-dev libwebkit2gtk-4.1-dev fonts-nanum
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth imagemagick nginx python3 curl bc time clang-format
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
