#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The command lines of the game and its tools, with no display at all: --help and --version print
# and exit 0 (so they never open a window), other arguments are refused with status 2. For the
# game and the editor: no display, or no Qt Wayland plugin where Wayland is asked for, gives one
# line and status 1 instead of Qt's abort; the game's --help names the folders of its layout.
#
#   command_line.sh VERSION PROGRAM...
set -uo pipefail
version=$1
shift
source "$(dirname "$0")/../lib/script_test.sh"

unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
lines() { wc -l < "$1"; }

# The programs with windows: no display, or no Qt Wayland plugin where Wayland is asked for, gives
# one line naming the program and status 1 instead of Qt's abort.
check_display() {  # check_display PROGRAM NAME
  local program=$1 name=$2
  capture "$program"
  [ "$status" = 1 ] || fail "$name without a display: status $status, not 1"
  [ "$(lines "$work/err")" = 1 ] && grep -q "^$name: .*displej" "$work/err" ||
    fail "$name without a display said: $(cat "$work/err")"
  # A display that does not answer: the same line at the end, and status 1.
  capture env DISPLAY=:7919 "$program"
  [ "$status" = 1 ] || fail "$name on a dead display: status $status, not 1"
  tail -1 "$work/err" | grep -q "^$name: .*displej" ||
    fail "$name on a dead display said: $(cat "$work/err")"
  # Wayland asked for and Qt's Wayland plugin missing (hidden from a copy of the game by a qt.conf
  # beside it): the line names the plugin's package, not the display.
  mkdir -p "$work/copy/plugins"
  cp "$program" "$work/copy/"
  printf '[Paths]\nPlugins = %s\n' "$work/copy/plugins" > "$work/copy/qt.conf"
  capture env QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-zapwall-test "$work/copy/$name"
  [ "$status" = 1 ] || fail "$name without Qt's Wayland plugin: status $status, not 1"
  tail -1 "$work/err" | grep -q "^$name: .*Wayland.*qt6-wayland" ||
    fail "$name without Qt's Wayland plugin said: $(cat "$work/err")"
}

for program in "$@"; do
  name=$(basename "$program")
  for ask in --help -h; do
    capture "$program" "$ask"
    [ "$status" = 0 ] || fail "$name $ask: status $status"
    grep -q "^usage: $name" "$work/out" || fail "$name $ask printed no usage"
  done
  capture "$program" --version
  [ "$status" = 0 ] || fail "$name --version: status $status"
  [ "$(cat "$work/out")" = "$name $version" ] || fail "$name --version: $(cat "$work/out")"
  capture "$program" --frobnicate
  [ "$status" = 2 ] || fail "$name --frobnicate: status $status, not 2"
  [ -s "$work/err" ] && [ ! -s "$work/out" ] || fail "$name --frobnicate: no reason given"

  if [ "$name" = zapwall ]; then
    [ "$(lines "$work/err")" = 1 ] || fail "zapwall's refusal is not one line: $(cat "$work/err")"
    # The game's messages are Czech, never Czech and English side by side.
    [ "$(cat "$work/err")" = "zapwall: neznámý argument: --frobnicate (zapwall --help)" ] ||
      fail "zapwall's refusal: $(cat "$work/err")"
    # --levels and --player come before the rest, once each; --player only for a game.
    for refused in "--player" "--player A --player B" "--player A --replay x.zapwall-replay" \
      "--levels x.ko --player A x.zapwall-replay"; do
      capture "$program" $refused
      [ "$status" = 2 ] && [ "$(lines "$work/err")" = 1 ] ||
        fail "zapwall $refused: status $status: $(cat "$work/err")"
    done
    capture "$program" --player A --levels x.ko  # taken: only the display is missing
    [ "$status" = 1 ] || fail "zapwall --player A --levels x.ko: status $status"
    capture "$program" --version --frobnicate
    [ "$status" = 0 ] || fail "zapwall --version --frobnicate: status $status"
    # Beside its data folder, the game reads and writes there.
    capture "$program" --help
    folder=$(cd "$(dirname "$program")" && pwd -P)
    [ "$(grep -c " $folder/data\$" "$work/out")" = 2 ] || fail "zapwall --help: $(cat "$work/out")"
  fi
  case "$name" in zapwall | zapwall-editor) check_display "$program" "$name" ;; esac
done
echo ok
