#!/usr/bin/env python3
"""Finds gaps inside the effects of a game recorded by SDL's disk driver.

The recording (16-bit stereo, 44100 Hz, raw) must hold the effects alone (no
music) with the game's mixer at 44100 Hz, 8-bit mono (the shipped
WAVEMIX.INI): then every sample is an 8-bit mixer sample moved to 16 bits,
and a play that sounded whole shows as its converted wave (`wavemix convert
--rate 44`, all but the last byte, which the mixer never plays), byte for
byte. Every sounding sample that no whole effect explains belongs to an
effect that was cut: the device ran dry inside it.

usage: effect_gaps.py RECORDING.raw BUILD_DIR
Prints the effects found, the unexplained samples and where they are; exits
1 when there are any.
"""
import array
import os
import subprocess
import sys
import tempfile

NAMES = ["1.wav", "start.wav", "good.wav", "gya1.wav", "time.wav", "lv.wav", "katan.wav", "yatta.wav"]
RATE = 44100


def converted(wavemix, path):
    with tempfile.NamedTemporaryFile(suffix=".raw") as out:
        subprocess.run([wavemix, "convert", "--rate", "44", path, out.name], check=True)
        return open(out.name, "rb").read()[:-1]


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    recording, build = sys.argv[1], sys.argv[2]
    samples = array.array("h")
    with open(recording, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    left, right = samples[0::2], samples[1::2]
    # SDL widens a loud 8-bit sample through floating point, a step short of
    # the shifted value (0xC2 becomes 0x41FF): within one of a multiple of
    # 256 is the mixer's sample.
    if left != right or any(1 < v & 0xFF < 255 for v in left):
        print("the recording is not the 8-bit mono mixer alone (music on, or another format)")
        return 2
    audio = bytes((((v + 128) >> 8) + 128) & 0xFF for v in left)

    explained = bytearray(len(audio))
    found = {}
    for name in NAMES:
        data = converted(os.path.join(build, "wavemix"), os.path.join(build, "dat", name))
        at = audio.find(data)
        while at >= 0:
            explained[at:at + len(data)] = b"\1" * len(data)
            found[name] = found.get(name, 0) + 1
            at = audio.find(data, at + len(data))

    stray = [i for i, b in enumerate(audio) if b != 0x80 and not explained[i]]
    runs = []
    for i in stray:
        if runs and i - runs[-1][1] < RATE // 100:
            runs[-1][1] = i
        else:
            runs.append([i, i])
    print(f"recorded {len(audio) / RATE:.1f} s")
    print("effects found whole: " + ", ".join(f"{n} x{c}" for n, c in sorted(found.items())))
    print(f"sounding samples outside whole effects: {len(stray)} in {len(runs)} place(s)")
    for start, end in runs[:10]:
        print(f"  {start / RATE:.3f} s to {end / RATE:.3f} s")
    return 1 if stray else 0


if __name__ == "__main__":
    sys.exit(main())
