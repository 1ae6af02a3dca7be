#!/usr/bin/env python3
"""Packs the PNG sizes of the icon into hengjian.ico for the Windows resource file.

Each size is stored as PNG inside the .ico (read by Windows since Vista); the 256 px entry is
written with width and height 0, as the format asks. Run by render.sh after the PNGs;
`make_ico.py OUT` writes OUT instead (the freshness test compares it with the kept file).
"""
import struct
import sys
from pathlib import Path

SIZES = (16, 24, 32, 48, 64, 128, 256)


def png_size(data: bytes) -> tuple[int, int]:
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise ValueError("not a PNG")
    return struct.unpack(">II", data[16:24])


def main() -> int:
    here = Path(__file__).resolve().parent
    images = []
    for size in SIZES:
        data = (here / f"hengjian-{size}.png").read_bytes()
        if png_size(data) != (size, size):
            print(f"hengjian-{size}.png is not {size}x{size}", file=sys.stderr)
            return 1
        images.append((size, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else here / "hengjian.ico"
    target.write_bytes(bytes(out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
