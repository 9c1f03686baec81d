# SPDX-License-Identifier: GPL-3.0-or-later
# shellcheck shell=bash
# Sourced by the test scripts that run the programs or the set-up scripts on files of their own: a
# work folder removed at the end, `fail`, copies of the game's data for the programs to read, and a
# program's outcome captured and checked.

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# MESSAGE...: ends the test as failed, naming the script.
fail() {
  echo "$(basename "$0"): $*" >&2
  exit 1
}

# Writes the roster of two players the tools' recorded games play from: Ada (2 spare balls, IQ 40,
# level 0) and Bara (none, IQ 900, level 2), as players.ko holds them.
two_players() {
  cat "$(dirname "${BASH_SOURCE[0]}")/two_players.ko"
}

# FROM TO: copies the game's own data of the data folder FROM (pictures, sounds, level set,
# animation table; none of the player's files) into the folder TO, made as needed.
copy_game_data() {
  mkdir -p "$2"
  cp -r "$1/pictures" "$1/sounds" "$1/levels.ko" "$1/animations.ko" "$2/"
}

# COMMAND...: runs it with its output in $work/out and $work/err and its status in $status.
capture() {
  status=0
  "$@" > "$work/out" 2> "$work/err" || status=$?
}

# STATUS PATTERN COMMAND...: the command ends with STATUS and says PATTERN (grep's) on stderr.
expect() {
  local want=$1 pattern=$2
  shift 2
  capture "$@"
  [ "$status" = "$want" ] || fail "status $status, not $want, for: $*: $(cat "$work/err")"
  grep -q -- "$pattern" "$work/err" || fail "no '$pattern' on stderr for: $*: $(cat "$work/err")"
}
