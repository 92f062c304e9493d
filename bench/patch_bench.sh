#!/usr/bin/env bash
# A patch of 2,000 files (512 MiB) from nginx on 127.0.0.1 into an empty folder, beside one curl
# process fetching the same .dat URLs in sequence over one kept-alive connection; then a rerun with
# nothing to download over 20,000 files; and the peak memory of the patch process.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
zpak="$root/build/bin/zpak"
work="$root/build/bench/patch"
rm -rf "$work" && mkdir -p "$work"
trap '"$root/scripts/nginx-serve.sh" stop "$work/nginx" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

python3 - "$work" <<'PY'
import os, random, sys
work = sys.argv[1]
random.seed(11)
def tree(root, count, total, prefix):
    sizes = [int(2 ** random.uniform(9, 22)) for _ in range(count)]
    scale = total / sum(sizes)
    block = os.urandom(1 << 22)
    for i, s in enumerate(sizes):
        s = max(1, int(s * scale))
        path = os.path.join(root, f"{prefix}{i % 50:02d}", f"f{i:05d}.bin")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            # Half random, half text-like: a realistic mix for the transport compression.
            half = s // 2
            off = (i * 7919) % (len(block) - half - 1) if half < len(block) - 1 else 0
            f.write(block[off:off + half])
            f.write((b"velmora game data %d " % i) * ((s - half) // 20 + 1))
            f.truncate(s)
tree(os.path.join(work, "game"), 2000, 512 << 20, "KVGame/CookedPC/D")
tree(os.path.join(work, "many"), 20000, 64 << 20, "KVGame/Small/D")
PY

"$zpak" publish "$work/game" "$work/www/big" >/dev/null 2>&1
"$zpak" publish "$work/many" "$work/www/many" >/dev/null 2>&1
port=$("$root/scripts/nginx-serve.sh" start "$work/www" "$work/nginx")
base="http://127.0.0.1:$port"

# The same .dat URLs for curl, one connection kept alive.
( cd "$work/www/big" && find Datas -type f -name '*.dat' | sort | while read -r f; do
    printf 'url = "%s/big/%s"\noutput = "/dev/null"\n' "$base" "$f"; done ) > "$work/curl.cfg"

ours=(); theirs=(); peaks=()
for run in 1 2 3; do
  rm -rf "$work/client"
  s=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/mem" "$zpak" patch "$base/big" "$work/client" res.pak >/dev/null 2>"$work/err" \
    || { cat "$work/err" >&2; exit 1; }
  e=$(date +%s.%N); ours+=("$(echo "$e - $s" | bc -l)"); peaks+=("$(cat "$work/mem")")
  s=$(date +%s.%N); curl -s -K "$work/curl.cfg"; e=$(date +%s.%N)
  theirs+=("$(echo "$e - $s" | bc -l)")
done

rm -rf "$work/many-client"
"$zpak" patch "$base/many" "$work/many-client" res.pak >/dev/null 2>&1
reruns=()
for run in 1 2 3; do
  s=$(date +%s.%N); "$zpak" patch "$base/many" "$work/many-client" res.pak >/dev/null 2>&1; e=$(date +%s.%N)
  reruns+=("$(echo "$e - $s" | bc -l)")
done
largest=$(find "$work/game" -type f -printf '%s\n' | sort -n | tail -1)

python3 - "${ours[*]}" "${theirs[*]}" "${reruns[*]}" "${peaks[*]}" "$largest" <<'PY'
import statistics, sys
ours = statistics.median(map(float, sys.argv[1].split()))
theirs = statistics.median(map(float, sys.argv[2].split()))
rerun = statistics.median(map(float, sys.argv[3].split()))
peak = max(map(int, sys.argv[4].split())) / 1024
largest = int(sys.argv[5]) / (1 << 20)
print(f"patch of 2,000 files / 512 MiB from nginx: {ours:.2f} s vs curl of the same .dat URLs {theirs:.2f} s, ratio {ours / theirs:.2f}")
print(f"rerun with nothing to download over 20,000 files: {rerun:.2f} s")
print(f"peak memory of the patch: {peak:.0f} MiB (largest file {largest:.1f} MiB)")
PY
