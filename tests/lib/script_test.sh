# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the test scripts that run the programs or the set-up scripts on files of their own: a
# work folder removed at the end, `fail`, and copies of the game's data for the programs to read.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# MESSAGE...: ends the test as failed, naming the script.
fail() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# FROM TO: copies the game's own data of the data folder FROM (pictures, sounds, level set,
# animation table; none of the player's files) into the folder TO, made as needed.
copy_game_data() {
  mkdir -p "$2"
  cp -r "$1/pictures" "$1/sounds" "$1/levels.ko" "$1/animations.ko" "$2/"
}
