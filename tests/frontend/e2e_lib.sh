# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the end-to-end scripts: a work folder removed at the end with every program started
# in it, a portable copy of the program, an Xvfb display of the script's own, and helpers that wait
# for windows, click in them and wait for the program to end.
#
# Before sourcing, the script sets `build` (the build folder) and may set `tag` (the start of its
# messages, e2e by default) and `screen` (the display's size, 1024x768x24 by default). The program
# keeps its settings (full screen) in the work folder, never in the user's.
#
# Every wait is for a condition, with a deadline generous enough for a machine busy with other
# work (`patience` seconds, 60 by default): a fault fails all the same, only later.

work=$(mktemp -d)
patience=${patience:-60}
xvfb="" pid="" pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  # The X server is waited for: one still shutting down would remove the socket of the next
  # test's server if that one took the same display number meanwhile.
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; fi
  chmod -R u+w "$work"  # a tree made read-only is removed all the same
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "${tag:-e2e}: $*" >&2; exit 1; }

# xdotool reads the windows' captions in the locale's encoding, and the Czech ones need UTF-8,
# which a minimal machine without LANG does not give; the programs under test keep the locale
# they were given.
xdotool() { LC_ALL=C.UTF-8 command xdotool "$@"; }

# COMMAND...: runs the command until it succeeds, for at most `patience` seconds; false if it
# never did.
within_patience() {
  local until=$((SECONDS + patience))
  until "$@"; do
    [ "$SECONDS" -lt "$until" ] || return 1
    sleep 0.05  # the pace of looking again, not a wait for a result
  done
}

# KEY SECONDS: holds a key down for a while, as a player does: the length of the input, not a
# wait for anything.
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}

# The game screen's caption, with the version of the program built.
version=$("$build/zapwall" --version | sed -n 's/^zapwall //p')
[ -n "$version" ] || fail "$build/zapwall --version names no version"
game_caption="V\\.E\\.X Zapwall v${version//./\\.}"

# Starts a program (its command line) in the background; its id is in `pid`.
launch() {
  "$@" &
  pid=$!
  pids+=("$pid")
}

# Copies the program, its sound library and the drawn part of the build's data folder into the
# work folder, with any further files of the data folder named. Copies, not links: the program
# finds its data folder beside its own file.
portable_copy() {
  cp "$build/zapwall" "$build/2d_snd.so" "$work/"
  mkdir "$work/data"
  cp -r "$build/data/pictures" "$build/data/sounds" "$build/data/animations.ko" \
    "${@/#/$build/data/}" "$work/data/"
}

# A display of our own: Xvfb picks a free number itself and tells it once it is ready, so test
# runs started side by side never race for one. -noreset: by default the server resets when its
# last client leaves, and a program started in that moment (the next copy after a killed one, an
# xdotool call) has its connection refused.
start_display() {
  Xvfb -displayfd 3 -screen 0 "${screen:-1024x768x24}" -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
  xvfb=$!
  within_patience test -s "$work/display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$work/display")"
  export SDL_AUDIODRIVER=dummy
  export XDG_CONFIG_HOME="$work/config"
}

# Runs openbox on the display, which frames the windows with title bars and places them as a
# desktop does, and waits until it manages the display.
start_window_manager() {
  launch openbox --sm-disable --startup "touch $work/managed" > /dev/null 2>&1
  within_patience test -e "$work/managed" || fail "openbox did not start"
}

# WINDOW: prints "X Y WIDTH HEIGHT" of the window's client area on the screen (xdotool's own
# figures count a window manager's frame twice).
client_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^  Width:/ { w = $NF } /^  Height:/ { h = $NF } END { print x, y, w, h }'
}

# WINDOW: prints "LEFT TOP RIGHT BOTTOM" of the window with its frame, the title bar included;
# the right and bottom edges lie outside it.
framed_geometry() {
  local x y width height left right top bottom
  read -r x y width height < <(client_geometry "$1")
  read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS |
    sed -n 's/.* = \([0-9]*\), \([0-9]*\), \([0-9]*\), \([0-9]*\)$/\1 \2 \3 \4/p')
  echo "$((x - ${left:-0})) $((y - ${top:-0})) $((x + width + ${right:-0})) $((y + height + ${bottom:-0}))"
}

# WINDOW WHAT: fails unless the window, its title bar and frame included, lies on the screen.
on_screen() {
  local left top right bottom screen_width screen_height
  read -r left top right bottom < <(framed_geometry "$1")
  read -r screen_width screen_height < <(xdotool getdisplaygeometry)
  [ "$left" -ge 0 ] && [ "$top" -ge 0 ] && [ "$right" -le "$screen_width" ] &&
    [ "$bottom" -le "$screen_height" ] ||
    fail "$2 lies at $left,$top to $right,$bottom with its frame, off the $screen_width x $screen_height screen"
}

# PATTERN [EXCEPT]: waits for a visible window whose caption matches (other than the window
# EXCEPT) and for it to have the keyboard focus, ready for input (a window that does not take
# the focus itself is given it, as a window manager would), and prints its id.
window() {
  within_patience focused_window "$@" || return 1
  echo "$found"
}
found=""
focused_window() {
  found=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${2:-none}" | head -1)
  [ -n "$found" ] || return 1
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$found" ] && return 0
  xdotool windowfocus "$found" 2>/dev/null
  return 1
}

# WINDOW: true once the window is no longer shown.
gone() {
  ! xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$1"
}

# WINDOW X Y: clicks at a point of a window's client area.
click() {
  local x y width height
  read -r x y width height < <(client_geometry "$1")
  xdotool mousemove $((x + $2)) $((y + $3)) click 1
}

# MENU NAME: types a new player's name into the menu's name box and adds the player.
new_player() {
  click "$1" 50 209
  xdotool type --delay 20 "$2"
  xdotool key Return
}

# NAME [ARGUMENT...]: starts the portable copy with the arguments (its id in `pid`), makes a new
# player NAME on its menu and presses Start; the game screen's window, once it is there, is in
# `game`.
new_game() {
  launch "$work/zapwall" "${@:2}"
  local menu
  menu=$(window '^V\.E\.X Zapwall$') || fail "the menu did not appear"
  new_player "$menu" "$1"
  click "$menu" 460 32           # Start
  game=$(window "^$game_caption\$") || fail "the game screen did not appear"
}

# MESSAGE: waits for the program last launched to end; its exit status must be 0.
ended() {
  within_patience ended_already || fail "$1"
  local status=0
  reap "$pid" || status=$?
  [ "$status" -eq 0 ] || fail "exit status $status"
}
ended_already() { ! kill -0 "$pid" 2>/dev/null; }

# PID: collects a program started with launch that has ended (or was killed), with its exit
# status, and forgets it: its id may be given to another process now, which the clean-up at the
# end must not kill.
reap() {
  local status=0 p still=()
  wait "$1" || status=$?
  for p in "${pids[@]}"; do [ "$p" = "$1" ] || still+=("$p"); done
  pids=("${still[@]}")
  return "$status"
}

# FILE X Y WIDTH HEIGHT: grabs a part of the screen into FILE, a PNG or, named .ppm, a plain
# picture whose bytes a script can compare.
grab_screen() {
  "$build/zapwall-screen-grab" "$@"
}
