#!/usr/bin/env bash
# Renders the PNG sizes of the icon from hengjian.svg (needs rsvg-convert, Debian librsvg2-bin)
# and packs them into hengjian.ico, the Windows program's icon. The PNGs and the .ico are kept in
# the tree so that building never needs the converter.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" hengjian.svg -o "hengjian-$size.png"
done
python3 make_ico.py
