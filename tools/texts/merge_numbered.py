#!/usr/bin/env python3
"""Merge one group of numbered texts into resources/texts/numbered.tsv.

numbered.tsv holds every group, so a merge replaces only the ids of its own ranges and keeps
every other line untouched; the file stays sorted by id. The group scripts (merge_verses.py,
merge_threelives.py) name their ranges and source files and call merge(); run them under the
shared lock: flock /tmp/numbered.lock python3 tools/texts/merge_<group>.py
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
TARGET = os.path.join(ROOT, "resources", "texts", "numbered.tsv")


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


def merge(group, ranges, sources):
    def ours(num):
        return any(lo <= num <= hi for lo, hi in ranges)

    if not sources:
        sys.exit(f"no source files for the {group} texts")
    mine = {}
    for path in sources:
        if not os.path.exists(path):
            sys.exit(f"{path}: missing")
        read_rows(path, mine)
    for num, text in mine.items():
        if not ours(num):
            sys.exit(f"id {num} lies outside the {group} ranges {ranges}")
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
    tmp = f"{TARGET}.tmp-{group}"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        for num in sorted(merged):
            f.write(f"{num}\t{merged[num]}\n")
    os.replace(tmp, TARGET)
    print(f"{len(mine)} {group} texts merged; {len(merged)} texts in {os.path.relpath(TARGET, ROOT)}")
