#!/usr/bin/env bash
# Runs the benchmarks and prints each figure beside its anchor measured in the same run (medians).
set -euo pipefail
root="$(cd "$(dirname "$0")" && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" "$root/build"
out="$root/build/bench"
mkdir -p "$out"

"$root/build/bin/velmora_bench" --benchmark_repetitions=7 --benchmark_report_aggregates_only=true \
  --benchmark_format=json --benchmark_out="$out/micro.json" --benchmark_out_format=json >/dev/null
python3 "$root/scripts/bench_report.py" "$out/micro.json"
"$root/bench/fetch_bench.sh"
"$root/bench/pak_bench.sh"
"$root/bench/patch_bench.sh"
