#!/usr/bin/env python3
"""Rewrites an uncompressed 8-bit Windows bitmap as a run-length encoded one
(BI_RLE8) with the same colour table, for the pictures kesto.exe carries.
usage: rle8.py IN.bmp OUT.bmp"""
import struct
import sys


def encode_row(row):
    out = bytearray()
    i, n = 0, len(row)
    while i < n:
        run = 1
        while i + run < n and run < 255 and row[i + run] == row[i]:
            run += 1
        if run >= 3 or n - i < 3:
            out += bytes((run, row[i]))
            i += run
            continue
        # A literal stretch up to the next run of three (absolute mode).
        j = i
        while j < n and j - i < 255:
            if j + 2 < n and row[j] == row[j + 1] == row[j + 2]:
                break
            j += 1
        count = j - i
        if count < 3:
            for k in range(i, j):
                out += bytes((1, row[k]))
        else:
            out += bytes((0, count)) + row[i:j]
            if count % 2:
                out.append(0)
        i = j
    return out + b"\0\0"


def main(src, dst):
    data = open(src, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    header = bytearray(data[14:offset])
    size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", header, 0)
    if bits != 8 or compression != 0 or height <= 0:
        raise SystemExit(f"{src}: not an uncompressed bottom-up 8-bit bitmap")
    stride = (width + 3) & ~3
    body = bytearray()
    for y in range(height):  # bottom row first, as stored
        body += encode_row(data[offset + y * stride: offset + y * stride + width])
    body[-2:] = b"\0\1"  # the last row's end of line becomes the end of the bitmap
    struct.pack_into("<II", header, 16, 1, len(body))  # BI_RLE8, image size
    total = 14 + len(header) + len(body)
    open(dst, "wb").write(b"BM" + struct.pack("<IHHI", total, 0, 0, 14 + len(header)) + header + body)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
