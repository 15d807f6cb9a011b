#!/usr/bin/env python3
"""Packs our icon's PNG sizes (assets/icons/kesto-SIZE.png) into one Windows
.ico file, each size as a PNG entry (read by Windows since Vista, and wine).

usage: make_ico.py OUT.ico IN.png...
"""
import struct
import sys


def png_size(data, path):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit(f"make_ico.py: {path} is not a PNG file")
    return struct.unpack(">II", data[16:24])


def main():
    if len(sys.argv) < 3:
        raise SystemExit(__doc__.strip().splitlines()[-1])
    images = []
    for path in sys.argv[2:]:
        data = open(path, "rb").read()
        width, height = png_size(data, path)
        if width > 256 or height > 256:
            raise SystemExit(f"make_ico.py: {path} is larger than 256 pixels")
        images.append((width, height, data))
    images.sort(key=lambda image: image[0])
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, bodies = b"", b""
    for width, height, data in images:
        # 0 stands for 256 in the directory.
        entries += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
        bodies += data
        offset += len(data)
    with open(sys.argv[1], "wb") as out:
        out.write(header + entries + bodies)


if __name__ == "__main__":
    main()
