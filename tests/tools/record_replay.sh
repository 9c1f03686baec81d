#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Records scripted headless games with zapwall-sim --record and runs the recordings again with
# --replay: each replay must end in exactly the state of the game it recorded, write the same
# players.ko and hall.ko with --save and nothing without it, and so must a replay played twice
# side by side and compared after every step (--check-every 1) or every 1000; a data folder with
# another level file and misuse of --check-every must be refused. One game runs on the level set
# of the scenario given, full of bonus bricks.
#
#   record_replay.sh ZAPWALL_SIM ZAPWALL_DATA BUILD_DATA_DIR SCENARIO_DIR
set -euo pipefail
sim=$1 tool=$2 base=$3 scenario=$4
source "$(dirname "$0")/../lib/script_test.sh"

# DIR [LEVELS_TXT]: a data folder as start-up finds it: the build's pictures, sounds and animation
# table, the build's level set or the one compiled from LEVELS_TXT, and the roster of two players.
fresh() {
  copy_game_data "$base" "$1"
  [ -z "${2:-}" ] || "$tool" levels compile "$2" "$1/levels.ko"
  two_players > "$1/players.ko"
}

# NAME PLAYER SCRIPT STEPS [LEVELS_TXT]: plays SCRIPT as PLAYER, recording it, saves, then replays
# the recording on fresh folders.
check_game() {
  local name=$1 player=$2 script=$3 steps=$4 levels=${5:-}
  local played=$work/$name-played replayed every check
  fresh "$played" "$levels"
  "$sim" --data "$played" --player "$player" --seed 4242 --tick 8000 --steps "$steps" \
    --input "$script" --record "$work/$name.zapwall-replay" --save --out "$played.json" \
    --frame "$played.png"
  "$tool" show "$work/$name.zapwall-replay" > "$work/$name.shown" ||
    fail "$name: zapwall-data show refused the recording"

  # Without --save nothing reaches the folder.
  fresh "$work/$name-unsaved" "$levels"
  before=$(cd "$work/$name-unsaved" && find . -type f -exec md5sum {} + | sort)
  "$sim" --replay "$work/$name.zapwall-replay" --data "$work/$name-unsaved" > /dev/null
  after=$(cd "$work/$name-unsaved" && find . -type f -exec md5sum {} + | sort)
  [ "$before" = "$after" ] || fail "$name: a replay without --save wrote into the data folder"

  # Saved as the game was, so that the reports (which name any file not written) compare too; alone
  # (every 0) and played twice side by side, compared every step or every 1000.
  for every in 0 1 1000; do
    replayed=$work/$name-replayed-$every
    fresh "$replayed" "$levels"
    check=()
    [ "$every" = 0 ] || check=(--check-every "$every")
    "$sim" --replay "$work/$name.zapwall-replay" --data "$replayed" --save "${check[@]}" \
      --out "$replayed.json" --frame "$replayed.png" 2> "$work/err" ||
      fail "$name, every $every: $(cat "$work/err")"
    [ ! -s "$work/err" ] || fail "$name, every $every, said: $(cat "$work/err")"
    diff -u "$played.json" "$replayed.json" || fail "$name, every $every: another state"
    cmp "$played.png" "$replayed.png" || fail "$name, every $every: another last picture"
    for file in players.ko hall.ko; do
      if [ -f "$played/$file" ] || [ -f "$replayed/$file" ]; then
        cmp "$played/$file" "$replayed/$file" || fail "$name, every $every: another $file"
      fi
    done
  done
}

# Ada: held arrows before and after the start, a pause with a key inside it, the ball released,
# then Esc: the quit stores her progress.
cat > "$work/quit.txt" <<'EOF'
0 keydown 40
3 keydown 32
3 keyup 40
10 keydown 32
60 keydown 38
120 keydown 80
130 keyup 38
160 keydown 80
161 keydown 80
162 keydown 80
2500 keydown 27
EOF
check_game quit Ada "$work/quit.txt" 4000
grep -q "end after step [0-9]*, at .*: the player quit" "$work/quit.shown" ||
  fail "the quit is not shown as such"

# Ada through the bonuses of the scenario's level set and her three balls to a game over.
check_game bonuses Ada "$scenario/input.txt" 20000 "$scenario/levels.txt"
grep -q "game over" "$work/bonuses.shown" || fail "the bonus game did not end in a game over"

# Refusals: a data folder with another level file, and misuse of --check-every. (A damaged or
# foreign recording is refused as every file the replay reader refuses: tools_file_refusals and
# ReplayFileTest.)
printf '\x01\x00\x01\x00\x00\x00\x00\x00\x0a\x00\x00\x00\x00\x00\x00\x00' \
  > "$work/quit-replayed-0/levels.ko"
if "$sim" --replay "$work/quit.zapwall-replay" --data "$work/quit-replayed-0" 2> "$work/err"; then
  fail "a recording was replayed with another level file"
fi
grep -q "nahrána s jiným souborem levels.ko, než je $work/quit-replayed-0/levels.ko" "$work/err" ||
  fail "the level file's message: $(cat "$work/err")"
expect 2 "number of steps from 1" "$sim" --replay "$work/quit.zapwall-replay" --check-every 0
expect 2 "checks a --replay" "$sim" --data "$work/quit-played" --check-every 10
echo "record_replay: recorded and replayed to the same state"
