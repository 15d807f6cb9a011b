#!/usr/bin/env bash
# The game in a real X window, as a person would check it: it starts on a
# private Xvfb, shows a 400 x 300 window titled ミルタスチャレンジ, a click in
# the picture starts a round whose frame carries the status box's pale pink
# (255,234,255) top left, and SIGTERM (a logout) saves the record and ends
# it with exit code 0, with no box.
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

source "$(dirname "$0")/xvfb_lib.sh"
xvfb_prepare "$build" e2e import identify compare "$convert"

(cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kesto >"$work/game.log" 2>&1) &
gamePid=$!

paleCount() {  # pale pink pixels in the status box's area of a screenshot
  "$convert" "$1" -crop 80x20+15+15 +repage txt:- | grep -ci 'FFEAFF'
}

window=$(window_titled "$title" 15) || fail "no window titled $title appeared"
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

# End it as a logout does: saved, no box.
recordBefore=$(stat -c %Y.%s "$work/dat/my.dat" 2>/dev/null)
sleep 1  # the record's time stamp must be able to move on
end_game_cleanly "$appTitle"
[[ $(stat -c %Y.%s "$work/dat/my.dat" 2>/dev/null) != "$recordBefore" ]] || fail "dat/my.dat was not written"

echo "PASS: window $title 400x300, play frame after a click, saved and closed"

# At --scale 2 the window is 800 x 600 and shows every pixel as a 2 x 2
# block: the status box's pale pink fills the doubled area, and a click in
# the doubled picture starts the round.
(cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kesto --scale 2 >"$work/game.log" 2>&1) &
gamePid=$!
window=$(window_titled "$title" 15) || fail "no window at scale 2"
geometry=$(xwininfo -id "$window")
width=$(awk '/ Width:/ {print $2}' <<<"$geometry")
height=$(awk '/ Height:/ {print $2}' <<<"$geometry")
[[ $width == 800 && $height == 600 ]] || fail "window at scale 2 is ${width}x${height}, not 800x600"
xdotool mousemove --window "$window" 400 300 click 1
sleep 1.5
shot2="$build/e2e-shot-scale2.png"
import -window "$window" "$shot2" || fail "cannot take a screenshot at scale 2"
check_doubled "$shot2"
end_game_cleanly "$appTitle"
echo "PASS: window 800x600 at --scale 2, play frame after a click"
