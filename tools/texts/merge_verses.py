#!/usr/bin/env python3
"""Put the report verses (ids 1100-1271, 7031-7081, 8001-8051) from tools/texts/verses_*.tsv into
resources/texts/numbered.tsv:

    flock /tmp/numbered.lock python3 tools/texts/merge_verses.py
"""
import glob
import os

from merge_numbered import ROOT, merge

if __name__ == "__main__":
    merge("verse", [(1100, 1271), (7031, 7081), (8001, 8051)],
          sorted(glob.glob(os.path.join(ROOT, "tools", "texts", "verses_*.tsv"))))
