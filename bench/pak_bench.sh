#!/usr/bin/env bash
# 1 GiB in 2,000 files of mixed sizes: zpak add and zpak extract beside cp -r of the same tree,
# zpak verify beside cksum of the same files; medians of 3 runs, and the peak memory of each tool.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
zpak="$root/build/bin/zpak"
work="$root/build/bench/pak"
rm -rf "$work" && mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

python3 - "$work/src" <<'PY'
import os, random, sys
root = sys.argv[1]
random.seed(7)
# Log-uniform sizes from 1 KiB to 24 MiB, scaled to 1 GiB in all.
sizes = [int(2 ** random.uniform(10, 24.5)) for _ in range(2000)]
scale = (1 << 30) / sum(sizes)
sizes = [max(1, int(s * scale)) for s in sizes]
block = os.urandom(1 << 20)
for i, size in enumerate(sizes):
    folder = os.path.join(root, f"dir{i % 40:02d}")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, f"file{i:04d}.bin"), "wb") as f:
        left, offset = size, i * 4099 % len(block)
        while left > 0:
            chunk = block[offset:offset + left] or block[:left]
            f.write(chunk)
            left -= len(chunk)
            offset = 0
PY

# time_run LABEL CMD... : appends "seconds peak_kib" to $work/LABEL
time_run() {
  local label="$1"; shift
  local start end
  # Dirty pages left by the previous step would throttle whoever writes next: start each step clean.
  sync
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$work/mem" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; return 1; }
  end=$(date +%s.%N)
  echo "$(echo "$end - $start" | bc -l) $(cat "$work/mem")" >> "$work/$label"
}

for run in 1 2 3; do
  # Alternate which tool goes first: the page cache and write-back favour whoever runs second.
  rm -rf "$work/set" "$work/copy" "$work/out"; mkdir -p "$work/set"; sync
  if [ $((run % 2)) -eq 1 ]; then
    time_run add "$zpak" add "$work/set/res.pak" "$work/src"
    time_run cp_add cp -r "$work/src" "$work/copy"
  else
    time_run cp_add cp -r "$work/src" "$work/copy"
    time_run add "$zpak" add "$work/set/res.pak" "$work/src"
  fi
  rm -rf "$work/copy"
  if [ $((run % 2)) -eq 1 ]; then
    time_run extract "$zpak" extract "$work/set/res.pak" "$work/out"
    time_run cp_extract cp -r "$work/src" "$work/copy"
  else
    time_run cp_extract cp -r "$work/src" "$work/copy"
    time_run extract "$zpak" extract "$work/set/res.pak" "$work/out"
  fi
  if { "$zpak" 2>&1 || true; } | grep -q "zpak verify"; then
    time_run verify "$zpak" verify "$work/set/res.pak"
    time_run cksum bash -c "find '$work/src' -type f -print0 | xargs -0 cksum"
  fi
done
diff -rq "$work/src" "$work/out" >/dev/null || { echo "extracted tree differs" >&2; exit 1; }

python3 - "$work" <<'PY'
import os, statistics, sys
work = sys.argv[1]
def load(label):
    path = os.path.join(work, label)
    if not os.path.exists(path):
        return None
    rows = [line.split() for line in open(path)]
    return statistics.median(float(r[0]) for r in rows), max(int(r[1]) for r in rows)
for ours, theirs, what in [("add", "cp_add", "zpak add 1 GiB / 2,000 files"),
                           ("extract", "cp_extract", "zpak extract of that set"),
                           ("verify", "cksum", "zpak verify of that set")]:
    a, b = load(ours), load(theirs)
    if a and b:
        print(f"{what}: {a[0]:.2f} s (peak {a[1] / 1024:.0f} MiB) vs {theirs.replace('_add','').replace('_extract','')} "
              f"{b[0]:.2f} s, ratio {a[0] / b[0]:.2f}")
PY
