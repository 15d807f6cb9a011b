#!/usr/bin/env python3
"""How late the game's sound effects sound after their cues, for a fast player.

Plays one whole game headless (BUILD/kesto --headless --audio-out) as a fast
player: every answer comes 0.2 s after the second expression appears; the
first twelve are right (level-ups at 6 and 12), then every fourth one is wrong.
The player reads the game's state after every 20 ms tick through a pipe, so
the script it writes (--script-out) replays the same game.

Each cue's time is the virtual time of the tick or click whose trace printed
it. Its onset is found in the recorded audio: with one channel sounding, the
mixer's output is the wave's own samples as the mixer converted them
(`wavemix convert`), so the onset is the first place at or after the cue, and
after the end of the play queued before it on the same channel, where the
whole converted wave (but its last byte, which the mixer never plays)
appears byte for byte. The lag is onset - cue.

usage: cue_lag.py BUILD_DIR [--seed N] [--script-out FILE] [--audio-out FILE.wav] [--json]
BUILD_DIR holds kesto, wavemix and the game folder (dat/, a WAVEMIX.INI if any).
"""
import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import wave

TICK_MS = 20
ANSWER_DELAY_MS = 200
LEFT, RIGHT = (100, 150), (300, 150)


def side_value(level, first, second):
    if level < 6:
        return first
    if level < 12:
        return first + second
    return first - second


class Game:
    """kesto --headless driven line by line: every command is followed by
    `state`, and the cues it printed come back with the state."""

    def __init__(self, kesto, seed, audio_out):
        self.proc = subprocess.Popen([kesto, "--headless", "--seed", str(seed), "--audio-out", audio_out],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.now_ms = 0
        self.script = []
        self.cues = []  # (ms, operation, name)

    def run(self, command):
        self.script.append(command)
        self.proc.stdin.write(command + "\nstate\n")
        self.proc.stdin.flush()
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("kesto ended early")
            record = json.loads(line)
            if "cue" in record:
                self.cues.append((self.now_ms, record["cue"], record["name"]))
            elif "phase" in record:
                return record

    def tick(self):
        self.now_ms += TICK_MS
        return self.run("tick")

    def finish(self):
        self.proc.stdin.close()
        self.proc.wait()
        if self.proc.returncode != 0:
            raise RuntimeError(f"kesto exited {self.proc.returncode}")


def answer_until_game_over(game, state, delay_ms):
    """Plays from the start click to the game's end as a player would: each
    answer `delay_ms` after the second expression shows, every fourth one
    wrong from the 13th on. Returns the number of answers."""
    answers = 0
    shown_at = None
    answered = False
    while not state["gameOver"]:
        state = game.tick()
        phase = state["phase"]
        if phase < 9:
            shown_at, answered = None, False
        elif phase < 100 and not answered:
            if shown_at is None:
                shown_at = game.now_ms
            elif game.now_ms - shown_at >= delay_ms:
                level = state["level"]
                left = side_value(level, state["leftFirst"], state["leftSecond"])
                right = side_value(level, state["rightFirst"], state["rightSecond"])
                right_answer = RIGHT if right > left else LEFT
                wrong = answers >= 12 and answers % 4 == 3
                x, y = (LEFT if right_answer == RIGHT else RIGHT) if wrong else right_answer
                state = game.run(f"click {x} {y}")
                answers += 1
                answered = True
    return answers


def play_fast_game(kesto, seed, audio_out):
    game = Game(kesto, seed, audio_out)
    answers = answer_until_game_over(game, game.run("click 200 150"), ANSWER_DELAY_MS)
    # A minute more: effects queued far behind still get recorded.
    game.now_ms += 3000 * TICK_MS
    game.run("tick 3000")
    game.finish()
    return game, answers


def converted(wavemix, path, rate, channels):
    with tempfile.NamedTemporaryFile(suffix=".raw") as out:
        args = [wavemix, "convert", "--rate", {11025: "11", 22050: "22", 44100: "44"}[rate]]
        if channels == 2:
            args.append("--stereo")
        subprocess.run(args + [path, out.name], check=True)
        return open(out.name, "rb").read()


def measure(build, seed, script_out=None, audio_out=None):
    kesto = os.path.join(build, "kesto")
    wavemix = os.path.join(build, "wavemix")
    with tempfile.TemporaryDirectory() as work:
        audio_path = audio_out or os.path.join(work, "game.wav")
        game, answers = play_fast_game(kesto, seed, audio_path)
        with wave.open(audio_path, "rb") as w:
            rate, channels, width = w.getframerate(), w.getnchannels(), w.getsampwidth()
            audio = w.readframes(w.getnframes())
    if width != 1:
        raise RuntimeError("expected the mixer's 8-bit output")
    if script_out:
        with open(script_out, "w") as f:
            f.write(f"# fast player, kesto --headless --seed {seed}\n" + "\n".join(game.script) + "\n")

    frame = channels
    samples = {}
    next_free = {}  # channel -> first byte after the play queued last
    lags = []
    missing = []
    for ms, operation, name in game.cues:
        if not operation.startswith("CueSound"):
            continue
        channel = operation[-1]
        if name not in samples:
            samples[name] = converted(wavemix, os.path.join(build, "dat", name), rate, channels)
        # A play sounds its wave's bytes but the last (the mixer's end is inclusive).
        data = samples[name][:-1]
        cue_byte = ms * rate // 1000 * frame
        at = audio.find(data, max(cue_byte, next_free.get(channel, 0)))
        if at < 0:
            missing.append((ms, name))
            continue
        next_free[channel] = at + len(data)
        lags.append(((at - cue_byte) / frame * 1000.0 / rate, ms, name))

    if not lags:
        raise RuntimeError("no effect was found in the recording")
    values = sorted(lag for lag, _, _ in lags)
    worst = max(lags)
    game_over = [lag for lag, _, name in lags if name == "katan.wav"]
    return {
        "build": build,
        "seed": seed,
        "output": f"{rate} Hz, {channels} channel(s)",
        "answers": answers,
        "effects": len(lags),
        "missing": missing,
        "median_ms": round(statistics.median(values), 1),
        "p90_ms": round(values[int(0.9 * (len(values) - 1))], 1),
        "worst_ms": round(worst[0], 1),
        "worst_cue": f"{worst[2]} at {worst[1] / 1000:.2f} s",
        "game_over_ms": round(game_over[0], 1) if game_over else None,
        "delayed": sum(1 for v in values if v > 0),
        "over_100ms": sum(1 for v in values if v > 100),
        "last_effect_end_s": round(max(next_free.values()) / frame / rate, 2),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("build")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--script-out")
    parser.add_argument("--audio-out")
    parser.add_argument("--json", action="store_true", help="print the figures as one JSON object")
    args = parser.parse_args()
    result = measure(os.path.abspath(args.build), args.seed, args.script_out, args.audio_out)
    if args.json:
        print(json.dumps(result))
    else:
        for key, value in result.items():
            print(f"{key:18} {value}")
    return 0 if not result["missing"] else 1


if __name__ == "__main__":
    sys.exit(main())
