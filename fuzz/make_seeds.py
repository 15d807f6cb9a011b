#!/usr/bin/env python3
"""Writes the loader fuzzer's seed corpus: small WAVE images of our own, each
behind the selector byte that picks the session's format."""
import os
import struct
import sys


def chunk(cid, body, size=None):
    out = cid + struct.pack('<I', len(body) if size is None else size) + body
    return out + (b'\0' if len(body) % 2 else b'')


def fmt(channels, rate, bits, tag=1):
    align = channels * bits // 8
    return chunk(b'fmt ', struct.pack('<HHIIHH', tag, channels, rate, rate * align, align, bits))


def riff(*chunks, form=b'WAVE'):
    return chunk(b'RIFF', form + b''.join(chunks))


def samples(count, width):
    if width == 8:
        return bytes((128 + (i * 37) % 100 - 50) & 0xFF for i in range(count))
    return b''.join(struct.pack('<h', (i * 997) % 20000 - 10000) for i in range(count))


def main(folder):
    os.makedirs(folder, exist_ok=True)
    seeds = {
        'mono8_11k': (0, riff(fmt(1, 11025, 8), chunk(b'data', samples(64, 8)))),
        'stereo16_44k': (0, riff(fmt(2, 44100, 16), chunk(b'data', samples(128, 16)))),
        'mono16_8k_to_22k': (1, riff(fmt(1, 8000, 16), chunk(b'data', samples(40, 16)))),
        'stereo8_22k_to_stereo44k': (6, riff(fmt(2, 22050, 8), chunk(b'data', samples(50, 8)))),
        'junk_before_fmt': (0, riff(chunk(b'LIST', b'INFOabc'), fmt(1, 22050, 8), chunk(b'data', samples(9, 8)))),
        'data_first': (0, riff(chunk(b'data', samples(4, 8)), fmt(1, 11025, 8))),
        'short_data': (0, riff(fmt(1, 11025, 8), chunk(b'data', samples(4, 8), size=400))),
        'not_pcm': (0, riff(fmt(1, 11025, 8, tag=3), chunk(b'data', samples(4, 8)))),
    }
    for name, (selector, image) in seeds.items():
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(bytes([selector]) + image)


if __name__ == '__main__':
    main(sys.argv[1])
