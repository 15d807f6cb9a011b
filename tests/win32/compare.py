#!/usr/bin/env python3
"""The byte and picture comparisons of the wine checks.

  compare.py trembled REF.rgb SHOT.rgb   SHOT (400 x 300, 8-bit RGB) is REF
      copied as the title frame copies it: stretched by pixel repetition onto
      (-a, -b, 400 + c, 300 + d) for some a, b, c, d in 0..4; prints them.
  compare.py contains FILE PART [SKIP LENGTH]   FILE holds LENGTH bytes of
      PART from offset SKIP (default: all of PART).
  compare.py crlf FILE LINES   FILE is LINES lines, each ending with CR LF.
  compare.py same A B [SKIP_A SKIP_B]   the bytes of A from SKIP_A equal
      those of B from SKIP_B, over the shorter length; prints the length.
  compare.py sound A.wav B.wav BYTES   after the leading silence (0x80) of
      each 8-bit WAVE file, both hold the same BYTES bytes at least.
Exit 0 when it holds, 1 when not."""
import sys

W, H = 400, 300


def trembled(ref_path, shot_path):
    ref, shot = open(ref_path, "rb").read(), open(shot_path, "rb").read()
    if len(ref) != W * H * 3 or len(shot) != W * H * 3:
        print("both pictures must be 400 x 300")
        return 1
    ref_rows = [ref[y * W * 3:(y + 1) * W * 3] for y in range(H)]
    shot_rows = [shot[y * W * 3:(y + 1) * W * 3] for y in range(H)]
    for a in range(5):
        for c in range(5):
            columns = [(x + a) * W // (W + a + c) for x in range(W)]
            remapped = {}

            def row(sy):
                if sy not in remapped:
                    r = ref_rows[sy]
                    remapped[sy] = b"".join(r[3 * sx:3 * sx + 3] for sx in columns)
                return remapped[sy]

            for b in range(5):
                for d in range(5):
                    if all(row((y + b) * H // (H + b + d)) == shot_rows[y] for y in range(H)):
                        print(f"equal to the reference stretched onto ({-a}, {-b}, {W + c}, {H + d})")
                        return 0
    print("no trembled copy of the reference matches")
    return 1


def contains(path, part_path, skip=0, length=None):
    data, part = open(path, "rb").read(), open(part_path, "rb").read()
    part = part[int(skip):] if length is None else part[int(skip):int(skip) + int(length)]
    at = data.find(part)
    print(f"{len(part)} bytes {'found at ' + str(at) if at >= 0 else 'not found'}")
    return 0 if at >= 0 and part else 1


def crlf(path, lines):
    data = open(path, "rb").read()
    parts = data.split(b"\r\n")
    ok = parts[-1] == b"" and len(parts) - 1 == int(lines) and all(b"\r" not in p and b"\n" not in p for p in parts)
    print(f"{path}: {data!r}")
    return 0 if ok else 1


def same(a_path, b_path, skip_a=0, skip_b=0):
    a, b = open(a_path, "rb").read()[int(skip_a):], open(b_path, "rb").read()[int(skip_b):]
    n = min(len(a), len(b))
    differ = next((i for i in range(n) if a[i] != b[i]), None)
    print(f"{n} bytes compared" + ("" if differ is None else f", first difference at {differ}"))
    return 0 if n > 0 and differ is None else 1


def wave_data(path):
    data = open(path, "rb").read()
    at = data.find(b"data")
    if data[:4] != b"RIFF" or at < 0:
        raise SystemExit(f"{path}: not a WAVE file")
    return data[at + 8:]


def sound(a_path, b_path, least):
    a, b = wave_data(a_path).lstrip(b"\x80"), wave_data(b_path).lstrip(b"\x80")
    n = min(len(a), len(b))
    differ = next((i for i in range(n) if a[i] != b[i]), None)
    print(f"after the leading silence: {len(a)} and {len(b)} bytes, {n} compared"
          + ("" if differ is None else f", first difference at {differ}"))
    return 0 if n >= int(least) and differ is None else 1


if __name__ == "__main__":
    commands = {"trembled": trembled, "contains": contains, "crlf": crlf, "same": same, "sound": sound}
    if len(sys.argv) < 2 or sys.argv[1] not in commands:
        sys.exit(__doc__)
    sys.exit(commands[sys.argv[1]](*sys.argv[2:]))
