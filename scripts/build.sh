#!/usr/bin/env bash
# Configures (once) and builds one build folder incrementally with Ninja.
#   scripts/build.sh [FOLDER [extra cmake -D options...]]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-$root/build}"
shift || true
if [ ! -f "$folder/build.ninja" ]; then
  cmake -S "$root" -B "$folder" -G Ninja "$@" >/dev/null
fi
cmake --build "$folder"
