#!/usr/bin/env python3
"""Builds the stroke dictionary resources/dat/hzlen.dat.

    apt-get install -y unicode-data
    python3 tools/gen_hzlen.py /usr/share/unicode resources/dat/hzlen.dat [--list FILE]

One 4-byte record per slot of the GB2312 hanzi rows 16..87 (94 cells each, 6,768 slots in
code order): the two GB2312 bytes, then the stroke count as a little-endian int16 (0 for the
five empty cells at the end of row 55).

Stroke counts follow the convention of name numerology (the 康熙 count):
  * the traditional form of the character counts (张 -> 張 11, 刘 -> 劉 15);
  * the radical counts in its full form: 氵 as 水 4, 扌 as 手 4, 忄 as 心 4, 艹 as 艸 6,
    阝 left as 阜 8, 阝 right as 邑 7, 王 as a component as 玉 5, 礻 as 示 5, 衤 as 衣 6,
    ⺼ as 肉 6, 犭 as 犬 4, 辶 as 辵 7 -- i.e. strokes = full radical + residual strokes;
  * the numerals 一 .. 十 count by their value, 1 .. 10.

Raw material is Unihan (Debian package unicode-data): kGB0 for the code points of the slots,
kTraditionalVariant for the traditional form, kRSKangXi / kRSUnicode for radical and residual
strokes, kTotalStrokes for whole-character counts and kIRG_TSource to tell whether a
simplified character is also a common traditional character (Taiwan source plane 1); radical
strokes are those of the 214 radicals in their full form. Where one simplified character
stands for several traditional ones, the simplified character counts itself when it is also
a common traditional character -- so a surname keeps its own form (朱 6, 胡 11, 范 11, 于 3) --
and otherwise its first traditional form; TRADITIONAL and STROKES below hold the exceptions.
The common surnames are checked in tests/core/datafiles_test.cpp.

--list FILE]

One 4-byte record per slot of the GB2312 hanzi rows 16..87 (94 cells each, 6,768 slots in
code order): the two GB2312 bytes, then the stroke count as a little-endian int16 (0 for the
five empty cells at the end of row 55).

Stroke counts follow the convention of name numerology (the 康熙 count):
  * the traditional form of the character counts (张 -> 張 11, 刘 -> 劉 15);
  * the radical counts in its full form: 氵 as 水 4, 扌 as 手 4, 忄 as 心 4, 艹 as 艸 6,
    阝 left as 阜 8, 阝 right as 邑 7, 王 as a component as 玉 5, 礻 as 示 5, 衤 as 衣 6,
    ⺼ as 肉 6, 犭 as 犬 4, 辶 as 辵 7 -- i.e. strokes = full radical + residual strokes;
  * the numerals 一 .. 十 count by their value, 1 .. 10.

Raw material is Unihan (Debian package unicode-data): kGB0 for the code points of the slots,
kTraditionalVariant for the traditional form, kRSKangXi / kRSUnicode for radical and residual
strokes, kTotalStrokes for whole-character counts and kIRG_TSource to tell whether a
simplified character is also a common traditional character (Taiwan source plane 1). Radical
strokes are those of the 214 radicals in their full form. Where one simplified character stands for several
traditional ones, a surname keeps its own form (朱 6, 胡 11, 范 11, 于 3); the choices are
in TRADITIONAL below and were checked against printed 康熙 counts of common surnames.

--list FILE writes every character with its traditional form and count as UTF-8 text, for
review.
"""
import bz2
import os
import struct
import sys

# Simplified character -> the form whose strokes count (itself when it is the surname's or the
# usual name form). Only characters the general rule gets wrong are listed.
TRADITIONAL = {
    # surnames of their own, not short forms of the character the rule would pick
    "党": "党",  # 党 (Dang) is not 黨
    "涂": "涂",  # 涂 (Tu) is not 塗
    # name characters whose usual meaning is the traditional form the rule would not pick
    "云": "雲", "丰": "豐", "杰": "傑",
    # several traditional forms: the usual one
    "当": "當", "荡": "蕩", "尽": "盡", "历": "歷",
}

# Characters counted by their value or fixed by convention, whatever the data says.
STROKES = {
    "一": 1, "二": 2, "三": 3, "四": 4, "五": 5, "六": 6, "七": 7, "八": 8, "九": 9, "十": 10,
    "郎": 14,  # 良 keeps its seven strokes beside 邑
}


def read_unihan(folder, names, fields):
    """{field: {char: value}} for the requested Unihan fields."""
    out = {f: {} for f in fields}
    for name in names:
        path = os.path.join(folder, name)
        opener = bz2.open if path.endswith(".bz2") else open
        with opener(path, "rt", encoding="utf-8") as f:
            for line in f:
                if line.startswith("#") or not line.strip():
                    continue
                code, field, value = line.rstrip("\n").split("\t", 2)
                if field in out:
                    out[field][chr(int(code[2:], 16))] = value
    return out


# The 214 radicals are numbered in order of their stroke counts; the first radical of each
# stroke count (1 .. 17 strokes) is listed here. 氵 (85) is 水 4, 艸 (140) 6, 阜 (170) 8 ...
FIRST_RADICAL_OF_STROKES = [1, 7, 30, 61, 95, 118, 147, 167, 176, 187, 195, 201, 205, 209, 211,
                            212, 214]


def radical_strokes(number):
    """Strokes of radical `number` (1..214) in its full form."""
    strokes = 0
    for i, first in enumerate(FIRST_RADICAL_OF_STROKES):
        if number >= first:
            strokes = i + 1
    return strokes


class Counter:
    def __init__(self, folder):
        d = read_unihan(folder, [
            "Unihan_RadicalStrokeCounts.txt.bz2", "Unihan_IRGSources.txt.bz2",
            "Unihan_Variants.txt.bz2", "Unihan_OtherMappings.txt.bz2",
        ], ["kRSKangXi", "kRSUnicode", "kTotalStrokes", "kIRG_TSource", "kTraditionalVariant",
            "kGB0"])
        self.d = d

    def total(self, c):
        v = self.d["kTotalStrokes"].get(c)
        # Two values mean (simplified-locale, traditional-locale); the traditional one counts.
        return int(v.split()[-1]) if v else 0

    def traditional(self, c):
        if c in TRADITIONAL:
            return TRADITIONAL[c]
        tv = self.d["kTraditionalVariant"].get(c)
        if not tv:
            return c
        forms = [chr(int(u[2:], 16)) for u in tv.split()]
        others = [f for f in forms if f != c]
        if c in forms and self.d["kIRG_TSource"].get(c, "").startswith("T1-"):
            return c  # also a common traditional character in its own right
        return others[0] if others else c

    def kangxi(self, t):
        rs = self.d["kRSKangXi"].get(t) or self.d["kRSUnicode"].get(t)
        total = self.total(t)
        if not rs:
            return total
        rad, res = rs.split()[0].split(".")
        if rad.endswith("'"):
            return total
        res = int(res)
        if res <= 0:
            return total  # the character is (a form of) the radical itself
        # A radical written with more strokes than its full form (氺 in 泰) keeps the real count.
        return max(total, radical_strokes(int(rad)) + res)

    def strokes(self, c):
        if c in STROKES:
            return STROKES[c], c
        t = self.traditional(c)
        return self.kangxi(t), t


def main():
    args = sys.argv[1:]
    listing = None
    if "--list" in args:
        i = args.index("--list")
        listing = args[i + 1]
        del args[i:i + 2]
    if len(args) != 2:
        raise SystemExit("usage: gen_hzlen.py UNICODE_DIR OUTPUT [--list FILE]")
    counter = Counter(args[0])
    by_gb = {}
    for c, v in counter.d["kGB0"].items():
        by_gb[int(v)] = c

    records = bytearray()
    rows = []
    missing = 0
    for row in range(16, 88):
        for cell in range(1, 95):
            b1, b2 = 0xA0 + row, 0xA0 + cell
            c = by_gb.get(row * 100 + cell)
            n, t = 0, ""
            if c is not None:
                if c.encode("gb2312") != bytes([b1, b2]):
                    raise SystemExit("kGB0 disagrees with GB2312 for " + c)
                n, t = counter.strokes(c)
                if n <= 0:
                    missing += 1
                rows.append("%s\t%s\t%d" % (c, t, n))
            records += struct.pack("<BBh", b1, b2, n)
    assert len(records) == 6768 * 4
    with open(args[1], "wb") as f:
        f.write(records)
    if listing:
        with open(listing, "w", encoding="utf-8") as f:
            f.write("\n".join(rows) + "\n")
    print("%d characters, %d without a count -> %s" % (len(rows), missing, args[1]),
          file=sys.stderr)


if __name__ == "__main__":
    main()
