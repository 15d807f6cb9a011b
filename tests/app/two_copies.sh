#!/bin/bash
# Two copies of the game on one game folder, closing at the same moment, many
# times: one clears the best first, so the two save different records. Each
# copy must save (the confirmation box, no error box, exit 0), my.dat must be
# one of the two records, whole, and no temporary file may be left in dat/.
# Prints the counts of whole, torn and refused pairs.
# Usage: two_copies.sh KESTO STAGED_DIR [PAIRS]
set -u
kesto=$1
staged=$2
pairs=${3:-200}
work=$(mktemp -d)
trap 'exec 3>&- 4>&-; rm -rf "$work"' EXIT
mkdir "$work/game"
cp -r "$staged/dat" "$staged/cg" "$work/game/"
kept=$'\r\n7\r\n1\r\n0\r\n0\r\n'
cleared=$'\r\n0\r\n1\r\n0\r\n0\r\n'
confirmed='{"box":"ミルタスちゃん","text":"どきゅん！！"}'

# saved NAME CODE: the copy saved and said so, and nothing else went wrong.
saved() {
  local out=$work/$1.out
  (($2 == 0)) && [[ $(grep -c '"box"' "$out") == 1 ]] && grep -qxF "$confirmed" "$out" &&
    [[ $(tail -n 1 "$out") == '{"exit":0}' ]]
}

whole=0 torn=0 refused=0 left=0
for ((i = 0; i < pairs; i++)); do
  printf '%s' "$kept" >"$work/game/dat/my.dat"
  rm -f "$work/a.fifo" "$work/b.fifo"
  mkfifo "$work/a.fifo" "$work/b.fifo"
  "$kesto" --headless --folder "$work/game" <"$work/a.fifo" >"$work/a.out" 2>&1 &
  a=$!
  "$kesto" --headless --folder "$work/game" <"$work/b.fifo" >"$work/b.out" 2>&1 &
  b=$!
  exec 3>"$work/a.fifo" 4>"$work/b.fifo"
  # Both are running; they read their scripts as soon as they have started.
  printf 'key space\nclose\n' >&3
  printf 'close\n' >&4
  exec 3>&- 4>&-
  wait "$a"
  codeA=$?
  wait "$b"
  codeB=$?
  record=$(cat "$work/game/dat/my.dat"; echo .)
  record=${record%.}
  pairRefused=0 pairTorn=0
  saved a "$codeA" && saved b "$codeB" || pairRefused=1
  [[ $record == "$kept" || $record == "$cleared" ]] || pairTorn=1
  ((refused += pairRefused, torn += pairTorn))
  ((pairRefused || pairTorn)) || ((whole++))
  if [[ -n $(find "$work/game/dat" -name 'my.dat?*') ]]; then ((left++)); rm -f "$work/game/dat/my.dat"?*; fi
  if ((pairRefused && refused == 1)); then
    echo "first refused pair ($i): exit $codeA and $codeB"
    cat "$work/a.out" "$work/b.out"
  fi
done
echo "$pairs pairs of copies closing at once: $whole whole, $torn torn, $refused refused; temporary files left after $left"
((whole == pairs && left == 0)) || { echo "FAIL"; exit 1; }
