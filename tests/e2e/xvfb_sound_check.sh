#!/usr/bin/env bash
# The game heard in a real window: it runs on a private Xvfb with SDL's disk
# audio driver, which writes what the device plays to a file in real time
# (16-bit stereo at 44100 Hz, as the wave device asks for).
#  1. With the music's soundfont taken away, the title screen is silent and
#     the start click brings the start cue ("1.wav", then "start.wav"): the
#     loudness of the 0.8 s after the click is that of start.wav.
#  2. With the soundfont, the title music sounds before any click.
#
# usage: xvfb_sound_check.sh BUILD_DIR
# Exit 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool or sox).
set -uo pipefail

build=${1:?usage: xvfb_sound_check.sh BUILD_DIR}
build=$(cd "$build" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"
rate=44100
frameBytes=4

source "$(dirname "$0")/xvfb_lib.sh"
xvfb_prepare "$build" sound sox

# Starts the game writing its sound to $work/$1.raw; extra environment follows.
start_game() {
  local out=$work/$1.raw
  shift
  (cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" "$@" ./kesto \
    >"$work/game.log" 2>&1) &
  gamePid=$!
  window=$(window_titled "$title" 15) || fail "no window titled $title appeared"
}

# Seconds of sound written so far.
written() { awk -v b="$(stat -c %s "$1")" -v r=$rate -v f=$frameBytes 'BEGIN { printf "%.3f", b / (r * f) }'; }

# The RMS amplitude (0..1) of FILE from second FROM for DURATION seconds.
rms() {
  sox -t raw -r $rate -e signed -b 16 -c 2 "$1" -n trim "$2" "$3" stat 2>&1 | awk '/RMS +amplitude/ {print $3}'
}


# 1. The cues alone.
start_game cues KESTO_SOUNDFONT=/nonexistent/none.sf2
sleep 1
clickAt=$(written "$work/cues.raw")
xdotool mousemove --window "$window" 200 150 click 1
sleep 2
end_game_cleanly "$appTitle"
quiet=$(rms "$work/cues.raw" 0.2 "$(awk -v c="$clickAt" 'BEGIN { print c - 0.3 }')")
cue=$(rms "$work/cues.raw" "$clickAt" 0.8)
# Over 0.8 s the RMS of start.wav shrinks by sqrt(its length / 0.8).
length=$(soxi -D "$work/dat/start.wav")
expected=$(sox "$work/dat/start.wav" -n stat 2>&1 | awk -v l="$length" '/RMS +amplitude/ {print $3 * sqrt(l / 0.8)}')
echo "cues: title RMS $quiet, 0.8 s after the click at ${clickAt}s RMS $cue (start.wav alone: $expected)"
awk -v t="$quiet" 'BEGIN { exit !(t < 0.001) }' || fail "the title screen is not silent without music"
awk -v c="$cue" -v e="$expected" 'BEGIN { exit !(c > e / 2 && c < e * 2) }' ||
  fail "the start cue's loudness $cue is not that of start.wav ($expected)"

# 2. The title music.
start_game music
sleep 1.5
end_game_cleanly "$appTitle"
music=$(rms "$work/music.raw" 0.3 1)
echo "music: title RMS $music"
awk -v m="$music" 'BEGIN { exit !(m > 0.005) }' || fail "no title music"

echo "PASS: silent title, the start cue after the click, title music with the soundfont"
