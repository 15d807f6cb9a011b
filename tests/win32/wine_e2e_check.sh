#!/usr/bin/env bash
# kesto.exe under wine on a private Xvfb, checked as a player would see it:
# from a game folder whose path holds Japanese characters, a window titled
# ミルタスチャレンジ with a 400 x 300 client area; its title picture equals
# the Linux headless title frame (as the title's trembling copy places it);
# a click starts the game (the status box's pale pink appears) and the start
# cue's bytes reach wine's wave-out device, captured through ALSA's file
# output; Alt+F4, the window system's close, brings the save box and, once
# confirmed, exit code 0 and dat/my.dat in CR LF lines. A read-only
# dat/my.dat gives the failed-save box, whose second button quits without
# saving. At --scale 2 the client area is 800 x 600, every picture pixel a
# 2 x 2 block, and a click on the doubled picture starts the game; F11 fills
# the screen and gives the window back. The end of the session saves the
# record too. A bad option, with nowhere to print, comes in a box. Then, with
# dat/my.dat missing, the error box. All on a 1280 x 800 screen, where the
# default scale is 1. Prints the start-up time to the first title frame and
# the title's idle CPU.
#
# usage: wine_e2e_check.sh WINDOWS_DIR LINUX_BUILD_DIR [SHOTS_DIR]
#   WINDOWS_DIR: kesto.exe with dat/, cg/ and fonts/ (a build or dist/windows)
#   LINUX_BUILD_DIR: the Linux build (its kesto and wavemix give the references)
#   SHOTS_DIR: where the screenshots are left (default WINDOWS_DIR/wine-shots)
# Exit 0 passed, 1 failed, 77 skipped (a tool is missing).
set -uo pipefail

windows=$(cd "${1:?usage: wine_e2e_check.sh WINDOWS_DIR LINUX_BUILD_DIR}" && pwd)
linux=$(cd "${2:?usage: wine_e2e_check.sh WINDOWS_DIR LINUX_BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"
convert=/usr/bin/convert

source "$here/../e2e/xvfb_lib.sh"
source "$here/wine_lib.sh"

for tool in wine wineserver Xvfb xdotool xwininfo import identify compare "$convert" python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
for file in "$windows/kesto.exe" "$windows/WAVEMIX.INI" "$windows/dat" "$windows/cg" "$windows/fonts/ipagp.ttf" "$linux/kesto" "$linux/wavemix"; do
  [[ -e $file ]] || { echo "FAIL: $file is missing"; exit 1; }
done

wine_check_start kesto-wine
shots=${3:-$windows/wine-shots}
mkdir -p "$shots"

game="$work/ミルタス ゲーム"
mkdir -p "$game"
cp "$windows/kesto.exe" "$windows/WAVEMIX.INI" "$game/"
cp -r "$windows/dat" "$windows/cg" "$windows/fonts" "$game/"
wineHome=$(wine_audio_to "$work/cues.wav")
# The prefix's server and services, started ahead as a player's system has
# them running: the start-up measured below is the game's own.
wineserver -p 30
wine cmd /c exit 0 >/dev/null 2>&1
rel() { python3 -c "import sys; print(f'{float(sys.argv[1]) - float(sys.argv[2]):.2f}')" "$@"; }


launch() {
  (cd "$game" && HOME=$wineHome exec wine "$game/kesto.exe" "$@" >"$work/game.log" 2>&1) &
  gamePid=$!
}

# client_size WINDOW: WIDTHxHEIGHT of its client area.
client_size() {
  local geometry
  geometry=$(xwininfo -id "$1")
  echo "$(awk '/ Width:/ {print $2}' <<<"$geometry")x$(awk '/ Height:/ {print $2}' <<<"$geometry")"
}

# wait_exit SECONDS: waits for the game to end; its exit code in `code`.
wait_exit() {
  for _ in $(seq $(($1 * 10))); do
    kill -0 "$gamePid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$gamePid" 2>/dev/null && return 1
  wait "$gamePid"
  code=$?
  gamePid=""
}

# --- Start-up: the window and its first title frame.
start=$(date +%s.%N)
launch
window=$(wine_window "$title" 20) || fail "no window titled $title appeared"
shown=$(date +%s.%N)
# The first frame: the picture's many colours instead of an empty client area.
for _ in $(seq 100); do
  import -window "$window" "$work/first.png" 2>/dev/null &&
    (($(identify -format '%k' "$work/first.png") > 50)) && break
  sleep 0.02
done
framed=$(date +%s.%N)
echo "start-up: window after $(rel "$shown" "$start") s, first title frame after $(rel "$framed" "$start") s"

size=$(client_size "$window")
[[ $size == 400x300 ]] || fail "the client area is $size, not 400x300"

# --- The title picture against the Linux headless title frame before its
# first tick; the title trembles, so the shot is one of its trembling copies.
printf 'shot %s\n' "$work/reference.png" | "$linux/kesto" --headless --seed 1 >/dev/null ||
  fail "the Linux headless runner gave no title frame"
import -window "$window" "$shots/title.png" || fail "cannot take a screenshot"
"$convert" "$work/reference.png" -depth 8 "rgb:$work/reference.rgb"
"$convert" "$shots/title.png" -depth 8 "rgb:$work/title.rgb"
python3 "$here/compare.py" trembled "$work/reference.rgb" "$work/title.rgb" ||
  fail "the title picture differs from the Linux headless title frame (see $shots/title.png)"

# --- Idle CPU on the title, over 3 s, of the game's process.
ticks() { awk '{print $14 + $15}' "/proc/$gamePid/stat"; }
before=$(ticks)
sleep 3
after=$(ticks)
echo "idle CPU on the title: $(python3 -c "print(f'{($after - $before) / $(getconf CLK_TCK) / 3 * 100:.1f}')") % of one core"

# --- The start click: the play frame and the start cue on the wave device.
paleCount() { "$convert" "$1" -crop 80x20+15+15 +repage txt:- | grep -ci 'FFEAFF'; }
xdotool mousemove --window "$window" 200 150 click 1
sleep 1.5
import -window "$window" "$shots/play.png" || fail "cannot take a screenshot"
pale=$(paleCount "$shots/play.png")
echo "pale pink in the status area after the click: $pale of 1600"
((pale >= 400)) || fail "no play frame after the click (see $shots/play.png)"
# The mixer holds start.wav as `wavemix convert` writes it; playing alone
# on channel 0, its bytes leave the mixer as they are.
"$linux/wavemix" convert "$game/dat/start.wav" "$work/start.raw" || fail "wavemix convert failed"
python3 "$here/compare.py" contains "$work/cues.wav" "$work/start.raw" 200 4000 ||
  fail "the start cue's bytes are not in wine's wave output"

# --- Close through the window system, confirm the save, exit 0, CR LF.
xdotool windowfocus "$window" 2>/dev/null
xdotool key alt+F4
box=$(wine_window "$appTitle" 10) || fail "no save box titled $appTitle appeared"
import -window root "$shots/save-box.png"
xdotool key Return
wait_exit 10 || fail "the game still runs after the save box"
((code == 0)) || fail "the game ended with exit code $code"
python3 "$here/compare.py" crlf "$game/dat/my.dat" 5 || fail "dat/my.dat is not five CR LF lines"

# --- A read-only record: the close fails with the error box, whose second
# button (Tab to it, Space) quits without saving; the record is as it was.
cp "$game/dat/my.dat" "$work/kept.dat"
chmod a-w "$game/dat/my.dat"
launch
window=$(wine_window "$title" 20) || fail "no window titled $title appeared with a read-only record"
xdotool windowfocus "$window" 2>/dev/null
xdotool key alt+F4
wine_window "$appTitle" 10 >/dev/null || fail "no error box titled $appTitle appeared for the failed save"
sleep 0.3
import -window root "$shots/save-failed-box.png"
xdotool key Tab space
wait_exit 10 || fail "the game still runs after quitting without saving"
((code == 0)) || fail "quitting without saving ended with exit code $code"
cmp -s "$game/dat/my.dat" "$work/kept.dat" || fail "the read-only record changed"
chmod u+w "$game/dat/my.dat"

# --- At --scale 2: 800 x 600, crisp 2 x 2 blocks, a click on the doubled
# picture starts the game; F11 fills the screen (the picture at the largest
# whole factor, bars round it) and F11 again gives the window back.
launch --scale 2
window=$(wine_window "$title" 20) || fail "no window titled $title appeared at --scale 2"
size=$(client_size "$window")
[[ $size == 800x600 ]] || fail "the client area at --scale 2 is $size, not 800x600"
xdotool mousemove --window "$window" 400 300 click 1
sleep 1.5
import -window "$window" "$shots/play-scale2.png" || fail "cannot take a screenshot at --scale 2"
check_doubled "$shots/play-scale2.png"
xdotool windowfocus "$window" 2>/dev/null
xdotool key F11
sleep 0.5
window=$(wine_window "$title" 5) || fail "the window went away at F11"
size=$(client_size "$window")
[[ $size == 1280x800 ]] || fail "full screen is $size, not the 1280x800 screen"
import -window root "$shots/full-screen.png"
# 1280 x 800 holds the picture twice over: 800 x 600 from (240, 100).
corner=$("$convert" "$shots/full-screen.png" -crop 240x100+0+0 +repage -format '%[fx:maxima.r+maxima.g+maxima.b]' info:)
pale=$("$convert" "$shots/full-screen.png" -crop 160x40+270+130 +repage txt:- | grep -ci 'FFEAFF')
echo "full screen: corner maximum $corner (black bars), pale pink in the doubled status area $pale of 6400"
[[ $corner == 0 ]] || fail "no black bar round the full-screen picture (see $shots/full-screen.png)"
((pale >= 1600)) || fail "the full-screen picture is not at factor 2 from (240, 100) (see $shots/full-screen.png)"
xdotool key F11
sleep 0.5
window=$(wine_window "$title" 5) || fail "the window went away at the second F11"
size=$(client_size "$window")
[[ $size == 800x600 ]] || fail "the window after full screen is $size, not 800x600"
kill -KILL "$gamePid"
wait "$gamePid" 2>/dev/null
gamePid=""

# --- The session ends (wineboot --end-session sends WM_QUERYENDSESSION and
# WM_ENDSESSION): the record is saved, with no box to hold up the shutdown.
# The end-of-file mark the reader ignores is gone once the game saved.
printf '\r\n7\r\n1\r\n0\r\n0\r\n\x1a' >"$game/dat/my.dat"
launch
wine_window "$title" 20 >/dev/null || fail "no window titled $title appeared for the end of the session"
timeout 20 wineboot --end-session >/dev/null 2>&1
python3 "$here/compare.py" crlf "$game/dat/my.dat" 5 || fail "the end of the session did not save dat/my.dat"
grep -q $'\r\n7\r\n' "$game/dat/my.dat" || fail "the saved record lost its best score"
kill -KILL "$gamePid" 2>/dev/null
wait "$gamePid" 2>/dev/null
gamePid=""

# --- A bad option with no console and no output handles (started through
# the shell, as from a shortcut): its message comes in a box titled kesto.
(cd "$game" && HOME=$wineHome exec wine start /wait kesto.exe --scale 9 </dev/null >/dev/null 2>&1) &
gamePid=$!
wine_window kesto 20 >/dev/null || fail "no box titled kesto told of the bad option"
import -window root "$shots/bad-option-box.png"
xdotool key Return
wait_exit 10 || fail "the game still runs after the bad option's box"

# --- dat/my.dat missing: the error box with the application's title.
rm "$game/dat/my.dat"
launch
box=$(wine_window "$appTitle" 20) || fail "no error box titled $appTitle appeared with dat/my.dat missing"
import -window root "$shots/error-box.png"
xdotool key Return
wine_window "$title" 10 >/dev/null || fail "the window did not appear after the error box"
kill -KILL "$gamePid"
wait "$gamePid" 2>/dev/null
gamePid=""

echo "PASS: kesto.exe under wine from a Japanese path: window $title 400x300, title frame as on Linux, play frame and start cue after a click, saved in CR LF and closed with 0, a read-only record left by quitting without saving, 800x600 and crisp at --scale 2 with full screen and back, saved at the end of the session, a box for a bad option, error box without dat/my.dat"
