#!/usr/bin/env python3
"""Put the three-lives texts (ids 10001-10541) from tools/texts/threelives.tsv into
resources/texts/numbered.tsv.

numbered.tsv is shared with the other text groups, so only ids in our range are replaced; every
other line is kept as it is. The file stays sorted by id. Run it under the lock:

    flock /tmp/numbered.lock python3 tools/texts/merge_threelives.py
"""
import os
import sys

LOW, HIGH = 10001, 10541
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SOURCE = os.path.join(ROOT, "tools", "texts", "threelives.tsv")
TARGET = os.path.join(ROOT, "resources", "texts", "numbered.tsv")


def read_table(path, must_exist):
    rows = {}
    if not os.path.exists(path):
        if must_exist:
            sys.exit(f"{path}: missing")
        return rows
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
                sys.exit(f"{path}:{n}: id {num} appears twice")
            rows[num] = text
    return rows


def main():
    ours = read_table(SOURCE, True)
    for num, text in ours.items():
        if not LOW <= num <= HIGH:
            sys.exit(f"{SOURCE}: id {num} lies outside {LOW}-{HIGH}")
        if not text.strip():
            sys.exit(f"{SOURCE}: id {num} has no text")
        if "\t" in text or "\r" in text or "\\" in text:
            sys.exit(f"{SOURCE}: id {num} holds a tab, carriage return or backslash")
        try:
            text.encode("gbk")
        except UnicodeEncodeError as e:
            sys.exit(f"{SOURCE}: id {num} has a character outside GBK: {e}")
    merged = {k: v for k, v in read_table(TARGET, False).items() if not LOW <= k <= HIGH}
    merged.update(ours)
    tmp = TARGET + ".tmp-threelives"
    with open(tmp, "w", encoding="utf-8", newline="\n") as f:
        for num in sorted(merged):
            f.write(f"{num}\t{merged[num]}\n")
    os.replace(tmp, TARGET)
    print(f"{len(ours)} three-lives texts merged; {len(merged)} texts in {os.path.relpath(TARGET, ROOT)}")


if __name__ == "__main__":
    main()
