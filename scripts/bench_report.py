#!/usr/bin/env python3
"""Prints the benchmark medians as rates, each beside its anchor, with the ratio."""
import json
import sys

# (figure, anchor, label)
PAIRS = [
    ("BM_CrcAndSum", "BM_ZlibCrc", "CRC-32 + byte sum (256 MiB) vs zlib crc32 alone"),
    ("BM_CopyPlain", "BM_CpCommand", "CopyPlain of a 256 MiB file (with CRC and sum) vs cp"),
    ("BM_ZpakZlibCompress", "BM_DirectZlibCompress", "zlib level 9 compress (8 MiB) vs compress2"),
    ("BM_ZpakZlibDecompress", "BM_DirectZlibDecompress", "zlib decompress (8 MiB) vs uncompress"),
    ("BM_ZpakLzmaCompress", "BM_DirectLzmaCompress", "LZMA level 5 compress (1 MiB) vs LzmaEncode"),
    ("BM_ZpakLzmaDecompress", "BM_DirectLzmaDecompress", "LZMA decompress (4 MiB) vs LzmaDecode"),
]

# (figure, anchor, label): time per item (calls), from items_per_second.
TIME_PAIRS = [
    ("BM_ScriptBoundMethodCall", "BM_ScriptPlainFunctionCall",
     "Bound method obj:Add(1) from Lua (10,000,000 calls) vs plain lua_CFunction"),
    ("BM_ScriptBoundMethodCallLookedUpOnce", "BM_ScriptPlainFunctionCall",
     "Bound method taken once, add(obj, 1) (10,000,000 calls) vs plain lua_CFunction"),
]

# Plain timings: (benchmark, label).
TIMES = [
    ("BM_OpenSet100k", "open a pak set of 100,000 records (5 volumes)"),
    ("BM_Lookup100k", "look up 100,000 names in it"),
]


def rate_text(gbps):
    """GB/s, or MB/s below 1 GB/s where two decimals of GB/s would hide the difference."""
    return f"{gbps:.2f} GB/s" if gbps >= 1 else f"{gbps * 1000:.1f} MB/s"


def medians(path):
    with open(path) as f:
        data = json.load(f)
    rates, times = {}, {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            name = b["run_name"].split("/")[0]
            if "bytes_per_second" in b:
                rates[name] = b["bytes_per_second"] / 1e9
            times[name] = (b["real_time"], b["time_unit"])
    return rates, times


def ns_per_item(path):
    """Nanoseconds per item of the benchmarks that count items."""
    with open(path) as f:
        data = json.load(f)
    return {b["run_name"].split("/")[0]: 1e9 / b["items_per_second"]
            for b in data["benchmarks"]
            if b.get("aggregate_name") == "median" and b.get("items_per_second")}


def main():
    rates, times = medians(sys.argv[1])
    for name, label in TIMES:
        if name in times:
            value, unit = times[name]
            print(f"{label}: {value:.1f} {unit}")
    for figure, anchor, label in PAIRS:
        if figure in rates and anchor in rates:
            ratio = rates[figure] / rates[anchor]
            print(f"{label}: {rate_text(rates[figure])} vs {rate_text(rates[anchor])}, ratio {ratio:.3f}")
    per_item = ns_per_item(sys.argv[1])
    for figure, anchor, label in TIME_PAIRS:
        if figure in per_item and anchor in per_item:
            ratio = per_item[figure] / per_item[anchor]
            print(f"{label}: {per_item[figure]:.1f} ns vs {per_item[anchor]:.1f} ns per call, ratio {ratio:.2f}")


if __name__ == "__main__":
    main()
