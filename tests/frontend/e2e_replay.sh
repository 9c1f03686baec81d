#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a short real game of zapwall on an Xvfb display with xdotool (held arrow keys, a pause,
# the ball released, an arrow held for seconds under the X server's auto-repeat, which must reach
# the game as one press held, Esc), then runs the replay the game wrote through zapwall-sim
# --replay: it must end with the IQ, level and spare balls the game stored in players.ko. Then the
# real program watches the replay to its end with --levels, of the compiled set and of its text,
# and writes nothing. Last, a game killed mid-play is saved cut short at the next start.
#
# usage: e2e_replay.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
tag=e2e_replay
source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
data="$work/data"
start_display

new_game Rec
# The player's keys, held as long as a player holds them: what reached the game is read back
# from the replay it writes.
xdotool keydown Down             # held before the start
xdotool key space                # play
xdotool keyup Down
xdotool key space                # release the ball
hold Up 0.6
xdotool key p                    # pause, an arrow while paused, resume
hold Down 0.2
xdotool key p
hold Up 3                        # under the X server's auto-repeat
xdotool key Escape               # quit: the program ends 20 steps later
ended "the program did not end after Esc"

replays=("$data"/replays/*_Rec.zapwall-replay)
[ "${#replays[@]}" -eq 1 ] && [ -f "${replays[0]}" ] || fail "no replay in $data/replays"
replay=${replays[0]}
"$build/zapwall-data" show "$replay" > "$work/shown" || fail "zapwall-data show refused the replay"
grep -q "Up down" "$work/shown" && grep -q "P down" "$work/shown" ||
  fail "the held keys and the pause are not in the replay: $(cat "$work/shown")"
# The X server sends a release and a press for every repeat of the last held Up; none of those
# releases may reach the game: after the first hold's release come the repeated presses (each a
# key down) and the one real release, which by the game's clock came (nearly) three seconds later.
mapfile -t up < <(awk '$3 ~ /^key(down|up)$/ && $4 == 38 { print $2, $3 }' "$replay" |
  sed -n '/keyup/,$p' | tail -n +2)
presses=$(printf '%s\n' "${up[@]}" | grep -c keydown) || true
[ "$presses" -ge 10 ] || fail "only $presses key downs of Up: did the X server repeat the key?"
[ "$(printf '%s\n' "${up[@]}" | grep -c keyup)" = 1 ] && [ "${up[-1]##* }" = keyup ] ||
  fail "releases of Up reached the game, the real one last expected: ${up[*]}"
[ $((${up[-1]%% *} - ${up[0]%% *})) -ge 2500 ] || fail "Up was down for too short: ${up[*]}"

# players.ko: highest index 0, "Rec" (3 codes), spare balls, IQ, level.
read -r -a roster <<< "$(od -An -td2 -v "$data/players.ko")"
"$build/zapwall-sim" --replay "$replay" --data "$data" --out "$work/replayed.json" ||
  fail "zapwall-sim could not replay the game"
value() { sed -n "s/^ \"$1\": \\(-\\?[0-9]*\\),\\?\$/\\1/p" "$work/replayed.json"; }
[ "$(value BallsLeft)" = "${roster[5]}" ] || fail "spare balls $(value BallsLeft), stored ${roster[5]}"
[ "$(value Iq)" = "${roster[6]}" ] || fail "IQ $(value Iq), stored ${roster[6]}"
[ "$(value Level)" = "${roster[7]}" ] || fail "level $(value Level), stored ${roster[7]}"

# Watching the replay with --levels, the set read where it lies or compiled from its text for the
# watching alone, plays it to its end (the quit) and writes nothing (the game's own watching is
# ReplayProgramTest's).
before=$(cd "$data" && find . -type f -exec md5sum {} + | sort)
cp "$data/levels.ko" "$work/set.ko"
"$build/zapwall-data" levels decompile "$work/set.ko" > "$work/set.txt"
for set in set.ko set.txt; do
  launch "$work/zapwall" --levels "$work/$set" "$replay"
  window "^$game_caption .+hry\$" > /dev/null || fail "the replay is not shown with $set"
  ended "watching the replay with $set did not end"
  after=$(cd "$data" && find . -type f -exec md5sum {} + | sort)
  [ "$before" = "$after" ] || fail "watching a replay with $set wrote into the data folder"
done

# A game killed mid-play keeps its replay up to the kill: the next start saves it, cut short, and
# it replays as far.
new_game Cut
xdotool key space
hold Up 0.3
within_patience grep -q "keyup 38" "$data/replays/recording.zapwall-journal" ||
  fail "the game in play wrote no journal"
kill -9 "$pid"
reap "$pid" || true
launch "$work/zapwall"
window '^V\.E\.X Zapwall$' > /dev/null || fail "the menu did not appear after the kill"
cut=("$data"/replays/*_Cut.zapwall-replay)
[ -f "${cut[0]}" ] && grep -q "^end [0-9]* [0-9]* cut$" "${cut[0]}" ||
  fail "the killed game's replay was not saved as cut short"
[ ! -e "$data/replays/recording.zapwall-journal" ] || fail "the journal stayed"
"$build/zapwall-sim" --replay "${cut[0]}" --data "$data" --out "$work/cut.json" ||
  fail "zapwall-sim did not replay the cut game"
echo "e2e_replay: played (Up held: $presses key downs, one release), replayed: ${roster[*]}; a killed game kept"
