#!/usr/bin/env python3
"""Put the report verses (ids 1100-1271, 7031-7081, 8001-8051) from tools/texts/verses_*.tsv into
resources/texts/numbered.tsv.

numbered.tsv also holds other groups of texts, so only ids in the verse ranges are replaced and
every other line is kept untouched; the file stays sorted by id. Run it under the shared lock:

    flock /tmp/numbered.lock python3 tools/texts/merge_verses.py
"""
import glob
import os
import sys

RANGES = [(1100, 1271), (7031, 7081), (8001, 8051)]
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SOURCES = sorted(glob.glob(os.path.join(ROOT, "tools", "texts", "verses_*.tsv")))
TARGET = os.path.join(ROOT, "resources", "texts", "numbered.tsv")


def ours(num):
    return any(lo <= num <= hi for lo, hi in RANGES)


def read_rows(path, rows):
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.rstrip("\n").rstrip("\r")
            if not line.strip() or line.startswith("#"):
                continue
            key, sep, text = line.partition("\t")
            if not sep or not key.strip().isdigit():
                sys.exit(f"{path}:{n}: expected id<TAB>text")
            num = int(key)
            if num in rows:
                sys.exit(f"{path}:{n}: id {num} given twice")
            rows[num] = text
    return rows


def main():
    mine = {}
    for path in SOURCES:
        read_rows(path, mine)
    for num, text in mine.items():
        if not ours(num):
            sys.exit(f"id {num} lies outside the verse ranges")
        if not text.strip() or "\t" in text or "\r" in text:
            sys.exit(f"id {num}: empty text, tab or carriage return")
        if "\\" in text:
            sys.exit(f"id {num}: backslash, which the program reads as an escape")
        try:
            text.encode("gbk")
        except UnicodeEncodeError as e:
            sys.exit(f"id {num}: character outside GBK: {e}")
    merged = {}
    if os.path.exists(TARGET):
        merged = {k: v for k, v in read_rows(TARGET, {}).items() if not ours(k)}
    merged.update(mine)
    tmp = TARGET + ".tmp-verses"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        for num in sorted(merged):
            f.write(f"{num}\t{merged[num]}\n")
    os.replace(tmp, TARGET)
    print(f"{len(mine)} verse texts merged; {len(merged)} texts in {os.path.relpath(TARGET, ROOT)}")


if __name__ == "__main__":
    main()
