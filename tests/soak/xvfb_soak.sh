#!/usr/bin/env bash
# The game in a real X window for DURATION seconds, pressed at random places
# by xdotool a few times a second (never on the ending screen's end place,
# which would close it). The process must stay alive and show no error box;
# at the end it gets SIGTERM, as at a logout, and must save and exit 0 with
# no box. Reports the game's CPU time and use, and its RSS.
#
# usage: xvfb_soak.sh DURATION [BUILD_DIR]   (BUILD_DIR default: build)
# Exit 0 passed, 1 failed, 77 skipped (no Xvfb or xdotool). Not run in CI.
set -uo pipefail

duration=${1:?usage: xvfb_soak.sh DURATION [BUILD_DIR]}
build=$(cd "${2:-$(dirname "$0")/../../build}" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"

source "$(dirname "$0")/../e2e/xvfb_lib.sh"
xvfb_prepare "$build" soak

(cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kesto >"$work/game.log" 2>&1) &
gamePid=$!

cpuSeconds() {  # utime + stime of the game, in seconds
  awk -v hz="$(getconf CLK_TCK)" '{ sub(/^.*\) /, ""); printf "%.2f", ($12 + $13) / hz }' "/proc/$gamePid/stat"
}
rssKb() { awk '/^VmRSS:/ {print $2}' "/proc/$gamePid/status"; }

window=$(window_titled "$title" 15) || fail "no window titled $title appeared"
sleep 1
cpuStart=$(cpuSeconds)
rssStart=$(rssKb)
start=$(date +%s)
presses=0
nextCheck=$((start + 30))
while (( $(date +%s) - start < duration )); do
  kill -0 "$gamePid" 2>/dev/null || fail "the game died after $presses presses"
  x=$((RANDOM % 400)) y=$((RANDOM % 300))
  ((x <= 56 && y >= 264 && y <= 294)) && continue  # the end place
  xdotool mousemove --window "$window" "$x" "$y" click $((RANDOM % 3 + 1)) 2>/dev/null || fail "cannot press the window"
  presses=$((presses + 1))
  sleep "0.$((RANDOM % 5 + 1))"
  if (( $(date +%s) >= nextCheck )); then
    nextCheck=$(( $(date +%s) + 30 ))
    for id in $(xdotool search --onlyvisible --pid "$gamePid" 2>/dev/null); do
      [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$appTitle" ]] && fail "an error box showed"
    done
    echo "$(( $(date +%s) - start )) s: $presses presses, CPU $(cpuSeconds) s, RSS $(rssKb) kB"
  fi
done
elapsed=$(( $(date +%s) - start ))
cpuEnd=$(cpuSeconds)
rssEnd=$(rssKb)

end_game_cleanly "$appTitle"

awk -v c0="$cpuStart" -v c1="$cpuEnd" -v t="$elapsed" -v n="$presses" -v r0="$rssStart" -v r1="$rssEnd" 'BEGIN {
  printf "PASS: %d s, %d presses, no crash, no error box, saved and closed\n", t, n
  printf "game CPU: %.1f s in %d s = %.1f%% of one core; RSS %d kB -> %d kB\n", c1 - c0, t, 100 * (c1 - c0) / t, r0, r1
}'
