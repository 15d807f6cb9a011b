#!/usr/bin/env bash
# The mixer on wine's real wave-out device plays what the virtual device
# records: `wavemix.exe play` of two waves queued on one channel, captured
# through ALSA's file output, holds after its leading silence the same bytes
# as `wavemix.exe render` of the same plays; and that rendering is byte for
# byte the Linux build's, with the same WAVEMIX.INI.
#
# usage: wine_wavemix_check.sh WINDOWS_DIR LINUX_BUILD_DIR
# Exit 0 passed, 1 failed, 77 skipped (wine is missing).
set -uo pipefail

windows=$(cd "${1:?usage: wine_wavemix_check.sh WINDOWS_DIR LINUX_BUILD_DIR}" && pwd)
linux=$(cd "${2:?usage: wine_wavemix_check.sh WINDOWS_DIR LINUX_BUILD_DIR}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine_lib.sh"
command -v wine >/dev/null || { echo "SKIP: wine is not installed"; exit 77; }

work=$(mktemp -d "/tmp/kesto-wavemix.XXXXXX")
wineHome=""
trap 'rm -rf "$work" "$wineHome"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
wine_prefix || fail "the wine prefix could not be made"

cp "$windows/wavemix.exe" "$windows/WAVEMIX.INI" "$windows/dat/start.wav" "$windows/dat/good.wav" \
  "$windows/dat/katan.wav" "$work/"
cat >"$work/plays.txt" <<'SCRIPT'
load start start.wav
load good good.wav
load katan katan.wav
activate on
open all
play start 0
play good 0
play katan 0
advance 4000
SCRIPT
cd "$work"
wine wavemix.exe render plays.txt windows.wav >/dev/null 2>&1 || fail "wavemix.exe render failed"
# With the same settings: the shipped ones beside wavemix.exe.
WAVEMIX_INI="$work/WAVEMIX.INI" "$linux/wavemix" render plays.txt linux.wav || fail "the Linux wavemix render failed"
cmp windows.wav linux.wav || fail "wavemix.exe renders other bytes than the Linux build"

wineHome=$(wine_audio_to "$work/played.wav")
# katan.wav follows only to be cut: wine closes the device a few
# milliseconds before the last bytes it reported played reach ALSA's file.
HOME=$wineHome wine wavemix.exe play --channel 0 start.wav good.wav katan.wav >play.log 2>&1 ||
  { cat play.log; fail "wavemix.exe play failed"; }
# The two waves as the mixer holds them: all of them must have been heard.
"$linux/wavemix" convert start.wav start.raw && "$linux/wavemix" convert good.wav good.raw
both=$(($(stat -c %s start.raw) + $(stat -c %s good.raw)))
python3 "$here/compare.py" sound played.wav windows.wav "$both" ||
  fail "wine's wave-out device did not play what the virtual device records"
wineserver -w
echo "PASS: wavemix.exe play on wine's waveOut equals wavemix render ($both bytes of start.wav then good.wav), and the Windows render equals the Linux one"
