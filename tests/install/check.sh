#!/usr/bin/env bash
# The game installed as a player gets it, checked end to end (as root, on a
# machine where installing a package is allowed, such as CI):
#  1. the menu entry and the AppStream metainfo validate;
#  2. scripts/package-deb builds the .deb and lintian finds no error in it
#     and no hardening tag, not even as information;
#  3. apt installs it; as an ordinary user, under Xvfb, the menu entry's
#     command starts the game, whose window shows the title and carries the
#     icon; after a close the record is the user's ~/.local/share/kesto/my.dat,
#     copied from the shipped one; a second start reads it (a record we put
#     there is what the next close writes back); root, playing the
#     installed game headless, gets its own record in its data folder and
#     the package's dat/my.dat stays untouched;
#  4. apt removes every file the package installed;
#  5. the same from a DESTDIR staging of `cmake --install`.
#
# usage: tests/install/check.sh [DEB]   (DEB: a package built already by
# scripts/package-deb, whose build folder build-deb/ is staged in step 5)
# The title screen of the installed game is left at build-deb/install-shot.png.
# Exit 0 passed, 1 failed, 77 skipped (not root, or no apt-get).
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/tests/e2e/xvfb_lib.sh"

[[ $(id -u) == 0 ]] || { echo "SKIP: installs a package, needs root"; exit 77; }
command -v apt-get >/dev/null || { echo "SKIP: no apt-get"; exit 77; }
for tool in desktop-file-validate appstreamcli lintian Xvfb xdotool xwininfo xprop import runuser useradd; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup-deps)"
done

title="ミルタスチャレンジ"
appTitle="ミルタスちゃん"
player=kesto-player
appId=org.kesto.Kesto
work=$(mktemp -d /tmp/kesto-install.XXXXXX)
chmod 755 "$work"
runPid=""
cleanup() {
  [[ -n $gamePid ]] && kill -KILL "$gamePid" 2>/dev/null
  [[ -n $runPid ]] && wait "$runPid" 2>/dev/null
  [[ -n $xvfbPid ]] && kill "$xvfbPid" 2>/dev/null && wait "$xvfbPid" 2>/dev/null
  dpkg-query -W kesto >/dev/null 2>&1 && apt-get remove -y -qq kesto >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# --- 2. the package
build=${KESTO_DEB_BUILD:-$root/build-deb}
deb=${1:-}
if [[ -z $deb ]]; then
  deb=$("$root/scripts/package-deb" | tail -n 1) || fail "scripts/package-deb failed"
fi
[[ -f $deb ]] || fail "no package at $deb"
deb=$(cd "$(dirname "$deb")" && pwd)/$(basename "$deb")
lintian --fail-on error --display-info "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log"; fail "lintian reports errors"; }
# Most hardening tags are only information (hardening-no-bindnow,
# hardening-no-fortify-functions): any of them fails, whatever its level.
if grep -E '^.: [^ ]+: hardening-' "$work/lintian.log"; then
  fail "lintian reports missing hardening (scripts/package-deb builds with dpkg-buildflags)"
fi
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes; lintian: no error, no hardening tag"

# --- 3. installed with apt
dpkg-query -W kesto >/dev/null 2>&1 && fail "kesto is installed already; remove it first"
apt-get install -y -qq "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
dpkg-query -L kesto | sort >"$work/files"

# --- 1. the menu entry and the metainfo, as installed
desktop=/usr/share/applications/$appId.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate: $desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$appId.metainfo.xml" || fail "appstreamcli validate"
for f in /usr/bin/kesto /usr/bin/wavemix /usr/share/kesto/dat/my.dat /usr/share/kesto/cg/start.bmp /usr/share/kesto/WAVEMIX.INI \
         /usr/share/icons/hicolor/scalable/apps/kesto.svg /usr/share/man/man6/kesto.6.gz /usr/share/man/man1/wavemix.1.gz; do
  [[ -f $f ]] || fail "$f was not installed"
done
for size in 48 64 128 256; do
  [[ $(identify -format '%wx%h' "/usr/share/icons/hicolor/${size}x$size/apps/kesto.png") == "${size}x$size" ]] ||
    fail "the ${size} px icon is not ${size}x$size"
done

id "$player" >/dev/null 2>&1 || useradd -m -s /bin/bash "$player" || fail "cannot add the user $player"
home=$(getent passwd "$player" | cut -d: -f6)
record=$home/.local/share/kesto/my.dat
rm -rf "$home/.local/share/kesto"

xvfb_start
# The menu entry's command, without field codes.
command=$(sed -n 's/^Exec=//p' "$desktop" | head -n 1 | sed 's/ %[a-zA-Z]//g')
[[ -n $command ]] || fail "the menu entry has no Exec line"

# start_game COMMAND NAME: starts the game as the player, waits for its
# window titled like the game, photographs it and checks the icon.
start_game() {
  local command=$1 name=$2 window
  (cd "$home" && exec runuser -u "$player" -- env -i HOME="$home" PATH=/usr/bin:/bin DISPLAY="$DISPLAY" \
      SDL_AUDIODRIVER=dummy sh -c "$command") >"$work/$name.log" 2>&1 &
  runPid=$!
  gamePid=""
  for _ in $(seq 100); do
    gamePid=$(pgrep -u "$player" -x kesto | head -n 1)
    [[ -n $gamePid ]] && break
    sleep 0.1
  done
  [[ -n $gamePid ]] || { cat "$work/$name.log"; fail "$name: the game did not start"; }
  window=$(window_titled "$title" 15) || { cat "$work/$name.log"; fail "$name: no window titled $title"; }
  sleep 0.5
  import -window "$window" "$work/$name.png" || fail "$name: cannot take a screenshot"
  [[ $(identify -format '%wx%h' "$work/$name.png") == 400x300 ]] || fail "$name: the window is not 400x300"
  xprop -id "$window" _NET_WM_ICON >"$work/$name.icon" 2>&1
  grep -Eq "64(, | x )64" "$work/$name.icon" || { head -c 300 "$work/$name.icon"; fail "$name: the window has no 64 px icon"; }
  # No box may have opened on the way (a record that could not be read).
  window_titled "$appTitle" 1 >/dev/null && fail "$name: a message box opened at the start"
  echo "$name: window $title, 400x300, with its icon"
}

# close_game NAME: ends the game as a logout does (SIGTERM saves the record
# with no box), expects exit 0.
close_game() {
  local name=$1 code
  kill -TERM "$gamePid"
  wait "$runPid"
  code=$?
  runPid="" gamePid=""
  ((code == 0)) || { cat "$work/$name.log"; fail "$name: the game ended with exit code $code"; }
}

# play_twice COMMAND NAME: the first start makes the player's record from
# the shipped one, the second reads the player's record.
play_twice() {
  local command=$1 name=$2 shipped=$3 mine=$'check\r\n42\r\n1\r\n0\r\n0\r\n'
  rm -rf "$home/.local/share/kesto"
  start_game "$command" "$name-first"
  close_game "$name-first"
  [[ -f $record ]] || fail "$name: no record at $record after the close"
  [[ $(stat -c %U "$record") == "$player" ]] || fail "$name: $record is not the player's"
  cmp -s "$record" "$shipped" || fail "$name: the first record is not the shipped one"
  printf '%s' "$mine" >"$work/mine"
  cp "$work/mine" "$record"
  touch -d '2000-01-01' "$record"
  start_game "$command" "$name-second"
  close_game "$name-second"
  [[ $(stat -c %Y "$record") != $(date -d 2000-01-01 +%s) ]] || fail "$name: the second close did not save"
  cmp -s "$record" "$work/mine" || fail "$name: the second start did not read the player's record"
  echo "$name: record made at ~/.local/share/kesto/my.dat, read again at the second start"
}

# root_plays PROGRAM SHARE NAME: root plays the installed game headless and
# closes it; the record is root's own ~/.local/share/kesto/my.dat, and the
# package's SHARE/dat/my.dat is left as it was (same file, same time), though
# root may write it.
root_plays() {
  local program=$1 share=$2 name=$3 rootHome=$work/root-home packaged
  rm -rf "$rootHome"
  mkdir -p "$rootHome"
  packaged=$(stat -c '%i %Y %s' "$share/dat/my.dat")
  printf 'close\n' | (cd "$rootHome" && env -i HOME="$rootHome" PATH=/usr/bin:/bin "$program" --headless) \
      >"$work/$name-root.log" 2>&1 || { cat "$work/$name-root.log"; fail "$name: root's headless game failed"; }
  grep -qx '{"exit":0}' "$work/$name-root.log" || { cat "$work/$name-root.log"; fail "$name: root's game did not end with exit 0"; }
  cmp -s "$rootHome/.local/share/kesto/my.dat" "$share/dat/my.dat" ||
    fail "$name: root's record is not ~/.local/share/kesto/my.dat copied from the shipped one"
  [[ $(stat -c '%i %Y %s' "$share/dat/my.dat") == "$packaged" ]] || fail "$name: root's game rewrote $share/dat/my.dat"
  echo "$name: root's record made at ~/.local/share/kesto/my.dat, the package's own left alone"
}

play_twice "$command" installed /usr/share/kesto/dat/my.dat
root_plays /usr/bin/kesto /usr/share/kesto installed
# Kept for a person to look at.
cp "$work/installed-first.png" "$build/install-shot.png" 2>/dev/null

# --- 4. removal
apt-get remove -y -qq kesto >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get remove failed"; }
left=$(while read -r f; do [[ -f $f || -L $f ]] && echo "$f"; done <"$work/files")
[[ -z $left ]] || fail "left after removal: $left"
[[ ! -e /usr/share/kesto ]] || fail "/usr/share/kesto is left after removal"
echo "removal: none of the $(wc -l <"$work/files") installed paths is left"

# --- 5. DESTDIR staging of the same build, run from there
if [[ -f $build/CMakeCache.txt ]]; then
  stage=$work/stage
  DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/stage.log" 2>&1 || { cat "$work/stage.log"; fail "staged install failed"; }
  chmod -R a+rX "$stage"
  play_twice "$stage/usr/bin/kesto" staged "$stage/usr/share/kesto/dat/my.dat"
  root_plays "$stage/usr/bin/kesto" "$stage/usr/share/kesto" staged
else
  fail "no build folder $build for the staged install"
fi

echo "PASS: the package validates, installs, plays as $player, keeps and reads the record (root's in its own folder), removes cleanly; the staged install plays the same"
