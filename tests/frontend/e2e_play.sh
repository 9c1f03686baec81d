#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real zapwall on an Xvfb display as a player would, with xdotool: creates a player,
# looks at the hall of fame, tabs to the speed bar, starts, releases the ball, clears a one-brick
# level, resumes and quits with Esc. Then checks what the program stored in players.ko, tick.ko
# and hall.ko.
#
# usage: e2e_play.sh [--installed] BUILD_DIR [SHOTS_DIR]
# Without --installed the program runs as a portable copy, its data folder beside it. With it, the
# build is installed (cmake --install) into a temporary prefix that is then made read-only, and
# the installed program keeps its files in a temporary XDG_DATA_HOME; the tree must stay untouched.
# With SHOTS_DIR, pictures of the windows are kept there (menu.png with the speed bar focused,
# hall-of-fame.png, game.png, between-levels.png): scripts/screenshots makes the README's
# screenshots this way.
set -euo pipefail

installed=""
if [ "${1:-}" = --installed ]; then installed=yes; shift; fi
build=$(cd "$1" && pwd)
shots=${2:-}

source "$(dirname "$0")/e2e_lib.sh"
if [ -n "$installed" ]; then
  prefix="$work/prefix"
  cmake --install "$build" --prefix "$prefix" > /dev/null
  program="$prefix/bin/zapwall"
  levels="$prefix/share/zapwall/data/levels.ko"
  export XDG_DATA_HOME="$work/xdg"
  data="$XDG_DATA_HOME/zapwall"
else
  portable_copy
  program="$work/zapwall"
  data="$work/data"
  levels="$data/levels.ko"
fi
mkdir -p "$data"
if [ -n "$shots" ]; then mkdir -p "$shots" && shots=$(cd "$shots" && pwd); fi

start_display

"$build/zapwall-data" levels compile "$(dirname "$0")/../lib/one_brick_levels.txt" "$levels" \
  > /dev/null
# A hall of fame with names, a wide one of eight letters at rank 10 (ŠTĚPÁNEK).
cp "$(dirname "$0")/../lib/ten_names.ko" "$data/hall.ko"
hall_before=$(od -An -tx1 -v "$data/hall.ko")
# The installed tree, as it must stay: read-only to the program, and unchanged by the game.
tree_listing() { (cd "$prefix" && find . -printf '%p %y %m %s %T@\n' | sort); }
if [ -n "$installed" ]; then
  chmod -R a-w "$prefix"
  tree_before=$(tree_listing)
fi

# Keeps a picture of a window (by its id) when pictures are asked for.
grab() {
  [ -n "$shots" ] || return 0
  eval "$(xdotool getwindowgeometry --shell "$2")"
  "$build/zapwall-screen-grab" "$shots/$1.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
}
launch "$program"

menu=$(window '^V\.E\.X Zapwall$') || fail "the menu did not appear"
new_player "$menu" Ondra
click "$menu" 460 64           # "Síň slávy"
hall=$(window '^V\.E\.X Zapwall$' "$menu") || fail "the hall of fame did not appear"
grab hall-of-fame "$hall"
click "$hall" 236 280          # "Zavřít"
within_patience gone "$hall" || fail "the hall of fame did not close"
eval "$(xdotool getwindowgeometry --shell "$menu")"
menu_x=$X menu_y=$Y
xdotool mousemove $((menu_x + 460)) $((menu_y + 32))  # on Start
# The focused control shows a coloured frame: the menu's picture is kept once the frame has moved
# on from the name box.
focus_moved() {
  grab_screen "$work/menu-now.ppm" "$menu_x" "$menu_y" 538 300
  ! cmp -s "$work/menu-before.ppm" "$work/menu-now.ppm"
}
[ -z "$shots" ] || grab_screen "$work/menu-before.ppm" "$menu_x" "$menu_y" 538 300
xdotool key Tab Tab           # from the name box past the story to the speed bar
if [ -n "$shots" ]; then
  within_patience focus_moved || fail "the focus did not leave the name box"
  grab menu "$menu"
fi
xdotool key Right Right Left   # the speed bar: 8000 becomes 8001
xdotool click 1                # Start

game=$(window "^$game_caption\$") || fail "the game screen did not appear"
eval "$(xdotool getwindowgeometry --shell "$game")"
game_x=$X game_y=$Y
# FILE: the field of the game screen.
field() { grab_screen "$1" $((game_x + 15)) $((game_y + 15)) 498 475; }
# The lower row of steel plates: black once the level has switched (a virus passing over it only
# delays that).
plates() { grab_screen "$1" $((game_x + 80)) $((game_y + 395)) 230 16; }
black() {  # FILE WIDTH HEIGHT: a black picture of that size
  { printf 'P6\n%d %d\n255\n' "$2" "$3"; head -c $(($2 * $3 * 3)) /dev/zero; } > "$1"
}
black "$work/black.ppm" 230 16
field_changed() { field "$work/field-now.ppm" && ! cmp -s "$work/field-before.ppm" "$work/field-now.ppm"; }
plates_gone() { plates "$work/plates.ppm" && cmp -s "$work/black.ppm" "$work/plates.ppm"; }

field "$work/field-before.ppm"
xdotool key space              # play: the ball still rests on the bat
within_patience field_changed || fail "the game did not start"
grab game "$game"
plates "$work/plates.ppm"
cmp -s "$work/black.ppm" "$work/plates.ppm" && fail "the steel plates are not where they are looked for"
xdotool key space              # release the ball
# The brick is hit, its explosion ends, the level switches: the field is cleared.
within_patience plates_gone || fail "the level did not switch"
grab between-levels "$game"
xdotool key space              # resume: the next level
hold Up 0.3
xdotool key Escape             # quit: the program ends 20 steps later

ended "the program did not end after Esc"

# players.ko: highest index 0, then "Ondra" (5 codes), spare balls, IQ, level.
read -r -a roster <<< "$(od -An -td2 -v "$data/players.ko" | tr "\n" " ")"
[ "${roster[*]:0:7}" = "0 5 81 112 102 116 99" ] || fail "players.ko holds ${roster[*]}"
[ "${roster[7]}" -eq 3 ] || fail "spare balls ${roster[7]}, expected 3"
[ "${roster[8]}" -ge 30 ] || fail "IQ ${roster[8]}: the cleared level's 10 + 20 are missing"
[ "${roster[9]}" -eq 1 ] || fail "level ${roster[9]}, expected 1 (the second level)"
[ "$(od -An -c "$data/tick.ko" | tr -s ' ')" = " 8 0 0 1 \r \n" ] ||
  fail "tick.ko holds $(od -An -c "$data/tick.ko")"
[ "$(od -An -tx1 -v "$data/hall.ko")" = "$hall_before" ] || fail "a quit changed hall.ko"
if [ -n "$installed" ]; then
  [ "$(tree_listing)" = "$tree_before" ] || fail "the installed tree changed"
fi
echo "e2e: played, quit and stored: ${roster[*]}"
