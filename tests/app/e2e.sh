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

# A quit signal while the runner waits for its script: the record saved as a
# close saves it, no box, exit 0; with the record read-only, the save's
# error on stderr and exit 1.
mkdir -p "$work/dat"
signal_run() {
  local signal=$1 fifo=$work/fifo
  rm -f "$fifo" && mkfifo "$fifo"
  # Emptied here, not by the background job's redirection: the wait below
  # must not find the last run's output before this run has started.
  : >"$work/out"
  "$kesto" --headless --folder "$work" <"$fifo" >>"$work/out" 2>"$work/err" &
  local pid=$!
  exec 3>"$fifo"
  printf 'key space\nstate\n' >&3
  for _ in $(seq 50); do grep -q textLine "$work/out" 2>/dev/null && break; sleep 0.1; done
  kill -s "$signal" $pid
  wait $pid
  code=$?
  exec 3>&-
}
for signal in TERM INT HUP; do
  printf 'line\r\n7\r\n1\r\n0\r\n0\r\n' > "$work/dat/my.dat"
  signal_run $signal
  [ $code -eq 0 ] || fail "SIG$signal: exit $code ($(cat "$work/err"))"
  grep -q '"box"' "$work/out" && fail "SIG$signal: a box was shown"
  [ "$(tail -n1 "$work/out")" = '{"exit":0}' ] || fail "SIG$signal: no exit line"
  [ "$(tr -d '\r' < "$work/dat/my.dat" | head -n2 | tail -n1)" = "0" ] || fail "SIG$signal: the record was not saved"
done
# The same inside one long tick (weeks of virtual time): the signal ends it
# between two of its events. The minute's wait only keeps a hung run from
# hanging the suite.
printf 'line\r\n7\r\n1\r\n0\r\n0\r\n' > "$work/dat/my.dat"
printf 'key space\nstate\ntick 100000000\n' > "$work/long"
: >"$work/out"
"$kesto" --headless --folder "$work" --script "$work/long" >"$work/out" 2>"$work/err" &
pid=$!
for _ in $(seq 50); do grep -q textLine "$work/out" 2>/dev/null && break; sleep 0.1; done
sleep 0.3
kill -s TERM $pid
for _ in $(seq 600); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill -KILL $pid 2>/dev/null
wait $pid
code=$?
[ $code -eq 0 ] || fail "SIGTERM in a long tick: exit $code ($(cat "$work/err"))"
[ "$(tail -n1 "$work/out")" = '{"exit":0}' ] || fail "SIGTERM in a long tick: no exit line"
[ "$(tr -d '\r' < "$work/dat/my.dat" | head -n2 | tail -n1)" = "0" ] || fail "SIGTERM in a long tick: the record was not saved"

chmod 0444 "$work/dat/my.dat"
signal_run TERM
[ $code -eq 1 ] || fail "read-only record: exit $code"
grep -q 'my.dat' "$work/err" || fail "read-only record: no message on stderr"
grep -q '"box"' "$work/out" && fail "read-only record: a box was shown"
echo ok
