#!/usr/bin/env python3
"""Builds resources/data/world_places.tsv, the world place list of births abroad.

Source: the time-zone database's zone.tab (public domain), as the Debian package tzdata installs
it at /usr/share/zoneinfo/zone.tab: one row per country and zone, with the ISO 3166 country code,
the coordinates of the zone's principal city (ISO 6709, degrees and minutes or seconds) and the
zone id.

    python3 tools/gen_world_places.py /usr/share/zoneinfo/zone.tab resources/data/world_places.tsv

Output: UTF-8, one row a line: country code, zone id, latitude and longitude in decimal degrees
(4 places). The rows keep the order of the previous output and new zones are appended, so that
the position of a zone (its number in stored cases) never changes; pass the old file as the third
argument when regenerating. The Chinese names come from ICU at run time.
"""
import re
import sys


def degrees(text):
    sign = -1 if text[0] == "-" else 1
    digits = text[1:]
    if len(digits) in (4, 5):        # DDMM or DDDMM
        d, m, s = digits[:-2], digits[-2:], "0"
    else:                            # DDMMSS or DDDMMSS
        d, m, s = digits[:-4], digits[-4:-2], digits[-2:]
    return sign * (int(d) + int(m) / 60 + int(s) / 3600)


def main():
    src, out = sys.argv[1], sys.argv[2]
    rows = {}
    for line in open(src, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        cc, coords, zone = line.rstrip("\n").split("\t")[:3]
        m = re.fullmatch(r"([+-]\d+)([+-]\d+)", coords)
        rows[zone] = (cc, degrees(m.group(1)), degrees(m.group(2)))
    order, old = [], {}
    if len(sys.argv) > 3:
        for line in open(sys.argv[3], encoding="utf-8"):
            if line.startswith("#") or not line.strip():
                continue
            cc, zone, lat, lon = line.rstrip("\n").split("\t")
            order.append(zone)
            old[zone] = (cc, float(lat), float(lon))
    order += sorted(z for z in rows if z not in order)
    with open(out, "w", encoding="utf-8", newline="\n") as f:
        f.write("# World places: zone.tab of the time-zone database (public domain), by tools/gen_world_places.py\n")
        f.write("# country\tzone\tlatitude\tlongitude; rows are only ever appended (their position is stored in cases)\n")
        for zone in order:
            # A zone dropped from the database keeps its old row, so no position moves.
            cc, lat, lon = rows.get(zone) or old[zone]
            f.write(f"{cc}\t{zone}\t{lat:.4f}\t{lon:.4f}\n")


main()
