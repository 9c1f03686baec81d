#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zapwall-sim --replay FILE --check-every N: a recorded game through bonuses and lost balls to its
# game over, played twice side by side and compared after every step (and every 1000), ends
# exactly as --replay alone does: the same state, the same last picture, the same saved roster.
# Misuse of the option is refused.
#
#   replay_check_twice.sh ZAPWALL_SIM ZAPWALL_DATA BUILD_DATA_DIR SCENARIO_DIR
set -euo pipefail
sim=$1 tool=$2 base=$3 scenario=$4
source "$(dirname "$0")/../lib/script_test.sh"

# A data folder with the scenario's level set, full of bonus bricks.
fresh() {
  copy_game_data "$base" "$1"
  "$tool" levels compile "$scenario/levels.txt" "$1/levels.ko"
}
fresh "$work/recorded"
"$sim" --data "$work/recorded" --seed 3 --steps 20000 --input "$scenario/input.txt" \
  --record "$work/game.zapwall-replay" --out "$work/recorded.json"
grep -q "game over" <("$tool" show "$work/game.zapwall-replay") ||
  fail "the recorded game did not end in a game over"

fresh "$work/once"
"$sim" --replay "$work/game.zapwall-replay" --data "$work/once" --save \
  --out "$work/once.json" --frame "$work/once.png"
for every in 1 1000; do
  fresh "$work/twice-$every"
  "$sim" --replay "$work/game.zapwall-replay" --data "$work/twice-$every" --save \
    --check-every "$every" --out "$work/twice-$every.json" --frame "$work/twice-$every.png" \
    2> "$work/err" || fail "--check-every $every: $(cat "$work/err")"
  [ ! -s "$work/err" ] || fail "--check-every $every said: $(cat "$work/err")"
  diff -u "$work/once.json" "$work/twice-$every.json" ||
    fail "--check-every $every ended in another state"
  cmp "$work/once.png" "$work/twice-$every.png" || fail "--check-every $every: another picture"
  cmp "$work/once/players.ko" "$work/twice-$every/players.ko" ||
    fail "--check-every $every saved another roster"
done

expect 2 "number of steps from 1" "$sim" --replay "$work/game.zapwall-replay" --check-every 0
expect 2 "not a number" "$sim" --replay "$work/game.zapwall-replay" --check-every often
expect 2 "checks a --replay" "$sim" --data "$work/once" --check-every 10
echo "replay_check_twice: both runs stayed equal and ended as the replay alone does"
