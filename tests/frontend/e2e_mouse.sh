#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays a real game of zapwall on an Xvfb display with the mouse alone, as a player would: a click
# on the field starts play and hands the bat to the mouse, which then takes the bat to two heights.
# The replay the game wrote holds nothing but key presses and releases; zapwall-sim --replay plays
# it out as recorded, with the bat where the mouse left it, moved 3 pixels for every step an
# arrow was held and no further.
#
# usage: e2e_mouse.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
tag=e2e_mouse
source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
data="$work/data"
start_display

new_game Mys
eval "$(xdotool getwindowgeometry --shell "$game")"
field_x=$((X + 16)) field_y=$((Y + 16))
# FILE X Y HEIGHT: a strip of the bat's column, from row Y of the field, is black.
black_strip() {
  grab_screen "$1" $((field_x + 440)) $((field_y + $2)) 12 "$3" &&
    [ "$(tail -n +4 "$1" | tr -d '\0' | wc -c)" -eq 0 ]  # past the .ppm's three header lines
}
# ROW: the bat is drawn around ROW, and its column is black but for the bat's 60 rows around
# ROW, give or take a step.
bat_at() {
  ! black_strip "$work/bat.ppm" $(($1 - 3)) 6 && black_strip "$work/above.ppm" 0 $(($1 - 33)) &&
    black_strip "$work/below.ppm" $(($1 + 33)) $((442 - $1))
}
xdotool mousemove $((field_x + 200)) $((field_y + 100)) click 1  # play; the ball stays on the bat
within_patience bat_at 100 || fail "the bat did not come up to the mouse"
xdotool mousemove $((field_x + 250)) $((field_y + 380))
within_patience bat_at 380 || fail "the bat did not follow the mouse down"
xdotool key Escape             # quit: the program ends 20 steps later
ended "the program did not end after Esc"

replay=$(echo "$data"/replays/*_Mys.zapwall-replay)
[ -f "$replay" ] || fail "no replay in $data/replays"
# Every input is a key (Space, the arrows, Esc); the bat moves 3 pixels in each step an arrow is
# down, from its start at 240.
expected=$(awk '$1 ~ /^[0-9]+$/ {
    if (NF != 4 || $3 !~ /^key(down|up)$/ || $4 !~ /^(27|32|38|40)$/) other = other " [" $0 "]"
    if ($4 == 40 || $4 == 38) { sign = $4 == 40 ? 3 : -3; top += ($3 == "keyup" ? sign : -sign) * $1 }
  } END { print other ? "other input" other : 240 + top }' "$replay")
"$build/zapwall-sim" --replay "$replay" --data "$data" --out "$work/replayed.json" ||
  fail "zapwall-sim did not play the replay out as recorded"
top=$(sed -n 's/^ "BatTop": \(-\?[0-9]*\),\?$/\1/p' "$work/replayed.json")
[ "$top" = "$expected" ] || fail "the bat ended at $top, its held arrows take it to $expected"
[ $((top + 30 - 380)) -le 3 ] && [ $((380 - top - 30)) -le 3 ] || fail "the bat ended at $top"
echo "$tag: the mouse took the bat to $((top + 30)), replayed"
