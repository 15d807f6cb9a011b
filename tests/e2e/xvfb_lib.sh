# Shared by the real-window checks: a scratch copy of the game folder, a
# private Xvfb, the game's windows found by title, and clean-up. Source it,
# then call xvfb_prepare; it sets `work` and DISPLAY and uses `gamePid` /
# `xvfbPid`.

xvfbPid=""
gamePid=""
work=""

fail() {
  echo "FAIL: $*"
  [[ -n $work && -s $work/game.log ]] && { echo "--- game output:"; tail -n 50 "$work/game.log"; }
  exit 1
}

# xvfb_prepare BUILD_DIR NAME TOOL...: skips (exit 77) when a tool is
# missing, fails when the build has no game folder, then copies the game
# (with the staged WAVEMIX.INI) into a scratch folder `work` (so the
# player's own dat/my.dat is never touched) and starts a private Xvfb, both
# removed at exit.
xvfb_prepare() {
  local build=$1 name=$2 tool file
  shift 2
  for tool in Xvfb xdotool xwininfo "$@"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  for file in "$build/kesto" "$build/dat" "$build/cg"; do
    [[ -e $file ]] || fail "$file is missing (build kesto and stage_assets)"
  done
  work=$(mktemp -d "/tmp/kesto-$name.XXXXXX")
  trap xvfb_cleanup EXIT
  cp "$build/kesto" "$work/"
  cp -r "$build/dat" "$build/cg" "$work/"
  # The mixer settings the game ships with, when the build staged them.
  [[ ! -e $build/WAVEMIX.INI ]] || cp "$build/WAVEMIX.INI" "$work/"
  xvfb_start
}

xvfb_cleanup() {
  [[ -n $gamePid ]] && kill -KILL "$gamePid" 2>/dev/null
  [[ -n $xvfbPid ]] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
  rm -rf "$work"
}

# A display number nobody uses; another server may win a race for it, so a
# server that dies at once means: try the next one. The screen is 800 x 600
# unless XVFB_SCREEN says otherwise (WIDTHxHEIGHTxDEPTH).
xvfb_start() {
  local display
  for display in $(seq 90 140); do
    [[ -e /tmp/.X$display-lock || -e /tmp/.X11-unix/X$display ]] && continue
    # -noreset: the server must not restart (and refuse the game) when the
    # probe below disconnects as its last client.
    Xvfb ":$display" -screen 0 "${XVFB_SCREEN:-800x600x24}" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
    xvfbPid=$!
    for _ in $(seq 50); do
      DISPLAY=":$display" xwininfo -root >/dev/null 2>&1 && break
      kill -0 "$xvfbPid" 2>/dev/null || break
      sleep 0.1
    done
    if DISPLAY=":$display" xwininfo -root >/dev/null 2>&1; then
      export DISPLAY=":$display"
      return 0
    fi
    kill "$xvfbPid" 2>/dev/null
    wait "$xvfbPid" 2>/dev/null
    xvfbPid=""
  done
  fail "no Xvfb display could be started"
}

# The game's windows by title. SDL writes the title as UTF-8 into
# _NET_WM_NAME but as raw bytes typed STRING into WM_NAME, where
# `xdotool search --name` cannot match Japanese; so the windows are found by
# process and their titles read with getwindowname (_NET_WM_NAME).
window_titled() {
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

# Ends the game as a logout does, with SIGTERM: the game saves its record
# as a close would and ends by itself, showing no box. Returns the game's
# exit code (99 when it would not end, 98 when a box appeared).
end_game() {
  local appTitle=$1 code
  kill -TERM "$gamePid"
  for _ in $(seq 50); do
    kill -0 "$gamePid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$gamePid" 2>/dev/null; then
    window_titled "$appTitle" 1 >/dev/null && return 98
    return 99
  fi
  wait "$gamePid"
  code=$?
  gamePid=""
  return $code
}

# end_game, failing unless the game ended with exit code 0.
end_game_cleanly() {
  local code
  end_game "$1"
  code=$?
  ((code == 98)) && fail "SIGTERM showed a box instead of ending the game"
  ((code == 99)) && fail "the game still runs after SIGTERM"
  ((code == 0)) || fail "the game ended with exit code $code"
}

# check_doubled SHOT: SHOT (800 x 600) is the play frame at factor 2: the
# status box's pale pink fills its doubled area, and each picture pixel is a
# 2 x 2 block of one colour (nearest neighbour), so halving by sampling and
# doubling again gives back the very same picture. Uses `convert`.
check_doubled() {
  local shot=$1 pale differ
  pale=$("$convert" "$shot" -crop 160x40+30+30 +repage txt:- | grep -ci 'FFEAFF')
  echo "pale pink in the doubled status area: $pale of 6400"
  ((pale >= 1600)) || fail "no doubled play frame after the click (see $shot)"
  "$convert" "$shot" -sample 50% -sample 200% "$work/redoubled.png"
  differ=$(compare -metric AE "$shot" "$work/redoubled.png" null: 2>&1)
  echo "pixels not in whole 2 x 2 blocks: $differ"
  [[ $differ == 0 ]] || fail "the picture is not doubled crisply ($differ pixels differ)"
}
