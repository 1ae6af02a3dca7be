#!/usr/bin/env python3
"""Put the three-lives texts (ids 10001-10541) from tools/texts/threelives.tsv into
resources/texts/numbered.tsv:

    flock /tmp/numbered.lock python3 tools/texts/merge_threelives.py
"""
import os

from merge_numbered import ROOT, merge

if __name__ == "__main__":
    merge("three-lives", [(10001, 10541)], [os.path.join(ROOT, "tools", "texts", "threelives.tsv")])
