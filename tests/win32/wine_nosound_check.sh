#!/usr/bin/env bash
# kesto.exe under wine with no sound device, on a private Xvfb: wine's audio
# drivers are switched off for the game's process (WINEDLLOVERRIDES, so the
# shared prefix is left as it is), although ALSA would have a device for
# them. The window opens with no box, a click starts a round whose frames
# move on, the console has the one line that says why there is no sound,
# nothing reaches ALSA, and Alt+F4 with the save box confirmed ends it with
# exit code 0.
#
# usage: wine_nosound_check.sh WINDOWS_DIR [SHOTS_DIR]
#   WINDOWS_DIR: kesto.exe with dat/, cg/ and fonts/ (a build or dist/windows)
#   SHOTS_DIR: where the screenshot of the round is left (default WINDOWS_DIR/wine-shots)
# Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

windows=$(cd "${1:?usage: wine_nosound_check.sh WINDOWS_DIR [SHOTS_DIR]}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"
convert=/usr/bin/convert

source "$here/../e2e/xvfb_lib.sh"
source "$here/wine_lib.sh"

for tool in wine wineserver Xvfb xdotool xwininfo import compare "$convert"; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
for file in "$windows/kesto.exe" "$windows/dat" "$windows/cg" "$windows/fonts"; do
  [[ -e $file ]] || { echo "FAIL: $file is missing"; exit 1; }
done

wine_check_start kesto-wine-nosound
shots=${2:-$windows/wine-shots}
mkdir -p "$shots"

game="$work/game"
mkdir -p "$game"
cp "$windows/kesto.exe" "$game/"
[[ ! -e $windows/WAVEMIX.INI ]] || cp "$windows/WAVEMIX.INI" "$game/"
cp -r "$windows/dat" "$windows/cg" "$windows/fonts" "$game/"
wineHome=$(wine_audio_to "$work/cues.wav")

(cd "$game" && HOME=$wineHome WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv,winepulse.drv=d" \
  exec wine "$game/kesto.exe" >"$work/game.log" 2>&1) &
gamePid=$!

window=$(wine_window "$title" 20) || fail "no window titled $title appeared"
sleep 0.5
for box in "Application Error" "$appTitle"; do
  wine_window "$box" 1 >/dev/null && fail "a box titled $box is open"
done

paleCount() { "$convert" "$1" -crop 80x20+15+15 +repage txt:- | grep -ci 'FFEAFF'; }
xdotool mousemove --window "$window" 200 150 click 1
sleep 1.5
shot="$shots/play-no-sound.png"
import -window "$window" "$shot" || fail "cannot take a screenshot"
sleep 0.5
import -window "$window" "$work/later.png" || fail "cannot take a screenshot"
pale=$(paleCount "$shot")
moved=$(compare -metric AE "$shot" "$work/later.png" null: 2>&1)
echo "pale pink in the status area $pale of 1600; $moved pixels changed in half a second"
((pale >= 400)) || fail "no play frame after the click (see $shot)"
[[ $moved =~ ^[0-9]+$ ]] && ((moved > 0)) || fail "the play frame does not move on ($moved)"
[[ ! -s $work/cues.wav ]] || fail "sound reached ALSA although wine has no audio driver"

xdotool windowfocus "$window" 2>/dev/null
xdotool key alt+F4
wine_window "$appTitle" 10 >/dev/null || fail "no save box titled $appTitle appeared"
xdotool key Return
for _ in $(seq 100); do
  kill -0 "$gamePid" 2>/dev/null || break
  sleep 0.1
done
kill -0 "$gamePid" 2>/dev/null && fail "the game still runs after the save box"
wait "$gamePid"
code=$?
gamePid=""
((code == 0)) || fail "the game ended with exit code $code"
tr -d '\r' <"$work/game.log" | grep '^kesto: ' || true
said=$(tr -d '\r' <"$work/game.log" | grep -c '^kesto: playing without sound: No wave output devices available$')
((said == 1)) || fail "$said lines say there is no sound device, not 1"

echo "PASS: kesto.exe under wine without a sound device: window and play frame, no box, one line, exit 0"
