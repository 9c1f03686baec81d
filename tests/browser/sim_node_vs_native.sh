#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The browser edition's zapwall-sim.js under node against the desktop's zapwall-sim: the same
# arguments must give the same bytes — the JSON state of every replay scenario, the recordings,
# the players.ko and hall.ko a --save writes, each tool's replay of the other's recording, the
# messages and exit status of refused invocations — and the same pixels for --frame.
#
#   sim_node_vs_native.sh ZAPWALL_SIM ZAPWALL_SIM_JS ZAPWALL_DATA BUILD_DATA_DIR SCENARIOS SAME_PIXELS
set -euo pipefail
native=$1 js=$2 tool=$3 base=$4 scenarios=$5 same_pixels=$6

source "$(dirname "$0")/../lib/script_test.sh"
[ -f "$js" ] || fail "no $js: build it with ./web build"
# A tool by its name: native or node.
sim() {
  local which=$1; shift
  if [ "$which" = native ]; then "$native" "$@"; else node "$js" "$@"; fi
}
fresh() { copy_game_data "$base" "$1"; }
same_files() {  # A B WHAT
  cmp "$1" "$2" > /dev/null || { diff -u "$1" "$2" | head -20 >&2; fail "$3 differ"; }
}
same_saved() {  # A B WHAT: files a --save may write; neither written is the same too
  [ -f "$1" ] || [ -f "$2" ] || return 0
  same_files "$@"
}
# same_run A B WHAT: the runs that wrote A.json, A.png and saved into A/ and their B ones agree.
same_run() {
  same_files "$1.json" "$2.json" "$3: the states"
  "$same_pixels" "$1.png" "$2.png" || fail "$3: the last pictures differ"
  for file in players.ko hall.ko; do same_saved "$1/$file" "$2/$file" "$3: the saved $file"; done
}

# same_recording NATIVE NODE OUT: writes NODE with the start time of NATIVE and the checksum
# (FNV-1a 64 of every byte before its line) computed again; fails when the two times are more
# than ten minutes (the test's own limit) apart.
same_recording() {
  python3 - "$@" <<'PYTHON'
import datetime, sys
native, node = (open(path, "rb").read().split(b"\n") for path in sys.argv[1:3])
def started(lines):
    line = next(l for l in lines if l.startswith(b"recorded "))
    return line, datetime.datetime.strptime(line[9:].decode(), "%Y-%m-%d %H:%M:%S")
native_line, native_time = started(native)
node_line, node_time = started(node)
lines = [native_line if l == node_line else l for l in node if not l.startswith(b"checksum ")]
body = b"\n".join(lines[:-1]) + b"\n"  # the file ends with a line end
checksum = 0xcbf29ce484222325
for byte in body:
    checksum = ((checksum ^ byte) * 0x100000001b3) % 2**64
open(sys.argv[3], "wb").write(body + b"checksum %016x\n" % checksum)
sys.exit(0 if abs((node_time - native_time).total_seconds()) <= 600 else 1)
PYTHON
}

# Every scenario, as run_scenario.sh runs it, with the last picture too.
for dir in "$scenarios"/*/; do
  name=$(basename "$dir")
  args=()
  [ -f "$dir/args" ] && read -r -a args < "$dir/args"
  [ -f "$dir/input.txt" ] && args+=(--input "$dir/input.txt")
  [ -f "$dir/state.json" ] && args+=(--state "$dir/state.json")
  for which in native node; do
    fresh "$work/$name-$which"
    [ -f "$dir/levels.txt" ] && "$tool" levels compile "$dir/levels.txt" "$work/$name-$which/levels.ko"
    [ -f "$dir/animations.ko" ] && cp "$dir/animations.ko" "$work/$name-$which/"
    sim "$which" --data "$work/$name-$which" "${args[@]}" --out "$work/$name-$which.json" \
      --frame "$work/$name-$which.png"
  done
  same_run "$work/$name-native" "$work/$name-node" "$name"
done

# Scripted games recorded and saved by both tools, on folders with a roster of two players.
printf '0 keydown 40\n3 keydown 32\n3 keyup 40\n10 keydown 32\n60 keydown 38\n120 keydown 80\n160 keydown 80\n2500 keydown 27\n' > "$work/quit.txt"
printf '0 keydown 32\n1 keydown 32\n2 keydown 38\n' > "$work/over.txt"
for game in "quit Ada 4000" "over Bara 20000"; do
  read -r name player steps <<< "$game"
  for which in native node; do
    fresh "$work/$name-$which-played"; two_players > "$work/$name-$which-played/players.ko"
    sim "$which" --data "$work/$name-$which-played" --player "$player" --seed 4242 --tick 8000 \
      --steps "$steps" --input "$work/$name.txt" --record "$work/$name-$which.zapwall-replay" \
      --save --out "$work/$name-$which-played.json" --frame "$work/$name-$which-played.png"
  done
  same_run "$work/$name-native-played" "$work/$name-node-played" "$name played"
  # The recordings may differ only in the local time they began, by no more than the run took;
  # given the native one's time, the node one's bytes are the native one's, checksum and all.
  same_recording "$work/$name-native.zapwall-replay" "$work/$name-node.zapwall-replay" \
    "$work/$name-node-retimed.zapwall-replay" || fail "$name: the recordings began far apart"
  same_files "$work/$name-native.zapwall-replay" "$work/$name-node-retimed.zapwall-replay" \
    "$name: the recordings"

  # Each tool replays the other's recording to the same state and files as the game itself.
  for pair in "native node" "node native"; do
    read -r recorder player <<< "$pair"
    fresh "$work/$name-$player-replayed"; two_players > "$work/$name-$player-replayed/players.ko"
    sim "$player" --replay "$work/$name-$recorder.zapwall-replay" --data "$work/$name-$player-replayed" \
      --save --out "$work/$name-$player-replayed.json" --frame "$work/$name-$player-replayed.png"
    same_run "$work/$name-native-played" "$work/$name-$player-replayed" \
      "$name: $player's replay of the $recorder recording"
  done
done

# The same answer, word for word, to asking and to refused invocations: a damaged replay, one
# with a name the player's files cannot hold, a FIFO or a link loop in place of a replay, a FIFO
# in place of levels.ko (each refused at once, never waited on).
sed 's/^seed 4242$/seed 4243/' "$work/quit-native.zapwall-replay" > "$work/damaged.zapwall-replay"
sed 's/ Ada$/ 漢字/' "$work/quit-native.zapwall-replay" > "$work/cjk-unsigned"
same_recording "$work/cjk-unsigned" "$work/cjk-unsigned" "$work/cjk.zapwall-replay"
mkfifo "$work/fifo.zapwall-replay"
ln -s loop.zapwall-replay "$work/loop.zapwall-replay"
fresh "$work/refusals"
fresh "$work/fifo-levels"
rm "$work/fifo-levels/levels.ko"
mkfifo "$work/fifo-levels/levels.ko"
while IFS= read -r line; do
  read -r -a args <<< "$line"
  for which in native node; do
    status=0
    sim "$which" "${args[@]}" > "$work/$which.out" 2> "$work/$which.err" || status=$?
    echo "$status" >> "$work/$which.out"
  done
  same_files "$work/native.out" "$work/node.out" "the output and status of: ${args[*]}"
  same_files "$work/native.err" "$work/node.err" "the messages of: ${args[*]}"
done <<EOF2
--help
--bogus
--random 1e-50 --data $work/refusals
--random 0.5,+0.25 --data $work/refusals
--random 0x0.8 --data $work/refusals
--tick 0 --data $work/refusals
--replay $work/damaged.zapwall-replay --data $work/refusals
--replay $work/quit-native-played/players.ko --data $work/refusals
--replay $work/cjk.zapwall-replay --data $work/refusals --save
--replay $work/fifo.zapwall-replay --data $work/refusals
--replay $work/loop.zapwall-replay --data $work/refusals
--data $work/fifo-levels --steps 1
--data $work/refusals --random 0.25,0.5,0.75 --steps 300 --out -
EOF2
# The lock of a running game (this shell, by its name and host, as QLockFile writes it) keeps both
# from saving; the lock of a process that is gone is taken over and removed at the end.
for which in native node; do
  fresh "$work/lock-$which"
  printf '%s\nbash\n%s\n' $$ "$(hostname)" > "$work/lock-$which/zapwall.lock"
  status=0
  sim "$which" --data "$work/lock-$which" --save --steps 10 2> "$work/lock-$which.err" || status=$?
  [ "$status" = 3 ] || fail "$which saved beside a running game"
  sed "s|lock-$which|lock-TOOL|" "$work/lock-$which.err" > "$work/lock-$which.said"
  [ ! -f "$work/lock-$which/players.ko" ] || fail "$which wrote beside a running game"
  printf '999999999\nbash\n%s\n' "$(hostname)" > "$work/lock-$which/zapwall.lock"
  sim "$which" --data "$work/lock-$which" --save --steps 10 || fail "$which kept off by a stale lock"
  [ ! -e "$work/lock-$which/zapwall.lock" ] || fail "$which left its lock behind"
  # A FIFO in the lock's place names no copy: taken over, never opened and waited on.
  mkfifo "$work/lock-$which/zapwall.lock"
  sim "$which" --data "$work/lock-$which" --save --steps 10 || fail "$which kept off by a FIFO lock"
  [ ! -e "$work/lock-$which/zapwall.lock" ] || fail "$which left the FIFO lock behind"
done
same_files "$work/lock-native.said" "$work/lock-node.said" "the messages of a locked folder"

echo "sim_node_vs_native: both tools gave the same results"
