#!/usr/bin/env bash
# The mixer as a program outside the project meets it, on a built tree:
# - installs the KestoMixer package into a prefix and builds
#   examples/play_two.cpp against it twice, with find_package(KestoMixer)
#   (examples/standalone) and with pkg-config; each build plays two sounds
#   through SDL's disk driver and the capture must hold both;
# - the mixer configures with the game off, and builds as a project of its
#   own (cmake -S mixer), without SDL2_ttf, SDL2_image or FluidSynth;
# - wavemix play of three files through the disk driver: their onsets lie
#   within 50 ms of each other.
# usage: check.sh BUILD   (exit 0 passed, 1 failed)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
source "$here/lib.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$root" -B "$work/game_off" -DKESTO_GAME=OFF >/dev/null
cmake -S "$root/mixer" -B "$work/mixer_alone" >/dev/null
cmake --build "$work/mixer_alone" --target mixer >/dev/null
for cache in "$work/game_off/CMakeCache.txt" "$work/mixer_alone/CMakeCache.txt"; do
  if grep -Eiq 'SDL2_TTF|SDL2_IMAGE|FLUIDSYNTH' "$cache"; then
    echo "FAILED: $cache looks for the game's libraries" >&2
    exit 1
  fi
done
echo "ok: the mixer configures without the game's libraries and builds alone"

cmake --install "$build" --prefix "$work/prefix" --component kesto_mixer_dev >/dev/null
test -f "$work/prefix/include/kesto-mixer/WaveMix.h"

cmake -S "$root/examples/standalone" -B "$work/find_package" -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/find_package" >/dev/null
two_sounds find_package "$work/find_package/play_two"

pcdir=$(dirname "$(find "$work/prefix" -name kesto-mixer.pc)")
export PKG_CONFIG_PATH="$pcdir${PKG_CONFIG_PATH:+:$PKG_CONFIG_PATH}"
# shellcheck disable=SC2046
c++ -std=c++20 -o "$work/play_two_pc" "$root/examples/play_two.cpp" \
  $(pkg-config --cflags --libs kesto-mixer kesto-mixer-sdl)
two_sounds pkg-config "$work/play_two_pc"

# wavemix play: three files, +16, +32 and +64 for a second each.
wave "$work/a.wav" 16 1
wave "$work/b.wav" 32 1
wave "$work/c.wav" 64 1
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/play.raw" WAVEMIX_INI="$work/none.ini" \
   timeout 30 "$build/wavemix" play a.wav b.wav c.wav)
read -r fa _ fb _ fc _ < <(levels "$work/play.raw")
echo "wavemix play onsets: $fa $fb $fc s"
expect "wavemix play starts its three files within 50 ms" \
  'a != "-" && b != "-" && c != "-" && (a > b ? a : b) - (a < b ? a : b) <= 0.05 && (a > c ? a : c) - (a < c ? a : c) <= 0.05 && (b > c ? b : c) - (b < c ? b : c) <= 0.05' \
  -v a="$fa" -v b="$fb" -v c="$fc"
