#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Holds an arrow key for three seconds in a real game of zapwall on an Xvfb display with the X
# server's own key auto-repeat on, as a player holds it. The X server then sends a release and a
# press for every repeat; none of those pairs may reach the game. The replay the game wrote shows
# what reached the rules: the repeated presses (each one a key down), but between the first press
# and the one real release no release at all, so the bat moved on every step the key was held.
#
# usage: e2e_held_key.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
tag=e2e_held_key
source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
data="$work/data"
start_display                  # Xvfb repeats a held key, as any X server does by default

new_game Held
xdotool key space              # play; the ball rests on the bat
hold Down 3                    # the time under test
xdotool key Escape             # quit: the program ends 20 steps later
ended "the program did not end after Esc"

replays=("$data"/replays/*_Held.zapwall-replay)
[ -f "${replays[0]}" ] || fail "no replay in $data/replays"
# STEP MILLIS keydown|keyup 40, in order.
mapfile -t down < <(awk '$3 ~ /^key(down|up)$/ && $4 == 40 { print $1, $2, $3 }' "${replays[0]}")
presses=0 releases=0
for line in "${down[@]}"; do
  case $line in
    *keydown) presses=$((presses + 1)) ;;
    *keyup) releases=$((releases + 1)) ;;
  esac
done
# Auto-repeat must have run (else the test shows nothing): a held key repeats after well under a
# second, about 25 times a second.
[ "$presses" -ge 10 ] || fail "only $presses key downs of Down: did the X server repeat the key?"
[ "$releases" -eq 1 ] && [ "${down[-1]##* }" = keyup ] ||
  fail "$releases releases of Down reached the game, the real one last expected: ${down[*]}"
read -r first first_ms _ <<< "${down[0]}"
read -r last last_ms _ <<< "${down[-1]}"
# By the game's own clock the key was down for (nearly) the three seconds it was held, however
# many steps a busy machine let the game make in that time.
[ $((last_ms - first_ms)) -ge 2500 ] || fail "the key was down for $((last_ms - first_ms)) ms only"
echo "$tag: Down held for $((last - first)) steps, $presses key downs, one release"
