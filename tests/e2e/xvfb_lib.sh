# Shared by the real-window checks: a private Xvfb, the game's windows found
# by title, and clean-up. Source it after setting `work` (a scratch folder)
# and defining `fail`; it sets DISPLAY and uses `gamePid` / `xvfbPid`.

xvfbPid=""
gamePid=""

xvfb_cleanup() {
  [[ -n $gamePid ]] && kill -KILL "$gamePid" 2>/dev/null
  [[ -n $xvfbPid ]] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
  rm -rf "$work"
}

# A display number nobody uses; another server may win a race for it, so a
# server that dies at once means: try the next one.
xvfb_start() {
  local display
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

# Ends the game as the window system asks a program to quit and confirms the
# save box; returns the game's exit code (99 when it would not end).
end_game() {
  local appTitle=$1 code
  kill -TERM "$gamePid"
  window_titled "$appTitle" 10 >/dev/null || fail "no save confirmation box titled $appTitle appeared"
  # The box took the keyboard when it opened: this is a real key press.
  xdotool key Return
  for _ in $(seq 50); do
    kill -0 "$gamePid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$gamePid" 2>/dev/null && return 99
  wait "$gamePid"
  code=$?
  gamePid=""
  return $code
}
