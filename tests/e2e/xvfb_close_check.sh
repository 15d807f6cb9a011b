#!/usr/bin/env bash
# Every close of the real game ends it with exit code 0 once the record is
# saved. First the race behind the X errors of old is made certain
# (sdl_tests' X11 cases: a wake-up aimed at a box the loop has destroyed);
# then the game is started ten times under openbox and closed through the
# window manager in each way a player has: the title bar's close box, Alt+F4
# and a pager's close request (_NET_CLOSE_WINDOW, wmctrl -c), windowed and
# full screen; the "どきゅん！！" box is confirmed with Enter, a click on its
# OK, its own close box or Alt+F4, mostly the moment it appears, while the
# click's sound is still waking the loop. Each run must end with exit code
# 0, no X error, and dat/my.dat written.
#
# usage: xvfb_close_check.sh BUILD_DIR
# Exit 0 passed, 1 failed, 77 skipped (no Xvfb, xdotool, openbox or wmctrl).
set -uo pipefail

build=${1:?usage: xvfb_close_check.sh BUILD_DIR}
build=$(cd "$build" && pwd)
title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"

source "$(dirname "$0")/xvfb_lib.sh"
xvfb_prepare "$build" close openbox wmctrl

if [[ -x $build/tests/sdl/sdl_tests ]]; then
  SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$build/tests/sdl/sdl_tests" --gtest_filter='X11WakeUpTest.*' \
    >"$work/x11.log" 2>&1 || { cat "$work/x11.log"; fail "sdl_tests' X11 cases failed"; }
  grep -q 'SKIPPED' "$work/x11.log" && { cat "$work/x11.log"; fail "sdl_tests' X11 cases were skipped"; }
  echo "PASS: a wake-up aimed at a destroyed box is no error; other X errors still are"
fi

openbox --sm-disable >"$work/openbox.log" 2>&1 &
wmPid=$!
trap 'kill "$wmPid" 2>/dev/null; wait "$wmPid" 2>/dev/null; xvfb_cleanup' EXIT
for _ in $(seq 50); do
  wmctrl -m >/dev/null 2>&1 && break
  sleep 0.1
done
wmctrl -m >/dev/null 2>&1 || fail "openbox did not start"

# A window's geometry once the window manager has placed it: the same in
# two looks 100 ms apart.
settled() {
  local before now
  before=$(xwininfo -id "$1" 2>/dev/null | grep -E 'Absolute|Width|Height')
  for _ in $(seq 30); do
    sleep 0.1
    now=$(xwininfo -id "$1" 2>/dev/null | grep -E 'Absolute|Width|Height')
    [[ -n $now && $now == "$before" ]] && return 0
    before=$now
  done
  return 1
}

# The close box at the right end of openbox's title bar, above the client
# area's top-right corner.
click_close_box() {
  local geometry x y width
  geometry=$(xwininfo -id "$1")
  x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
  y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
  width=$(awk '/ Width:/ {print $2}' <<<"$geometry")
  xdotool mousemove $((x + width - 10)) $((y - 10)) click 1
}

# close_once SCREEN CLOSE CONFIRM: SCREEN is windowed or full; CLOSE is
# closebox, altf4 or wmctrl; CONFIRM is enter (at once), enter-late, click,
# closebox or altf4 (once the box has settled where openbox put it).
close_once() {
  local screen=$1 close=$2 confirm=$3 main box code factor=1 geometry
  (cd "$work" && exec env SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ./kesto >"$work/game.log" 2>&1) &
  gamePid=$!
  main=$(window_titled "$title" 15) || fail "$*: no window titled $title appeared"
  settled "$main" || fail "$*: the main window does not settle"
  if [[ $screen == full ]]; then
    xdotool windowactivate --sync "$main" key F11
    for _ in $(seq 30); do
      [[ $(xwininfo -id "$main" | awk '/ Width:/ {print $2}') == 800 ]] && break
      sleep 0.1
    done
    settled "$main" || fail "$*: the full-screen window does not settle"
    factor=2
  fi
  touch "$work/mark"
  sleep 0.05  # my.dat's time must be able to pass the mark's
  case $close in
    closebox) click_close_box "$main" ;;
    altf4) xdotool windowactivate --sync "$main" key alt+F4 ;;
    wmctrl) wmctrl -i -c "$main" ;;
  esac
  box=$(window_titled "$appTitle" 10) || fail "$*: no box after the close"
  if [[ $confirm != enter ]]; then
    settled "$box" || fail "$*: the box does not settle"
  fi
  case ${confirm%-late} in
    enter) xdotool key Return ;;
    click)
      geometry=$(xwininfo -id "$box")
      xdotool mousemove --window "$box" $(($(awk '/ Width:/ {print $2}' <<<"$geometry") - 56 * factor)) \
        $(($(awk '/ Height:/ {print $2}' <<<"$geometry") - 21 * factor)) click 1
      ;;
    closebox) click_close_box "$box" ;;
    altf4) xdotool windowactivate --sync "$box" key alt+F4 ;;
  esac
  for _ in $(seq 100); do
    kill -0 "$gamePid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$gamePid" 2>/dev/null && fail "$*: the game still runs 10 s after the box was confirmed"
  wait "$gamePid"
  code=$?
  gamePid=""
  grep -q 'X Error' "$work/game.log" && fail "$*: an X error (exit code $code)"
  ((code == 0)) || fail "$*: exit code $code"
  [[ $work/dat/my.dat -nt $work/mark ]] || fail "$*: dat/my.dat was not written"
  echo "PASS: $screen, closed by $close, box confirmed by $confirm: exit 0, saved"
}

close_once windowed closebox enter
close_once windowed closebox enter-late
close_once windowed altf4 enter
close_once windowed altf4 click
close_once windowed wmctrl closebox
close_once windowed closebox altf4
close_once full altf4 enter
close_once full altf4 click
close_once full wmctrl enter
close_once full altf4 altf4
echo "PASS: ten closes through openbox, each with exit code 0 and the record saved"
