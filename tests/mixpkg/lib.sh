# Shared by the mixer package's checks. The sounds are steady levels, each
# a power of two (+16, +32, +64 over the 8-bit midpoint), so that a sample
# of the mixed capture tells which of them sound at that instant.

# wave FILE LEVEL SECONDS: 8-bit mono 11025 Hz WAVE holding one level.
wave() {
  local count
  count=$(awk -v s="$3" 'BEGIN { print int(s * 11025) }')
  head -c "$count" /dev/zero | tr '\0' "\\$(printf %03o $((128 + $2)))" |
    sox -t raw -r 11025 -e unsigned -b 8 -c 1 - "$1"
}

# levels CAPTURE: for +16, +32 and +64, the first and last second at which
# it sounds in SDL's disk capture (16-bit stereo 44100 Hz), "-" when never:
# "first16 last16 first32 last32 first64 last64". A sample counts when it
# and the two before it are the same sum of levels (edges are smoothed by
# the resampler).
levels() {
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$1" -t dat - | awk '
    /^;/ { next }
    {
      x = $2 * 128; v = int(x + (x < 0 ? -0.5 : 0.5))
      stable = (x - v < 0.2 && v - x < 0.2 && v >= 0 && v % 16 == 0 && v == p1 && v == p2)
      p2 = p1; p1 = v
      if (!stable) next
      for (b = 16; b <= 64; b *= 2)
        if (int(v / b) % 2) { if (!(b in first)) first[b] = $1; last[b] = $1 }
    }
    END {
      for (b = 16; b <= 64; b *= 2) printf "%s %s ", (b in first) ? first[b] : "-", (b in last) ? last[b] : "-"
      print ""
    }'
}

# expect WHAT CONDITION (awk, on the variables given after it)
expect() {
  local what=$1 condition=$2
  shift 2
  if ! awk "$@" "BEGIN { exit !($condition) }"; then
    echo "FAILED: $what ($*)" >&2
    return 1
  fi
  echo "ok: $what"
}

# two_sounds NAME EXE: runs a build of examples/play_two.cpp on ONCE (+16,
# 0.6 s) and LOOP (+32, 0.15 s, looped) through SDL's disk driver and checks
# that the capture holds both, the loop still sounding after ONCE ended.
two_sounds() {
  local name=$1 exe=$2 dir
  dir=$(mktemp -d)
  wave "$dir/once.wav" 16 0.6
  wave "$dir/loop.wav" 32 0.15
  (cd "$dir" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/capture.raw" WAVEMIX_INI="$dir/none.ini" \
     timeout 30 "$exe" once.wav loop.wav)
  read -r f16 l16 f32 l32 _ < <(levels "$dir/capture.raw")
  rm -rf "$dir"
  expect "$name: ONCE and LOOP are heard" 'f16 != "-" && f32 != "-"' -v f16="$f16" -v f32="$f32" &&
  expect "$name: ONCE lasts its 0.6 s" 'l16 - f16 > 0.55 && l16 - f16 < 0.7' -v f16="$f16" -v l16="$l16" &&
  expect "$name: LOOP repeats past ONCE's end" 'l32 > l16 + 0.3 && f32 - f16 < 0.05 && f16 - f32 < 0.05' \
    -v f16="$f16" -v l16="$l16" -v f32="$f32" -v l32="$l32"
}
