#!/usr/bin/env bash
# The game in a real X window, as a person would check it: it starts on a
# private Xvfb, shows a 400 x 300 window titled ミルタスチャレンジ, a click in
# the picture starts a round whose frame carries the status box's pale pink
# (255,234,255) top left, and closing it saves the record, shows どきゅん！！
# and, once that box is confirmed, ends with exit code 0.
#
# usage: xvfb_window_check.sh BUILD_DIR
# Exit 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool or ImageMagick).
# The screenshot of the round is left at BUILD_DIR/e2e-shot.png.
set -uo pipefail

build=${1:?usage: xvfb_window_check.sh BUILD_DIR}
build=$(cd "$build" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"
convert=/usr/bin/convert  # /usr/local/bin/convert may be something else

for tool in Xvfb xdotool xwininfo import identify "$convert"; do
  if ! command -v "$tool" >/dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
for file in "$build/kesto" "$build/dat" "$build/cg"; do
  [[ -e $file ]] || { echo "FAIL: $file is missing (build kesto and stage_assets)"; exit 1; }
done

work=$(mktemp -d /tmp/kesto-e2e.XXXXXX)
xvfbPid=""
gamePid=""
cleanup() {
  [[ -n $gamePid ]] && kill -KILL "$gamePid" 2>/dev/null
  [[ -n $xvfbPid ]] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*"
  [[ -s $work/game.log ]] && { echo "--- game output:"; cat "$work/game.log"; }
  exit 1
}

# A display number nobody uses; another server may win a race for it, so a
# server that dies at once means: try the next one.
for display in $(seq 90 140); do
  [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
  # -noreset: the server must not restart (and refuse the game) when the
  # probe below disconnects as its last client.
  Xvfb ":$display" -screen 0 800x600x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfbPid=$!
  for _ in $(seq 50); do
    DISPLAY=":$display" xwininfo -root >/dev/null 2>&1 && break
    kill -0 "$xvfbPid" 2>/dev/null || break
    sleep 0.1
  done
  if DISPLAY=":$display" xwininfo -root >/dev/null 2>&1; then break; fi
  kill "$xvfbPid" 2>/dev/null
  wait "$xvfbPid" 2>/dev/null
  xvfbPid=""
done
[[ -n $xvfbPid ]] || fail "no Xvfb display could be started"
export DISPLAY=":$display"

# A copy of the program folder, so the player's own dat/my.dat is not touched.
cp "$build/kesto" "$work/"
cp -r "$build/dat" "$build/cg" "$work/"
(cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kesto >"$work/game.log" 2>&1) &
gamePid=$!

# The game's windows by title. SDL writes the title as UTF-8 into
# _NET_WM_NAME but as raw bytes typed STRING into WM_NAME, where
# `xdotool search --name` cannot match Japanese; so the windows are found by
# process and their titles read with getwindowname (_NET_WM_NAME).
windowTitled() {
  local wanted=$1 seconds=$2 id
  for _ in $(seq $((seconds * 10))); do
    kill -0 "$gamePid" 2>/dev/null || return 1
    for id in $(xdotool search --onlyvisible --pid "$gamePid" 2>/dev/null); do
      if [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$wanted" ]]; then
        echo "$id"
        return 0
      fi
    done
    sleep 0.1
  done
  return 1
}

paleCount() {  # pale pink pixels in the status box's area of a screenshot
  "$convert" "$1" -crop 80x20+15+15 +repage txt:- | grep -ci 'FFEAFF'
}

window=$(windowTitled "$title" 15) || fail "no window titled $title appeared"
geometry=$(xwininfo -id "$window")
width=$(awk '/ Width:/ {print $2}' <<<"$geometry")
height=$(awk '/ Height:/ {print $2}' <<<"$geometry")
[[ $width == 400 && $height == 300 ]] || fail "window is ${width}x${height}, not 400x300"

# The title screen must not pass for the play frame.
sleep 0.5
import -window "$window" "$work/title.png" || fail "cannot take a screenshot"
before=$(paleCount "$work/title.png")

xdotool mousemove --window "$window" 200 150 click 1
sleep 1.5
shot="$build/e2e-shot.png"
import -window "$window" "$shot" || fail "cannot take a screenshot"
size=$(identify -format '%wx%h' "$shot")
[[ $size == 400x300 ]] || fail "screenshot is $size, not 400x300"
after=$(paleCount "$shot")
echo "pale pink in the status area: $before of 1600 before the click, $after after"
((before < 200)) || fail "the title screen already shows the status box"
((after >= 400)) || fail "no play frame after the click (see $shot)"

# Close as the window system asks a program to quit, then confirm the save.
recordBefore=$(stat -c %Y.%s "$work/dat/my.dat" 2>/dev/null)
sleep 1  # the record's time stamp must be able to move on
kill -TERM "$gamePid"
box=$(windowTitled "$appTitle" 10) || fail "no save confirmation box titled $appTitle appeared"
# The box took the keyboard when it opened: this is a real key press.
xdotool key Return
for _ in $(seq 50); do
  kill -0 "$gamePid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$gamePid" 2>/dev/null && fail "the game still runs after the confirmation"
wait "$gamePid"
code=$?
gamePid=""
((code == 0)) || fail "the game ended with exit code $code"
[[ $(stat -c %Y.%s "$work/dat/my.dat" 2>/dev/null) != "$recordBefore" ]] || fail "dat/my.dat was not written"

echo "PASS: window $title 400x300, play frame after a click, saved and closed"
