#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Plays the real zapwall and opens zapwall-editor on an Xvfb screen of the given size, framed by a
# window manager (openbox), at the scale factors 1, 1.25, 1.5 and 2 (QT_SCALE_FACTOR): every
# window must lie on the screen with its title bar, the menu and the game screen as large as the
# whole factor they are drawn at gives (the GUI test screen_scale_test checks the pixels). At 1
# and 1.5, full screen (F11) fills the screen and F11 again brings the game screen back whole,
# title bar included, where it was. With SHOTS_DIR, pictures of the game screen are kept
# there (game-scale-F.png, game-full-screen.png); with SCREENS_DIR,
# pictures of the whole screen at 1, 1.5 and 2 (the menu with the hall of fame over it, the game
# screen, the editor: SIZE-scale-F-menu.png, -game.png, -editor.png). scripts/screenshots makes
# them this way.
#
# usage: e2e_scaled.sh BUILD_DIR WIDTHxHEIGHT [SHOTS_DIR [SCREENS_DIR]]
set -euo pipefail

build=$(cd "$1" && pwd)
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
size=$2
shots=${3:-}
screens=${4:-}
tag="e2e_scaled $size"
screen=${size}x24
source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
cp "$build/zapwall-editor" "$work/"
data="$work/data"
if [ -n "$shots" ]; then mkdir -p "$shots" && shots=$(cd "$shots" && pwd); fi
if [ -n "$screens" ]; then mkdir -p "$screens" && screens=$(cd "$screens" && pwd); fi
start_display
start_window_manager
read -r screen_width screen_height < <(xdotool getdisplaygeometry)

# One player, "Scale" (codes are Windows-1250 plus 2): 3 spare balls, IQ 0, level 0.
printf '\x00\x00\x05\x00\x55\x00\x65\x00\x63\x00\x6e\x00\x67\x00\x03\x00\x00\x00\x00\x00' \
  > "$data/players.ko"

# NAME [X Y WIDTH HEIGHT]: grabs the screen, or a part of it, into the work folder.
grab() {
  grab_screen "$work/$1.png" "${@:2:4}"
}
# NAME: keeps a picture of the whole screen as SIZE-NAME.png, where they are kept.
keep_screen() {
  [ -z "$screens" ] || grab_screen "$screens/$size-$1.png" 0 0 "$screen_width" "$screen_height"
}
# WINDOW WIDTH HEIGHT: true once the window's client area has this size.
sized() {
  local x y w h
  read -r x y w h < <(client_geometry "$1")
  [ "$w $h" = "$2 $3" ]
}

# GAME FACTOR WIDTH HEIGHT: F11 makes the game screen as large as the screen, and F11 again gives
# back the framed window of WIDTH x HEIGHT, on the screen where it was before. Each F11 goes to
# the game screen once it holds the focus and its size has settled.
full_screen_and_back() {
  local game=$1 factor=$2 width=$3 height=$4 before
  before=$(framed_geometry "$game")
  window "^$game_caption\$" > /dev/null || fail "the game screen lost the focus at $factor"
  xdotool key F11
  within_patience sized "$game" "$screen_width" "$screen_height" ||
    fail "full screen at $factor left the game screen at $(client_geometry "$game")"
  if [ "$factor" = 1 ] && [ -n "$shots" ]; then
    grab_screen "$shots/game-full-screen.png" 0 0 "$screen_width" "$screen_height"
  fi
  window "^$game_caption\$" > /dev/null || fail "the full screen lost the focus at $factor"
  xdotool key F11
  # Where it was: at a fractional factor Qt may round the frame's corner by a few pixels.
  back() {
    local was now
    sized "$game" "$width" "$height" || return 1
    read -r -a was <<< "$before"
    read -r -a now < <(framed_geometry "$game")
    [ $(((now[0] - was[0]) ** 2 + (now[1] - was[1]) ** 2)) -le 64 ]
  }
  within_patience back ||
    fail "out of full screen at $factor the game screen lies at $(framed_geometry "$game"), not $before"
  on_screen "$game" "the game screen out of full screen at $factor"
}

# FACTOR WIDTH HEIGHT: starts a game at the scale factor, opens the hall of fame over the menu,
# and checks that every window is on the screen and the game screen WIDTH x HEIGHT screen pixels.
play() {
  local factor=$1 width=$2 height=$3
  local shot=""
  case "$factor" in 1 | 1.5 | 2) shot=scale-$factor ;; esac
  # Framed, whatever an earlier run left in the settings.
  printf '[display]\nfullScreen=false\n' > "$data/zapwall.conf"
  QT_SCALE_FACTOR=$factor launch "$work/zapwall"
  local menu hall game x y w h
  menu=$(window '^V\.E\.X Zapwall$') || fail "the menu did not appear at $factor"
  on_screen "$menu" "the menu at $factor"
  read -r x y w h < <(client_geometry "$menu")
  # The menu is drawn at a whole factor too: its player list and its Start, in its own pixels.
  local k=$((w / 538))
  [ "$k" -ge 1 ] && [ $((w - 538 * k)) -le 1 ] || fail "the menu is $w pixels wide at $factor"
  click "$menu" $((460 * k)) $((64 * k))
  hall=$(window '^V\.E\.X Zapwall$' "$menu") || fail "the hall of fame did not open at $factor"
  on_screen "$hall" "the hall of fame at $factor"
  [ -z "$shot" ] || keep_screen "$shot-menu"
  xdotool key Escape
  within_patience gone "$hall" || fail "Esc did not close the hall of fame at $factor"

  # The first player and Start from the keyboard: a click there could still meet the hall's
  # frame, which the window manager takes away a moment after the hall itself.
  window '^V\.E\.X Zapwall$' > /dev/null || fail "the menu took no focus back at $factor"
  xdotool key Down Return
  game=$(window "^$game_caption\$") || fail "the game screen did not appear at $factor"
  within_patience sized "$game" "$width" "$height" ||
    fail "the game screen is $(client_geometry "$game") at $factor, expected $width x $height"
  on_screen "$game" "the game screen at $factor"
  # Play: the field comes alive at the first step; the picture is taken once it has changed.
  read -r x y w h < <(client_geometry "$game")
  grab before "$x" "$y" "$w" "$h"
  xdotool key space
  drawn() {
    grab "game-$factor" "$x" "$y" "$w" "$h"
    ! cmp -s "$work/before.png" "$work/game-$factor.png"
  }
  within_patience drawn || fail "the field was not drawn at $factor"
  [ -z "$shot" ] || keep_screen "$shot-game"
  [ -z "$shots" ] || cp "$work/game-$factor.png" "$shots/game-scale-$factor.png"
  case "$factor" in 1 | 1.5) full_screen_and_back "$game" "$factor" "$width" "$height" ;; esac

  xdotool key Escape
  ended "the program did not end after Esc at $factor"
}

# FACTOR: opens the level editor at the scale factor; its window must lie on the screen.
edit() {
  local factor=$1 editor
  QT_SCALE_FACTOR=$factor launch "$work/zapwall-editor" "$source_dir/assets/levels.txt"
  editor=$(window '^levels\.txt ') || fail "the editor did not appear at $factor"
  on_screen "$editor" "the editor at $factor"
  case "$factor" in 1 | 1.5 | 2) keep_screen "scale-$factor-editor" ;; esac
  kill "$pid"
  reap "$pid" || true
}

# The game screen is 663 x 510 game pixels, drawn at the nearest whole factor that fits with its
# frame: 2 at 1.5 and 2 where 1020 screen pixels and a title bar fit the height, 1 otherwise
# (663 logical pixels at 1.25 or 2 cover 664 screen pixels).
case "$screen_height" in
  1080) large="1326 1020" ;;
  *) large="" ;;
esac
play 1 663 510
play 1.25 664 510
play 1.5 ${large:-663 510}
play 2 ${large:-664 510}
for factor in 1 1.5 2; do edit "$factor"; done
echo "$tag: every window lies on the screen with its title bar at 1, 1.25, 1.5 and 2"
