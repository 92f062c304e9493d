#!/usr/bin/env bash
# Configures and builds one build folder incrementally with Ninja. Options given after the folder
# are applied on every call, also to a folder configured before (cmake keeps them in its cache).
#   scripts/build.sh [FOLDER [extra cmake -D options...]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-$root/build}"
shift || true
if [ ! -f "$folder/build.ninja" ] || [ "$#" -gt 0 ]; then
  cmake -S "$root" -B "$folder" -G Ninja "$@" >/dev/null
fi
cmake --build "$folder"
