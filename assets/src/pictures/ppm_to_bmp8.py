#!/usr/bin/env python3
"""Writes a binary PPM (P6) of at most 256 colours as an 8-bit Windows BMP.

The BMP is uncompressed (BI_RGB), bottom-up, with a colour table of exactly
the colours used, so it stays 8 bits per pixel however few colours there are
(ImageMagick would pick 4 or 1 bit for small palettes).

usage: ppm_to_bmp8.py IN.ppm OUT.bmp
"""
import struct
import sys
from collections import Counter


def read_ppm(path):
    with open(path, "rb") as f:
        data = f.read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos) + 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        sys.exit(f"{path}: short pixel data")
    return width, height, pixels


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    width, height, pixels = read_ppm(sys.argv[1])
    rgb = [pixels[i:i + 3] for i in range(0, len(pixels), 3)]
    counts = Counter(rgb)
    if len(counts) > 256:
        sys.exit(f"{sys.argv[1]}: {len(counts)} colours, reduce to 256 first")
    # Most frequent first, ties by value: the table is the same on every run.
    palette = sorted(counts, key=lambda c: (-counts[c], c))
    index = {c: i for i, c in enumerate(palette)}

    stride = (width + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytes(index[c] for c in rgb[y * width:(y + 1) * width])
        rows.append(row + b"\0" * (stride - width))
    image = b"".join(rows)
    table = b"".join(bytes((c[2], c[1], c[0], 0)) for c in palette)

    offset = 14 + 40 + len(table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(image), 2835, 2835,
                              len(palette), 0)
    with open(sys.argv[2], "wb") as f:
        f.write(file_header + info_header + table + image)


if __name__ == "__main__":
    main()
