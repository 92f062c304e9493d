#!/usr/bin/env bash
# Installs the dependencies, builds everything and runs the newest end-to-end demo.
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"

demo="$root/build/demo"
mkdir -p "$demo"
printf '123456789' > "$demo/digits.txt"
printf '\xff\x01' > "$demo/ff01.bin"
echo "== zpak crc: CRC-32, signed byte sum, name"
"$root/build/bin/zpak" crc "$demo/digits.txt" "$demo/ff01.bin" "$root/build/bin/zpak"
echo "== zpak hash: the name keys of a pak entry"
"$root/build/bin/zpak" hash "Data/Maps/Town.PAK"
echo
"$root/scripts/demo.sh"
