#!/usr/bin/env python3
"""Writes the fuzz targets' hand-made seeds into seeds/<target>/ beside this
script (or into the folder given): small inputs of our own. The wave loader's
seeds are WAVE images behind the selector byte that picks the session's
format, among them the malformed shapes that break WAVE readers; the BMP
decoder's are the forms and crafted files of tests/bmp/make_cases.py. The
corpora grown from them live in corpus/<target>/ (scripts/fuzz-corpus)."""
import os
import shutil
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(HERE, '..', 'tests', 'bmp'))
import make_cases  # noqa: E402

# Selector bytes: bits 0-1 rate (0: 11, 1: 22, 2: 44 kHz), bit 2 stereo.
DEFAULT, RATE22, RATE44, STEREO = 0, 1, 2, 4


def chunk(cid, body, size=None, pad=True):
    out = cid + struct.pack('<I', len(body) if size is None else size) + body
    return out + (b'\0' if pad and len(body) % 2 else b'')


def fmt_body(channels, rate, bits, tag=1, align=None, avg=None):
    if align is None:
        align = channels * bits // 8
    if avg is None:
        avg = (rate * align) & 0xFFFFFFFF
    return struct.pack('<HHIIHH', tag, channels, rate, avg, align, bits)


def fmt(channels, rate, bits, **kw):
    return chunk(b'fmt ', fmt_body(channels, rate, bits, **kw))


def riff(*chunks, form=b'WAVE', size=None):
    body = form + b''.join(chunks)
    return b'RIFF' + struct.pack('<I', len(body) if size is None else size) + body


def samples(count, width):
    if width == 8:
        return bytes((128 + (i * 37) % 100 - 50) & 0xFF for i in range(count))
    return b''.join(struct.pack('<h', (i * 997) % 20000 - 10000) for i in range(count))


def wave_seeds():
    mono8 = fmt(1, 11025, 8)
    data8 = chunk(b'data', samples(64, 8))
    seeds = {
        # Well-formed, one per conversion path.
        'mono8_11k': (DEFAULT, riff(mono8, data8)),
        'stereo16_44k': (DEFAULT, riff(fmt(2, 44100, 16), chunk(b'data', samples(128, 16)))),
        'mono16_8k_to_22k': (RATE22, riff(fmt(1, 8000, 16), chunk(b'data', samples(40, 16)))),
        'stereo8_22k_to_stereo44k': (STEREO | RATE44, riff(fmt(2, 22050, 8), chunk(b'data', samples(50, 8)))),
        'mono8_11k_to_stereo': (STEREO, riff(mono8, data8)),
        'stereo16_11k_to_stereo22k': (STEREO | RATE22, riff(fmt(2, 11025, 16), chunk(b'data', samples(60, 16)))),
        'junk_before_fmt': (DEFAULT, riff(chunk(b'LIST', b'INFOabc'), fmt(1, 22050, 8), chunk(b'data', samples(9, 8)))),
        'fmt_extended': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8) + b'\0\0'), data8)),
        'second_riff_is_wave': (DEFAULT, riff(chunk(b'junk', b''), form=b'AVI ') + riff(mono8, data8)),
        # Refused shapes.
        'data_first': (DEFAULT, riff(chunk(b'data', samples(4, 8)), mono8)),
        'not_pcm': (DEFAULT, riff(fmt(1, 11025, 8, tag=3), chunk(b'data', samples(4, 8)))),
        'not_riff': (DEFAULT, b'RIFX' + riff(mono8, data8)[4:]),
        'empty': (DEFAULT, b''),
        'data_size_0': (DEFAULT, riff(mono8, chunk(b'data', b''))),
        # Sizes of 0xFFFFFFFF or past the end.
        'riff_size_ffffffff': (DEFAULT, riff(mono8, data8, size=0xFFFFFFFF)),
        'riff_size_past_end': (DEFAULT, riff(mono8, data8, size=5000)),
        'riff_size_short': (DEFAULT, riff(mono8, data8, size=12)),
        'data_size_ffffffff': (DEFAULT, riff(mono8, chunk(b'data', samples(16, 8), size=0xFFFFFFFF))),
        'data_size_past_end': (DEFAULT, riff(mono8, chunk(b'data', samples(4, 8), size=400))),
        'fmt_size_ffffffff': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8), size=0xFFFFFFFF), data8)),
        # Chunk sizes that wrap the position.
        'junk_size_wraps': (DEFAULT, riff(chunk(b'junk', b'ab', size=0xFFFFFFF8), mono8, data8)),
        'junk_size_7fffffff': (DEFAULT, riff(chunk(b'junk', b'ab', size=0x7FFFFFFF), mono8, data8)),
        'fmt_size_wraps': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8), size=0xFFFFFFF0), data8)),
        # fmt of size 0 or odd, or shorter than 16.
        'fmt_size_0': (DEFAULT, riff(chunk(b'fmt ', b''), mono8, data8)),
        'fmt_size_17_padded': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8) + b'\x01'), data8)),
        'fmt_size_15': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8)[:15]), data8)),
        'fmt_cut_at_end': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8)[:10], size=16, pad=False))),
        # Channel counts, block alignment and widths.
        'channels_0': (DEFAULT, riff(fmt(0, 11025, 8, align=1), data8)),
        'channels_65535': (DEFAULT, riff(fmt(65535, 11025, 8, align=65535), data8)),
        'channels_3': (STEREO, riff(fmt(3, 11025, 8), data8)),
        'block_align_0': (RATE22, riff(fmt(2, 11025, 16, align=0), chunk(b'data', samples(32, 16)))),
        'bits_0': (DEFAULT, riff(fmt(1, 11025, 0, align=1), data8)),
        'bits_7': (DEFAULT, riff(fmt(1, 11025, 7, align=1), data8)),
        'bits_12': (DEFAULT, riff(fmt(1, 11025, 12, align=2), data8)),
        'bits_24': (DEFAULT, riff(fmt(1, 11025, 24), chunk(b'data', samples(48, 8)))),
        'bits_65535': (DEFAULT, riff(fmt(1, 11025, 65535, align=1), data8)),
        # Rates.
        'rate_0': (DEFAULT, riff(fmt(1, 0, 8), data8)),
        'rate_1_to_44k': (RATE44, riff(fmt(1, 1, 8), chunk(b'data', samples(8, 8)))),
        'rate_huge': (DEFAULT, riff(fmt(1, 0xFFFFFFFF, 8), data8)),
        'rate_huge_stereo16': (STEREO | RATE44, riff(fmt(2, 0x80000000, 16), chunk(b'data', samples(64, 16)))),
        'one_frame_44k_to_11k': (DEFAULT, riff(fmt(1, 44100, 8), chunk(b'data', b'\x90'))),
        # Data ending mid-sample, and a missing final pad byte.
        'data_16bit_odd_length': (DEFAULT, riff(fmt(1, 11025, 16), chunk(b'data', samples(9, 16)[:17]))),
        'data_stereo16_mid_frame': (STEREO, riff(fmt(2, 22050, 16), chunk(b'data', samples(9, 16)[:15]))),
        'data_one_byte_16bit': (DEFAULT, riff(fmt(1, 11025, 16), chunk(b'data', b'\x7f'))),
        'data_odd_no_pad': (DEFAULT, riff(mono8, chunk(b'data', samples(7, 8), pad=False))),
        'fmt_odd_no_pad_then_data': (DEFAULT, riff(chunk(b'fmt ', fmt_body(1, 11025, 8) + b'\x01', pad=False), data8)),
        # Thousands of tiny chunks before the format.
        'many_tiny_chunks': (DEFAULT, riff(*([chunk(b'tiny', b'')] * 1500 + [chunk(b'odd1', b'x')] * 300), mono8, data8)),
    }
    return {name: bytes([sel]) + image for name, (sel, image) in seeds.items()}


def record_seeds():
    return {
        'plain': b'line one\r\n15\r\n1\r\n4\r\n2\r\n',
        'empty_first_line': b'\r\n12\r\n1\r\n7\r\n3\r\n',
        'negative_and_hex': b'x\r\n-5\r\n$FFFFFFFF\r\n+7\r\n$1a\r\n',
        'lf_only': b'a\n1\n2\n3\n4\n',
        'ctrl_z': b't\r\n8\r\n1\x1a\r\n7\r\n3\r\n',
        'blanks_and_trailing_text': b'\r\n\r\n  \t 12 points\r\n\r\n1 x\r\n 2\r\n3',
        'malformed': b'\r\n12abc\r\n1\r\n',
        'overflow': b'\r\n2147483648\r\n-2147483648\r\n',
        'long_token': b'\r\n' + b'0' * 40 + b'1\r\n',
        'first_line_only': b'just a line',
    }


def profile_seeds():
    return {
        'mixer_ini': b'[general]\r\nWaveOutDevice=0\r\n[default]\r\nRemix=2\r\nGoodWavePos=1\r\n'
                     b'WaveBlocks=6\r\nWaveBlockLen=0x800\r\nSamplesPerSec=22\r\n'
                     b'[Virtual Wave Out]\r\nRemix = 1\r\nWaveBlockLen=-1\r\n[not compatible]\r\nVirtual Wave Out=0\r\n',
        'query_line': b'my section/my key\n[ My Section ]\nMY KEY = "0b101"\n; comment\nother=1\n',
        'repeated_sections': b'[default]\nremix=3\n[default]\nremix=4\n[general\nWaveOutDevice=0o17\n',
        'odd_values': b'[default]\nRemix=\nGoodWavePos=+\nWaveBlocks=-0x\nWaveBlockLen=99999999999\nSamplesPerSec=\'44\'\n',
    }


def bmp_seeds(max_len=8192):
    seeds = {name: data for name, (data, _) in make_cases.forms().items()}
    seeds.update({'hostile_' + name: data for name, data in make_cases.hostile().items() if len(data) <= max_len})
    return seeds


def script_seeds():
    return {
        'start_and_answer': b'state\nclick 10 10\ntick 60\nclick 100 150\ntick 20\nclick 300 150 right\nstate\n',
        'keys_and_close': b'key space\nkey enter\ntick 3\nclose\n',
        'short_game': b'click 1 1\n' + b'tick 9\nclick 120 140\n' * 15 + b'state\nclick 200 150\ntick 5\nclick 380 290\n',
        'shot_and_bad_line': b'shot a.png\ntick 2 3\n',
        'comments_and_blanks': b'# a comment\n\n   \ntick\nclick 399 299 middle\n',
        'bad_values': b'click -1 5\n',
        'device_and_mute': b'device absent\nclick 10 10\ntick 3\ndevice busy\ndevice present\nclick 10 10\nkey m\ntick 2\ndevice +2\n',
        'odd_spacing': b'\t tick\v\f 2 \r\n#tick 9\n  # x\nclick\t1\r 2\r\n\ntick 00100000000\ntick +1\nkey A',
    }


def rounds_seeds():
    head = struct.pack('<Ii', 7, 12)
    tick = lambda n: bytes([4 * (n - 1)])  # 1 to 64 ticks
    press = lambda x, y: bytes([1, x // 2, y // 2])
    answers = b''.join(tick(30) + press(100 if i % 3 else 300, 150) for i in range(30))
    return {
        'start_and_answer': head + press(200, 150) + tick(20) + press(100, 150) + tick(20) + press(300, 150),
        'many_answers': head + press(10, 10) + answers,
        'whole_game_then_places': head + press(1, 1) + tick(64) * 45 + b''.join(
            press(x, y) for x in range(0, 400, 50) for y in range(0, 300, 60)),
        'best_negative': struct.pack('<Ii', 1, -5) + press(5, 5) + tick(64) * 45,
    }


def write(folder, seeds):
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), 'wb') as out:
            out.write(data)


def main(root):
    write(os.path.join(root, 'wave_loader'), wave_seeds())
    write(os.path.join(root, 'record_reader'), record_seeds())
    write(os.path.join(root, 'profile_reader'), profile_seeds())
    write(os.path.join(root, 'script_lines'), script_seeds())
    write(os.path.join(root, 'script_commands'), script_seeds())
    write(os.path.join(root, 'headless_game'), script_seeds())
    write(os.path.join(root, 'game_rounds'), rounds_seeds())
    write(os.path.join(root, 'bmp_decoder'), bmp_seeds())


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, 'seeds'))
