#!/usr/bin/env bash
# A whole game heard through the real program: a private Xvfb, SDL's disk
# audio driver (16-bit stereo, 44100 Hz, written as the device plays), a
# fast player clicking every 0.45 s, and two busy loops keeping both cores
# busy the whole time. Two recordings of 60 s:
#  1. the effects alone (no soundfont): bench/sound/effect_gaps.py finds any
#     gap inside an effect (the device running dry while the program was
#     slow to refill a block);
#  2. with the music: the title music before the click, the play (music and
#     effects) and the whole recording, RMS and peak in dBFS with sox, and
#     the clipped samples.
#
# usage: real_game.sh BUILD_DIR [--idle] [--effects-only] [--interval S] [--keep DIR]
#   --idle: no busy loops; --effects-only: the first recording alone;
#   --interval S: an answer every S seconds (0.45; a careful player 1.0);
#   --keep DIR: the recordings are copied into DIR, each with NAME.clicks,
#   the recording's length in bytes at every click (for
#   bench/sound/prominence.py --recording).
# Exit 0 when no effect has a gap and nothing clips, 1 otherwise, 77 when a
# tool is missing.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: real_game.sh BUILD_DIR [--idle] [--effects-only]}
build=$(cd "$build" && pwd)
shift
load=1 music=1 keep="" interval=0.45
while (($#)); do
  case $1 in
    --idle) load=0 ;;
    --effects-only) music=0 ;;
    --keep) keep=$(mkdir -p "${2:?--keep needs a folder}" && cd "$2" && pwd); shift ;;
    --interval) interval=${2:?--interval needs seconds}; shift ;;
    *) echo "real_game.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
title="ミルタスチャレンジ"
seconds=60

source "$here/../../tests/e2e/xvfb_lib.sh"
xvfb_prepare "$build" realgame sox python3

busy=()
stop_busy() {
  local pid
  for pid in "${busy[@]}"; do kill "$pid" 2>/dev/null; done
  busy=()
}
trap 'stop_busy; xvfb_cleanup' EXIT

# record NAME ENV...: one game of $seconds seconds into $work/NAME.raw;
# sets `click` to the second of the start click.
record() {
  local name=$1 out=$work/$1.raw
  shift
  if ((load)); then
    for _ in 1 2; do
      bash -c 'while :; do :; done' &
      busy+=($!)
    done
  fi
  (cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" "$@" ./kesto \
    >"$work/$name.log" 2>&1) &
  gamePid=$!
  local window
  window=$(window_titled "$title" 15) || fail "no window titled $title appeared"
  local began=$SECONDS
  sleep 2
  click=$(awk -v b="$(stat -c %s "$out")" 'BEGIN { printf "%.2f", b / (44100 * 4) }')
  xdotool mousemove --window "$window" 200 150 click 1
  : >"$work/$name.clicks"
  # A player: an answer every $interval s, sides in a fixed irregular order.
  local sides=(100 300 300 100 300 100 100 300 100 300 300 300 100)
  local i=0
  while ((SECONDS - began < seconds - 1)); do
    sleep "$interval"
    xdotool mousemove --window "$window" "${sides[i % ${#sides[@]}]}" 150 click 1
    stat -c %s "$out" >>"$work/$name.clicks"
    ((i += 1))
  done
  kill -KILL "$gamePid" 2>/dev/null
  wait "$gamePid" 2>/dev/null
  gamePid=""
  stop_busy
  [[ -z $keep ]] || cp "$out" "$work/$name.log" "$work/$name.clicks" "$keep/"
}

# level FILE FROM [DURATION]: "RMS dB / peak dB" of the left channel.
level() {
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$1" -n remix 1 trim "$2" ${3:+"$3"} stats 2>&1 |
    awk '/RMS lev dB/ {r = $4} /Pk lev dB/ {p = $4} END {printf "RMS %s dBFS, peak %s dBFS", r, p}'
}

status=0
echo "load: $( ((load)) && echo "two busy loops" || echo none)"

record effects KESTO_SOUNDFONT=/nonexistent/none.sf2
echo "1. effects alone (start click at ${click} s):"
python3 "$here/effect_gaps.py" "$work/effects.raw" "$build" || status=1

((music)) || exit $status
record music
echo "2. with the music (start click at ${click} s):"
echo "  title music:  $(level "$work/music.raw" 0.3 "$(awk -v c="$click" 'BEGIN { print c - 0.5 }')")"
echo "  the play:     $(level "$work/music.raw" "$click" 30)"
echo "  whole record: $(level "$work/music.raw" 0)"
clipped=$(python3 -c '
import array, sys
s = array.array("h", open(sys.argv[1], "rb").read())
print(sum(1 for v in s if v >= 32767 or v <= -32768))' "$work/music.raw")
echo "  clipped samples: $clipped"
((clipped == 0)) || status=1
exit $status
