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


def rate_text(gbps):
    """GB/s, or MB/s below 1 GB/s where two decimals of GB/s would hide the difference."""
    return f"{gbps:.2f} GB/s" if gbps >= 1 else f"{gbps * 1000:.1f} MB/s"


def medians(path):
    with open(path) as f:
        data = json.load(f)
    rates = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") == "median":
            rates[b["run_name"].split("/")[0]] = b["bytes_per_second"] / 1e9
    return rates


def main():
    rates = medians(sys.argv[1])
    for figure, anchor, label in PAIRS:
        if figure in rates and anchor in rates:
            ratio = rates[figure] / rates[anchor]
            print(f"{label}: {rate_text(rates[figure])} vs {rate_text(rates[anchor])}, ratio {ratio:.3f}")


if __name__ == "__main__":
    main()
