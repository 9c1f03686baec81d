#!/usr/bin/env bash
# Plays the real zapwall on an Xvfb display scaled by 1, 1.25, 1.5 and 2 (QT_SCALE_FACTOR), and
# full screen: at each the game screen must lie inside the screen and be as large as the whole
# factor it is drawn at gives (the GUI test screen_scale_test checks its pixels). With SHOTS_DIR,
# pictures of the game screen are kept there (game-scale-1.png ... game-scale-2.png,
# game-full-screen.png): scripts/screenshots makes the README's screenshots this way.
#
# usage: e2e_scaled.sh BUILD_DIR [SHOTS_DIR]
set -euo pipefail

build=$(cd "$1" && pwd)
shots=${2:-}
tag=e2e_scaled
screen=1600x1200x24
source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
data="$work/data"
if [ -n "$shots" ]; then mkdir -p "$shots" && shots=$(cd "$shots" && pwd); fi
start_display
read -r screen_width screen_height < <(xdotool getdisplaygeometry)

# One player, "Scale" (codes are Windows-1250 plus 2): 3 spare balls, IQ 0, level 0.
printf '\x00\x00\x05\x00\x55\x00\x65\x00\x63\x00\x6e\x00\x67\x00\x03\x00\x00\x00\x00\x00' \
  > "$data/players.ko"

# WINDOW: prints "X Y WIDTH HEIGHT" of a window.
geometry() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y $WIDTH $HEIGHT"
}
# NAME X Y WIDTH HEIGHT: grabs a part of the screen into the work folder.
grab() {
  grab_screen "$work/$1.png" "${@:2}"
}

# FACTOR WIDTH HEIGHT NAME [full]: starts a game at the scale factor and checks the game screen's
# size in screen pixels.
play() {
  local factor=$1 width=$2 height=$3 name=$4 full=${5:-}
  printf '[display]\nfullScreen=%s\n' "${full:-false}" > "$data/zapwall.conf"
  QT_SCALE_FACTOR=$factor launch "$work/zapwall"
  local menu game x y w h
  menu=$(window '^V\.E\.X Zapwall$') || fail "the menu did not appear at $factor"
  read -r x y w h < <(geometry "$menu")
  # The menu is drawn at a whole factor too: its player list and its Start, in its own pixels.
  local k=$((w / 538))
  [ "$k" -ge 1 ] && [ $((w - 538 * k)) -le 1 ] || fail "the menu is $w pixels wide at $factor"
  xdotool mousemove $((x + 50 * k)) $((y + 38 * k)) click 1
  xdotool mousemove $((x + 460 * k)) $((y + 32 * k)) click 1
  game=$(window "^$game_caption\$") || fail "the game screen did not appear at $factor"
  # Xvfb runs no window manager: the script does its part of full screen, the window's size.
  [ -z "$full" ] || xdotool windowsize "$game" "$width" "$height" windowmove "$game" 0 0
  # A full-screen window is resized after it appears: wait for the size it must reach.
  sized() {
    read -r x y w h < <(geometry "$game")
    [ "$w $h" = "$width $height" ]
  }
  within_patience sized || fail "the game screen is $w x $h at $factor, expected $width x $height"
  [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le "$screen_width" ] &&
    [ $((y + h)) -le "$screen_height" ] || fail "the game screen at $x,$y is off the screen"
  # Play: the field comes alive at the first step; the picture is taken once it has changed.
  grab before "$x" "$y" "$w" "$h"
  xdotool key space
  drawn() {
    grab "$name" "$x" "$y" "$w" "$h"
    ! cmp -s "$work/before.png" "$work/$name.png"
  }
  within_patience drawn || fail "the field was not drawn at $factor"
  [ -z "$shots" ] || cp "$work/$name.png" "$shots/$name.png"
  xdotool key Escape
  ended "the program did not end after Esc at $factor"
}

# The game screen is 663 x 510 game pixels, drawn at the nearest whole factor that fits.
play 1 663 510 game-scale-1
play 1.25 664 510 game-scale-1.25   # 531 x 408 logical pixels: drawn at 1
play 1.5 1326 1020 game-scale-1.5   # drawn at 2
play 2 1326 1020 game-scale-2
play 1 "$screen_width" "$screen_height" game-full-screen true
echo "$tag: the game screen fits the screen at 1, 1.25, 1.5, 2 and full screen"
