#!/usr/bin/env bash
# zpak fetch of a 512 MiB file from nginx on 127.0.0.1, beside curl -o of the same URL, alternating,
# 5 runs each. Prints medians and the ratio.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$root/build/bench/fetch"
rm -rf "$work" && mkdir -p "$work/www" "$work/out"
head -c $((512 << 20)) /dev/urandom > "$work/www/big.bin"
port=$("$root/scripts/nginx-serve.sh" start "$work/www" "$work/nginx")
trap '"$root/scripts/nginx-serve.sh" stop "$work/nginx"; rm -rf "$work"' EXIT
url="http://127.0.0.1:$port/big.bin"
size=$((512 << 20))

ours=(); theirs=()
for _ in 1 2 3 4 5; do
  rm -f "$work/out/a" "$work/out/b"
  s=$(date +%s.%N); "$root/build/bin/zpak" fetch "$url" "$work/out/a" 2>/dev/null; e=$(date +%s.%N)
  ours+=("$(echo "$e - $s" | bc -l)")
  s=$(date +%s.%N); curl -s -o "$work/out/b" "$url"; e=$(date +%s.%N)
  theirs+=("$(echo "$e - $s" | bc -l)")
  cmp -s "$work/out/a" "$work/www/big.bin" || { echo "zpak fetch produced a different file" >&2; exit 1; }
done
python3 - "$size" "${ours[*]}" "${theirs[*]}" <<'PY'
import statistics, sys
size = int(sys.argv[1])
ours = statistics.median(float(x) for x in sys.argv[2].split())
theirs = statistics.median(float(x) for x in sys.argv[3].split())
r_ours, r_theirs = size / ours / 1e6, size / theirs / 1e6
print(f"zpak fetch 512 MiB from nginx: {r_ours:.0f} MB/s vs curl -o {r_theirs:.0f} MB/s, ratio {r_ours / r_theirs:.2f}")
PY
