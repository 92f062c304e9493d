#!/usr/bin/env bash
# The patch demo: a sample game published as v1, served by nginx on 127.0.0.1, patched into a fresh
# game folder; then v2 is published and the same folder patched again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
zpak="$root/build/bin/zpak"
work="$root/build/demo/patch"
rm -rf "$work" && mkdir -p "$work"
trap '"$root/scripts/nginx-serve.sh" stop "$work/nginx" >/dev/null 2>&1 || true' EXIT

python3 "$root/scripts/make-sample-game.py" "$work/game-v1" 1
python3 "$root/scripts/make-sample-game.py" "$work/game-v2" 2
echo "== publish v1 (loose: Binaries/*, LZMA: *.int)"
"$zpak" publish "$work/game-v1" "$work/server" --loose 'Binaries/*' --lzma '*.int' 2>/dev/null
port=$("$root/scripts/nginx-serve.sh" start "$work/server" "$work/nginx")
echo "== serving $work/server on http://127.0.0.1:$port"
echo "== patch a fresh game folder"
"$zpak" patch "http://127.0.0.1:$port" "$work/client" res.pak
echo "== publish v2 and patch again"
"$zpak" publish "$work/game-v2" "$work/server" --loose 'Binaries/*' --lzma '*.int' 2>/dev/null
"$zpak" patch "http://127.0.0.1:$port" "$work/client" res.pak
echo "== what changed"
# The log is CP949 text; the last run's downloads and deletions are its last such lines.
cat "$work/client/Log/"*.log | iconv -f CP949 -t UTF-8 -c |
  awk '/다운로드 및 패킹 시작/ { n = 0; delete lines } /다운로드 시작\]/ { lines[n++] = $0 } END { for (i = 0; i < n; i++) print lines[i] }'
echo "== verification"
if "$zpak" verify "$work/client/res.pak" 2>/dev/null; then echo "pak set verified: no damaged file"; fi
( cd "$work/client" && "$zpak" extract res.pak "$work/check" 2>/dev/null )
if diff -r "$work/game-v2" "$work/check" >/dev/null; then
  echo "the game folder holds exactly v2"
else
  echo "the game folder differs from v2" >&2; exit 1
fi
