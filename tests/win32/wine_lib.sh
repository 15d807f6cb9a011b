# Shared by the checks that run the Windows build under wine: one wine
# prefix, made once and kept outside the repository (KESTO_WINEPREFIX, by
# default /var/cache/kesto/wine-prefix), re-made when missing. Source it,
# then call wine_prefix. Every wine command runs quietly (WINEDEBUG=-all),
# without the .NET and HTML engines wine would offer to download.

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# The Japanese face the test boxes are drawn with: wine's dialog fonts are
# mapped to IPA P Gothic, which wine finds among the system's fonts. Only the
# test environment needs this; a Windows system has Japanese dialog fonts.
wine_font_replacements() {
  local face
  for face in "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma" "MS UI Gothic" "Segoe UI"; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ /d IPAPGothic /f >/dev/null 2>&1 || return 1
  done
}

# wine_prefix: sets WINEPREFIX and makes the prefix when it is missing or
# was left half-made (the marker file is written last).
wine_prefix() {
  export WINEPREFIX=${KESTO_WINEPREFIX:-/var/cache/kesto/wine-prefix}
  local marker=$WINEPREFIX/.kesto-ready
  [[ -e $marker ]] && return 0
  command -v wine >/dev/null || { echo "wine is not installed"; return 1; }
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  # No display: wineboot shows nothing we need.
  DISPLAY= wineboot -i >/dev/null 2>&1 || { echo "wineboot failed"; return 1; }
  DISPLAY= wine_font_replacements || { echo "the font replacements could not be written"; return 1; }
  wineserver -w
  date -u +%FT%TZ >"$marker"
}

# wine_audio_to FILE: makes a HOME whose .asoundrc sends the default ALSA
# output (wine's wave-out device) into FILE as WAVE; prints the HOME. With
# no sound card, this is the one device wine's waveOut then reports.
wine_audio_to() {
  local file=$1 home
  home=$(mktemp -d "/tmp/kesto-winehome.XXXXXX")
  cat >"$home/.asoundrc" <<ASOUND
pcm.!default { type file; slave.pcm "null"; file "$file"; format "wav" }
ASOUND
  echo "$home"
}

# wine_check_start NAME: the start of a check of the game under wine: a
# scratch folder $work (/tmp/NAME.XXXXXX), the prefix, a private Xvfb, and
# on exit the game ($gamePid), wine, the Xvfb, $work and $wineHome (a HOME
# from wine_audio_to, if one was made) cleaned away. Needs xvfb_lib.sh.
wine_check_start() {
  work=$(mktemp -d "/tmp/$1.XXXXXX")
  wineHome=""
  trap wine_check_cleanup EXIT
  wine_prefix || fail "the wine prefix could not be made"
  XVFB_SCREEN=1280x800x24 xvfb_start
}

wine_check_cleanup() {
  [[ -n $gamePid ]] && kill -KILL "$gamePid" 2>/dev/null
  [[ -n ${WINEPREFIX:-} ]] && wineserver -k 2>/dev/null
  [[ -n $xvfbPid ]] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
  rm -rf "$work" "$wineHome"
}

# wine_window TITLE SECONDS: the id of the visible window titled TITLE, while
# the game ($gamePid) runs.
wine_window() {
  local id
  for _ in $(seq $(($2 * 20))); do
    kill -0 "$gamePid" 2>/dev/null || return 1
    for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      [[ $(xdotool getwindowname "$id" 2>/dev/null) == "$1" ]] && { echo "$id"; return 0; }
    done
    sleep 0.05
  done
  return 1
}
