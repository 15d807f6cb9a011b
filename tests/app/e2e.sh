#!/bin/bash
# The kesto binary run headless from scripts, over a copy of its folder so
# that the staged record is never touched. Usage: e2e.sh KESTO STAGED_DIR
set -u
kesto=$1
staged=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$staged/dat" "$staged/cg" "$work/"
printf '\r\n7\r\n1\r\n0\r\n0\r\n' > "$work/dat/my.dat"
fail() { echo "FAIL: $*"; exit 1; }

# A game played to its end place, with a shot of the play frame.
out=$("$kesto" --headless --seed 42 --folder "$work" <<SCRIPT
click 100 100
tick 12
shot $work/play.png
tick 2600
state
click 20 280
SCRIPT
) || fail "exit code $?"
grep -qx '{"cue":"CueMusic","name":"T_ssix05.mid"}' <<<"$out" || fail "no start music"
grep -q '"gameOver":true' <<<"$out" || fail "no game over"
[ "$(tail -n1 <<<"$out")" = '{"exit":0}' ] || fail "no exit line"
grep -qx '{"box":"ミルタスちゃん","text":"どきゅん！！"}' <<<"$out" || fail "no save confirmation"
[ "$(head -c 4 "$work/play.png" | tail -c 3)" = "PNG" ] || fail "no PNG"
[ "$(tr -d '\r' < "$work/dat/my.dat" | head -n2 | tail -n1)" = "7" ] || fail "best score not kept"

# The script from a file, ended without a close: nothing is saved.
printf 'key space\nstate\n' > "$work/s"
out=$("$kesto" --headless --folder "$work" --script "$work/s") || fail "script file run"
grep -q '"hiScore":0' <<<"$out" || fail "key did not clear the best"
[ "$(tr -d '\r' < "$work/dat/my.dat" | head -n2 | tail -n1)" = "7" ] || fail "saved without a close"

# A bad line: exit 2 and a message naming it.
err=$(printf 'tick\nfly\n' | "$kesto" --headless --folder "$work" 2>&1 >/dev/null)
code=$?
[ $code -eq 2 ] || fail "bad script exit $code"
[ "$err" = "kesto: script line 2: unknown command 'fly'" ] || fail "message: $err"

# No record and no dat folder: the error box, and the close keeps the window.
rm -rf "$work/dat"
out=$(printf 'close\nstate\n' | "$kesto" --headless --folder "$work") || fail "missing dat run"
[ "$(grep -c '"box":"ミルタスちゃん"' <<<"$out")" = 2 ] || fail "expected two error boxes: $out"
grep -q '"textLine"' <<<"$out" || fail "window did not stay"
echo ok
