#!/usr/bin/env bash
# The game in a real X window on a machine without sound: SDL is given an
# audio driver that cannot play, once alsa with a device name that does not
# exist (the driver starts, the device will not open) and once a driver that
# does not exist (no device at all). Each time the window opens, a click
# starts a round whose frames move on, stderr has the one line that says why
# there is no sound, and SIGTERM ends the game with exit code 0.
#
# usage: xvfb_nosound_check.sh BUILD_DIR
# Exit 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool or ImageMagick).
# The screenshots of the rounds are left at BUILD_DIR/e2e-nosound-*.png.
set -uo pipefail

build=${1:?usage: xvfb_nosound_check.sh BUILD_DIR}
build=$(cd "$build" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"
convert=/usr/bin/convert  # /usr/local/bin/convert may be something else

source "$(dirname "$0")/xvfb_lib.sh"
xvfb_prepare "$build" e2e-nosound import identify compare "$convert"

paleCount() {  # pale pink pixels in the status box's area of a screenshot
  "$convert" "$1" -crop 80x20+15+15 +repage txt:- | grep -ci 'FFEAFF'
}

# driver, the name for the screenshot, the reason the line must give
cases=(
  "alsa|alsa|Failed to open waveform output device #"
  "kesto-none|no-driver|No wave output devices available"
)
for entry in "${cases[@]}"; do
  IFS='|' read -r driver name reason <<<"$entry"
  (cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER="$driver" AUDIODEV=kesto-none-device \
    ./kesto >"$work/game.log" 2>&1) &
  gamePid=$!
  window=$(window_titled "$title" 15) || fail "$name: no window titled $title appeared"
  sleep 0.5
  xdotool mousemove --window "$window" 200 150 click 1
  sleep 1.5
  shot="$build/e2e-nosound-$name.png"
  import -window "$window" "$shot" || fail "$name: cannot take a screenshot"
  sleep 0.5
  import -window "$window" "$work/later.png" || fail "$name: cannot take a screenshot"
  pale=$(paleCount "$shot")
  moved=$(compare -metric AE "$shot" "$work/later.png" null: 2>&1)
  echo "$name: pale pink in the status area $pale of 1600; $moved pixels changed in half a second"
  ((pale >= 400)) || fail "$name: no play frame after the click (see $shot)"
  [[ $moved =~ ^[0-9]+$ ]] && ((moved > 0)) || fail "$name: the play frame does not move on ($moved)"
  said=$(grep -c '^kesto: playing without sound: ' "$work/game.log")
  ((said == 1)) || fail "$name: $said lines say there is no sound, not 1"
  grep -q "^kesto: playing without sound: $reason" "$work/game.log" ||
    fail "$name: the line does not say '$reason'"
  grep '^kesto: playing without sound: ' "$work/game.log"
  window_titled "$appTitle" 1 >/dev/null && fail "$name: a box is open"
  end_game_cleanly "$appTitle"
  echo "PASS: $name: the window plays silently and says why once"
done
