#!/usr/bin/env python3
"""How well the answer sounds stand out of the music, in whole games.

Plays whole games headless (BUILD/kesto --headless --audio-out), a fast
player (an answer 0.2 s after the second expression shows) and a careful one
(1 s), as bench/sound/cue_lag.py plays them, after 2 s on the title. The
effects come out of the mixer's virtual device byte for byte as the sound
card would get them, each cue with its virtual time. The music is rendered
by FluidSynth (the fluidsynth program, the game's soundfont and gain), each
piece from the time of its cue, and added to the effects as the SDL backend
adds them (the mixer's 8-bit samples widened to 16 bits, the music added,
saturating). On that mix, for every answer effect (good.wav, gya1.wav):

  prominence = RMS of the mix over the effect's length from its onset
               - RMS of the 200 ms of mix before its cue            (dB)

and, for the game: the level-up fanfare's length and whether it rises (the
pitch of its last part above that of its first), the RMS of the title and
play music, the samples that clip, and the worst lag of an answer effect.

--check holds the shipped files to these: prominence median >= 8 dB and
every one >= 4 dB, the fanfare >= 0.3 s and rising, title and play music
within 3 dB RMS, nothing clips, every answer effect within 100 ms of its cue.

--recording RAW CLICKS measures a real game instead: RAW as SDL's disk
driver wrote it (16-bit stereo, 44100 Hz) and CLICKS the recording's length
in bytes at each click (bench/sound/real_game.sh --keep writes both). The
driver writes ahead of what is heard, so an answer's effect lies from 300 ms
before to 100 ms after the recording's length at its click; it is found
there by correlating the recording with the effect as the mixer plays it.
Its cue is unknown in a real game: the 200 ms of mix before it end LEAD_MS
(the shipped mixer's lead, 35 ms) before the onset.

usage: prominence.py BUILD_DIR [--soundfont SF2] [--check] [--json] [--keep DIR]
       prominence.py BUILD_DIR --recording RAW CLICKS [--json]
Exit 0 (or, with --check, 0 when every figure holds, 1 when one fails), 77
when fluidsynth or the soundfont is missing.
"""
import argparse
import array
import json
import math
import operator
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import wave

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cue_lag  # noqa: E402

RATE = 44100
GAIN = 0.9  # platform/sdl/FluidMusic.cpp
TITLE_MS = 2000
LEAD_MS = 35  # assets/WAVEMIX.INI: three blocks of 512 bytes at 44100 Hz
ANSWER_EFFECTS = ("good.wav", "gya1.wav")
PLAYERS = (("fast", 200), ("careful", 1000))


def play(kesto, seed, audio_out, delay_ms):
    """One game: the title for TITLE_MS, then answers `delay_ms` after the
    second expression shows (every fourth wrong from the 13th on)."""
    game = cue_lag.Game(kesto, seed, audio_out)
    game.run(f"tick {TITLE_MS // cue_lag.TICK_MS}")
    game.now_ms = TITLE_MS
    cue_lag.answer_until_game_over(game, game.run("click 200 150"), delay_ms)
    game.now_ms += 250 * cue_lag.TICK_MS
    game.run("tick 250")
    game.finish()
    return game


def render_music(soundfont, path, work):
    out = os.path.join(work, os.path.basename(path) + ".raw")
    if not os.path.exists(out):
        subprocess.run(["fluidsynth", "-ni", "-q", "-g", str(GAIN), "-r", str(RATE), "-O", "s16", "-T", "raw",
                        "-F", out, soundfont, path], check=True, stdout=subprocess.DEVNULL)
    stereo = array.array("h", open(out, "rb").read())
    return stereo[0::2]  # the left channel; our pieces are centred


def rms_db(samples):
    if not samples:
        return -math.inf
    mean = sum(v * v for v in samples) / len(samples)
    return 10 * math.log10(mean / 32768.0 ** 2) if mean > 0 else -math.inf


def rises(samples):
    """Zero crossings a second in the first and last third."""
    def rate(part):
        crossings = sum(1 for a, b in zip(part, part[1:]) if (a < 0) != (b < 0))
        return crossings * RATE / max(len(part), 1)
    third = len(samples) // 3
    return rate(samples[:third]), rate(samples[-third:])


def game_figures(build, soundfont, seed, delay_ms, work, keep=None, name="game"):
    kesto = os.path.join(build, "kesto")
    wavemix = os.path.join(build, "wavemix")
    audio_path = os.path.join(work, name + ".wav")
    game = play(kesto, seed, audio_path, delay_ms)
    with wave.open(audio_path, "rb") as w:
        if (w.getframerate(), w.getnchannels(), w.getsampwidth()) != (RATE, 1, 1):
            raise RuntimeError("expected the mixer's 8-bit mono output at 44100 Hz")
        effects = w.readframes(w.getnframes())

    mix = array.array("i", ((b - 128) << 8 for b in effects))
    pieces = [(ms, n) for ms, op, n in game.cues if op == "CueMusic"]
    for i, (ms, piece) in enumerate(pieces):
        music = render_music(soundfont, os.path.join(build, "dat", piece), work)
        start = ms * RATE // 1000
        end = pieces[i + 1][0] * RATE // 1000 if i + 1 < len(pieces) else len(mix)
        for j in range(start, min(end, start + len(music), len(mix))):
            mix[j] += music[j - start]
    clipped = 0
    for j, v in enumerate(mix):
        if v > 32767 or v < -32768:
            clipped += 1
            mix[j] = max(-32768, min(32767, v))
    if keep:
        with wave.open(os.path.join(keep, name + "-mix.wav"), "wb") as w:
            w.setnchannels(1)
            w.setsampwidth(2)
            w.setframerate(RATE)
            w.writeframes(array.array("h", mix).tobytes())

    samples, next_free, found = {}, {}, []
    for ms, operation, effect in game.cues:
        if not operation.startswith("CueSound"):
            continue
        if effect not in samples:
            samples[effect] = cue_lag.converted(wavemix, os.path.join(build, "dat", effect), RATE, 1)
        data = samples[effect][:-1]
        cue = ms * RATE // 1000
        at = effects.find(data, max(cue, next_free.get(operation, 0)))
        if at < 0:
            raise RuntimeError(f"{effect} cued at {ms} ms is not in the recording")
        next_free[operation] = at + len(data)
        found.append((effect, cue, at, len(data)))

    prominence, lags = [], []
    for effect, cue, at, length in found:
        if effect not in ANSWER_EFFECTS:
            continue
        before = mix[max(cue - RATE // 5, 0):cue]
        prominence.append(rms_db(mix[at:at + length]) - rms_db(before))
        lags.append((at - cue) * 1000.0 / RATE)
    fanfare = [(cue, at, length) for effect, cue, at, length in found if effect == "lv.wav"]
    title = [ms for ms, n in pieces if n == "kuvol.mid"][0]
    play_at = [ms for ms, n in pieces if n == "T_ssix05.mid"][0]
    return {
        "answers": len(prominence),
        "prominence_median_db": round(statistics.median(prominence), 1),
        "prominence_worst_db": round(min(prominence), 1),
        "answer_lag_worst_ms": round(max(lags), 1),
        "fanfares": len(fanfare),
        "clipped_samples": clipped,
        "title_mix_rms_db": round(rms_db(mix[title * RATE // 1000 + RATE // 10:play_at * RATE // 1000]), 1),
    }


def measure(build, soundfont, seed=1, keep=None):
    with tempfile.TemporaryDirectory() as work:
        result = {"build": build}
        for name, delay in PLAYERS:
            result[name] = game_figures(build, soundfont, seed, delay, work, keep, name)
        for piece in ("kuvol.mid", "T_ssix05.mid"):
            music = render_music(soundfont, os.path.join(build, "dat", piece), work)
            result[piece + "_rms_db"] = round(rms_db(music), 1)
        raw = cue_lag.converted(os.path.join(build, "wavemix"), os.path.join(build, "dat", "lv.wav"), RATE, 1)
        lv = [(b - 128) << 8 for b in raw]
        first, last = rises(lv)
        result["fanfare_s"] = round(len(lv) / RATE, 3)
        result["fanfare_crossings_first_last_hz"] = [round(first), round(last)]
    return result


def dot(a, b):
    return sum(map(operator.mul, a, b))


def recorded_figures(build, raw, clicks):
    left = array.array("h", open(raw, "rb").read())[0::2]
    wavemix = os.path.join(build, "wavemix")
    effects = {}
    for name in ANSWER_EFFECTS:
        data = cue_lag.converted(wavemix, os.path.join(build, "dat", name), RATE, 1)[:-1]
        full = array.array("h", ((b - 128) << 8 for b in data))
        effects[name] = (full, full[::8], math.sqrt(dot(full[::8], full[::8])))
    found = []
    for line in open(clicks):
        if not line.strip():
            continue
        at = int(line) // 4
        lo, hi = max(at - RATE * 3 // 10, 0), min(at + RATE // 10, len(left))
        best = (0.6, None, 0)
        for name, (full, small, norm) in effects.items():
            span = left[lo:hi + len(full):8]
            for k in range(0, max(len(span) - len(small), 0)):
                part = span[k:k + len(small)]
                energy = dot(part, part)
                if energy <= 0:
                    continue
                corr = dot(part, small) / (norm * math.sqrt(energy))
                if corr > best[0]:
                    best = (corr, name, lo + 8 * k)
        _, name, rough = best
        if name is None:
            continue
        full = effects[name][0]
        onset = max(range(max(rough - 8, 0), rough + 9), key=lambda o: dot(left[o:o + len(full)], full))
        cue = onset - LEAD_MS * RATE // 1000
        before = left[max(cue - RATE // 5, 0):cue]
        found.append((name, rms_db(left[onset:onset + len(full)]) - rms_db(before), onset / RATE))
    prominence = [p for _, p, _ in found]
    peak = max(abs(v) for v in left) if left else 0
    return {
        "answers_found": len(found),
        "good": sum(1 for n, _, _ in found if n == "good.wav"),
        "wrong": sum(1 for n, _, _ in found if n == "gya1.wav"),
        "lowest": [f"{n} at {t:.2f} s: {p:.1f} dB" for n, p, t in sorted(found, key=lambda f: f[1])[:4]],
        "prominence_median_db": round(statistics.median(prominence), 1) if prominence else None,
        "prominence_worst_db": round(min(prominence), 1) if prominence else None,
        "peak_dbfs": round(20 * math.log10(peak / 32768.0), 1) if peak else None,
        "clipped_samples": sum(1 for v in left if v >= 32767 or v <= -32768),
    }


def failures(r):
    bad = []
    for name, _ in PLAYERS:
        g = r[name]
        if g["prominence_median_db"] < 8:
            bad.append(f"{name}: prominence median {g['prominence_median_db']} dB < 8")
        if g["prominence_worst_db"] < 4:
            bad.append(f"{name}: prominence worst {g['prominence_worst_db']} dB < 4")
        if g["answer_lag_worst_ms"] > 100:
            bad.append(f"{name}: answer lag {g['answer_lag_worst_ms']} ms > 100")
        if g["clipped_samples"]:
            bad.append(f"{name}: {g['clipped_samples']} samples clip")
    if r["fanfare_s"] < 0.3:
        bad.append(f"fanfare {r['fanfare_s']} s < 0.3")
    first, last = r["fanfare_crossings_first_last_hz"]
    if last <= first:
        bad.append("the fanfare does not rise")
    if abs(r["kuvol.mid_rms_db"] - r["T_ssix05.mid_rms_db"]) > 3:
        bad.append("title and play music more than 3 dB apart")
    return bad


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--soundfont", default="/usr/share/sounds/sf2/TimGM6mb.sf2")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--check", action="store_true")
    parser.add_argument("--json", action="store_true")
    parser.add_argument("--keep", help="a folder for the two games' mixes")
    parser.add_argument("--recording", nargs=2, metavar=("RAW", "CLICKS"))
    args = parser.parse_args()
    if args.recording:
        result = recorded_figures(os.path.abspath(args.build), *args.recording)
        print(json.dumps(result) if args.json else "\n".join(f"{k:22} {v}" for k, v in result.items()))
        return 0
    if not shutil.which("fluidsynth") or not os.path.exists(args.soundfont):
        print("prominence.py: needs fluidsynth and " + args.soundfont, file=sys.stderr)
        return 77
    if args.keep:
        os.makedirs(args.keep, exist_ok=True)
    result = measure(os.path.abspath(args.build), args.soundfont, args.seed, args.keep)
    if args.json:
        print(json.dumps(result))
    else:
        for key, value in result.items():
            print(f"{key:34} {value}")
    if not args.check:
        return 0
    bad = failures(result)
    for line in bad:
        print("FAIL " + line, file=sys.stderr)
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
