#!/usr/bin/env python3
"""Writes the BMP decoder's test files into OUT (tests/bmp/make_cases.py OUT):

  OUT/hostile/*.bmp  crafted files that must each be refused before the
                     decoder allocates for the picture they claim: the
                     run-length counters pushed past the picture's edges,
                     size bombs, truncations, headers that lie;
  OUT/forms/*.bmp    small pictures in each form the decoder reads, each with
                     the pixels it must give beside it in NAME.rgb (width and
                     height as two little-endian 32-bit words, then R, G, B
                     per pixel, top row first);
  OUT/rle8/*.bmp     the nine character pictures of assets/pictures, run-length
                     encoded by platform/win32/rle8.py as the Windows build
                     carries them.

Everything here is made from these lines and the repository's own pictures."""
import os
import struct
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(ROOT, 'platform', 'win32'))
import rle8  # noqa: E402

PICTURES = ['nomal1', 'nomal2', 'nomal3', 'which', 'great', 'cry', 'ending', 'lv1', 'lv2']
RGB, RLE8, BITFIELDS = 0, 1, 3


def info_header(width, height, bits, compression=RGB, colours=0, image_size=0, size=40):
    head = struct.pack('<IiiHHIIiiII', size, width, height, 1, bits, compression, image_size, 2835, 2835,
                       colours, colours)
    return head + bytes(size - 40)


def bmp(header, palette=b'', pixels=b'', offset=None):
    if offset is None:
        offset = 14 + len(header) + len(palette)
    body = header + palette + pixels
    return b'BM' + struct.pack('<IHHI', 14 + len(body), 0, 0, offset) + body


def rle_picture(width, height, codes, colours=2):
    palette = b''.join(struct.pack('<BBBB', 40 * i, 80, 200 - 40 * i, 0) for i in range(colours))
    return bmp(info_header(width, height, 8, RLE8, colours, len(codes)), palette, codes)


def hostile():
    cases = {}
    # A row of runs of 255 with no line end: the column counter passes the
    # width and, after 2^31 pixels, wraps negative, so the next run lands
    # before the pixel buffer (a heap overflow where the counter is unbounded).
    wrap = b'\xff\x01' * ((2**31) // 255 + 1) + b'\x04\x01' + b'\x00\x01'
    cases['rle8_column_wrap'] = rle_picture(16, 4, wrap)
    # One run longer than what is left of its row.
    cases['rle8_run_past_width'] = rle_picture(16, 4, b'\x0a\x01\x0a\x01\x00\x01')
    # An absolute stretch past the row's end.
    cases['rle8_stretch_past_width'] = rle_picture(16, 4, b'\x0c\x01\x00\x06' + bytes(6) + b'\x00\x01')
    # Deltas that move right past the width, then a run there.
    cases['rle8_delta_past_width'] = rle_picture(16, 4, b'\x00\x02\xff\x00' * 3 + b'\x02\x01\x00\x01')
    # A delta that moves above the top row, then a run there.
    cases['rle8_delta_past_top'] = rle_picture(16, 4, b'\x00\x02\x00\x09\x02\x01\x00\x01')
    # 60 bytes that claim 8192 x 8192 pixels (a quarter of a gigabyte).
    cases['rle8_8192_bomb'] = rle_picture(8192, 8192, b'\x00\x01', colours=1)
    # The same inside the size limit: two bytes cannot set 4096 x 4096 pixels.
    cases['rle8_4096_bomb'] = rle_picture(4096, 4096, b'\x00\x01', colours=1)
    # A run-length stream that stops before the end of the bitmap.
    cases['rle8_truncated'] = rle_picture(2, 2, b'\x02\x01\x00\x00\x02')
    # 70 bytes of a 16384 x 16384 picture at 24 bits.
    cases['truncated_16384'] = bmp(info_header(16384, 16384, 24), pixels=bytes(16))
    # A 4096 x 4096 picture, inside the limit, whose rows are not in the file.
    cases['truncated_4096'] = bmp(info_header(4096, 4096, 24), pixels=bytes(16))
    # 42 bytes: an OS/2 header asking for 65535 x 65535 at 24 bits (12.9 GB).
    cases['os2_65535'] = bmp(struct.pack('<IHHHH', 12, 65535, 65535, 1, 24), pixels=bytes(16))
    # Wider than the limit, one row high: small in memory, still refused.
    cases['wider_than_4096'] = bmp(info_header(4097, 1, 8, colours=1), b'\0\0\0\0', bytes(4100))
    # Top-down with the most negative height.
    cases['height_int_min'] = bmp(info_header(2, -2**31, 24), pixels=bytes(16))
    # Pixel data said to start past the end of the file.
    cases['offset_past_end'] = bmp(info_header(2, 2, 24), pixels=bytes(16), offset=0xFFFFFFF0)
    # A header that claims to be four gigabytes long.
    cases['header_size_huge'] = b'BM' + struct.pack('<IHHII', 30, 0, 0, 26, 0xFFFFFFFF) + bytes(12)
    # Bit fields announced after a 40-byte header, with no room for the masks.
    cases['bitfields_masks_cut'] = bmp(info_header(1, 1, 32, BITFIELDS))
    # A colour table of 256 entries cut short.
    cases['palette_cut'] = bmp(info_header(4, 4, 8, colours=256), bytes(40))
    # Run-length encoding on a top-down picture, which has no such form.
    cases['rle8_top_down'] = rle_picture(2, -2, b'\x02\x01\x00\x00\x02\x01\x00\x01')
    return cases


# The forms' picture: 5 x 3 (so that every depth pads its rows), colour
# index (x + 2y) mod n of a table of n colours, top row first.
W, H = 5, 3
TABLE = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255), (0, 0, 0), (12, 34, 56), (200, 100, 50),
         (1, 2, 3), (250, 240, 230), (9, 90, 180), (77, 66, 55), (128, 128, 128), (30, 60, 90), (99, 0, 99),
         (0, 99, 99), (99, 99, 0)]


def index(x, y, n):
    return (x + 2 * y) % n


def rows(top_down):
    return range(H) if top_down else range(H - 1, -1, -1)


def pad(row):
    return row + bytes(-len(row) % 4)


def palette(n, entry=4):
    return b''.join(bytes((b, g, r)) + bytes(entry - 3) for r, g, b in TABLE[:n])


def packed(bits, n, top_down=False):
    out = b''
    for y in rows(top_down):
        value, count, row = 0, 0, bytearray()
        for x in range(W):
            value = value << bits | index(x, y, n)
            count += bits
            if count == 8:
                row.append(value)
                value, count = 0, 0
        if count:
            row.append(value << (8 - count))
        out += pad(bytes(row))
    return out


def direct(encode, top_down=False):
    return b''.join(pad(b''.join(encode(*TABLE[index(x, y, 16)]) for x in range(W))) for y in rows(top_down))


def scale(v, bits):
    return (v >> (8 - bits)) * 255 // ((1 << bits) - 1)


def forms():
    n16 = [[TABLE[index(x, y, 16)] for x in range(W)] for y in range(H)]

    def of_table(n):
        return [[TABLE[index(x, y, n)] for x in range(W)] for y in range(H)]

    def rgb24(r, g, b):
        return bytes((b, g, r))

    def x555(r, g, b):
        return struct.pack('<H', (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)

    def x565(r, g, b):
        return struct.pack('<H', (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)

    masks565 = struct.pack('<III', 0xF800, 0x07E0, 0x001F)
    v4 = info_header(W, H, 16, BITFIELDS, size=108)
    v4 = v4[:40] + masks565 + v4[52:]
    cases = {
        'pal1': (bmp(info_header(W, H, 1, colours=2), palette(2), packed(1, 2)), of_table(2)),
        'pal4_implicit_table': (bmp(info_header(W, H, 4), palette(16), packed(4, 16)), of_table(16)),
        'pal8_bottom_up': (bmp(info_header(W, H, 8, colours=6), palette(6), packed(8, 6)), of_table(6)),
        'pal8_top_down': (bmp(info_header(W, -H, 8, colours=6), palette(6), packed(8, 6, True)), of_table(6)),
        'pal8_os2': (bmp(struct.pack('<IHHHH', 12, W, H, 1, 8), palette(256, 3)[:6 * 3] + bytes(250 * 3),
                         packed(8, 6)), of_table(6)),
        'pal8_v5_header': (bmp(info_header(W, H, 8, colours=6, size=124), palette(6), packed(8, 6)), of_table(6)),
        'rgb24_bottom_up': (bmp(info_header(W, H, 24), pixels=direct(rgb24)), n16),
        'rgb24_top_down': (bmp(info_header(W, -H, 24), pixels=direct(rgb24, True)), n16),
        'rgb24_os2': (bmp(struct.pack('<IHHHH', 12, W, H, 1, 24), pixels=direct(rgb24)), n16),
        'rgb32_ignores_fourth_byte': (bmp(info_header(W, H, 32), pixels=direct(lambda r, g, b: bytes((b, g, r, 0xA5)))),
                                      n16),
        'bitfields32_swapped': (bmp(info_header(W, H, 32, BITFIELDS), struct.pack('<III', 0xFF, 0xFF00, 0xFF0000),
                                    direct(lambda r, g, b: bytes((r, g, b, 0)))), n16),
        'rgb16_555': (bmp(info_header(W, H, 16), pixels=direct(x555)),
                      [[tuple(scale(c, 5) for c in p) for p in row] for row in n16]),
        'bitfields16_565_v4_header': (bmp(v4, pixels=direct(x565)),
                                      [[(scale(r, 5), scale(g, 6), scale(b, 5)) for r, g, b in row] for row in n16]),
    }
    # Run-length encoded, bottom row first: a run and a stretch of odd length
    # (padded), a line end; on the middle row a run of one, then a delta of
    # two right and one up to the top row, a run of one there and the end of
    # the bitmap. Pixels no code reaches keep index 0.
    codes = (b'\x02\x03' + b'\x00\x03\x01\x02\x04\x00' + b'\x00\x00' +
             b'\x01\x01' + b'\x00\x02\x02\x01' + b'\x01\x05' + b'\x00\x01')
    expected = [[TABLE[i] for i in row] for row in ([0, 0, 0, 5, 0], [1, 0, 0, 0, 0], [3, 3, 1, 2, 4])]
    cases['rle8_runs_stretch_delta_end'] = (bmp(info_header(W, H, 8, RLE8, 6, len(codes)), palette(6), codes), expected)
    return cases


def main(out):
    os.makedirs(os.path.join(out, 'hostile'), exist_ok=True)
    os.makedirs(os.path.join(out, 'forms'), exist_ok=True)
    for name, (data, pixels) in forms().items():
        with open(os.path.join(out, 'forms', name + '.bmp'), 'wb') as f:
            f.write(data)
        with open(os.path.join(out, 'forms', name + '.rgb'), 'wb') as f:
            f.write(struct.pack('<II', len(pixels[0]), len(pixels)) + bytes(c for row in pixels for p in row for c in p))
    os.makedirs(os.path.join(out, 'rle8'), exist_ok=True)
    for name, data in hostile().items():
        with open(os.path.join(out, 'hostile', name + '.bmp'), 'wb') as f:
            f.write(data)
    for name in PICTURES:
        rle8.main(os.path.join(ROOT, 'assets', 'pictures', name + '.bmp'), os.path.join(out, 'rle8', name + '.bmp'))


if __name__ == '__main__':
    if len(sys.argv) != 2:
        raise SystemExit('usage: make_cases.py OUT')
    main(sys.argv[1])
