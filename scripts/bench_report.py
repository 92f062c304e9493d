#!/usr/bin/env python3
"""Prints the benchmark medians as rates, each beside its anchor, with the ratio."""
import json
import sys

# (figure, anchor, label)
PAIRS = [
    ("BM_CrcAndSum", "BM_ZlibCrc", "CRC-32 + byte sum (256 MiB) vs zlib crc32 alone"),
]


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
            print(f"{label}: {rates[figure]:.2f} GB/s vs {rates[anchor]:.2f} GB/s, ratio {ratio:.2f}")


if __name__ == "__main__":
    main()
