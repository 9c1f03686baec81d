#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The level editor on an Xvfb display, as an author uses it: draws a level of a few bricks with the
# keyboard, test-plays it (the game opens on a throw-away copy with the test player; Esc ends it
# and the copy goes), saves the set as text and levels.ko through the file dialog, and plays the
# saved set with `zapwall --levels`, whose players are kept in the set's own folder.
#
# usage: e2e_editor.sh BUILD_DIR [SHOTS_DIR]
# With SHOTS_DIR, a picture of the editor with the shipped set open is kept there (editor.png):
# scripts/screenshots makes the README's screenshot this way.
set -euo pipefail
build=$(cd "$1" && pwd)
shots=${2:-}
tag=e2e_editor
source "$(dirname "$0")/../frontend/e2e_lib.sh"

portable_copy levels.ko
cp "$build/zapwall-editor" "$work/"
mkdir "$work/tmp"
export TMPDIR="$work/tmp"  # where test play makes its copy of the game
start_display

# CONDITION: waits, within the shared patience, for a shell condition to hold.
until_true() { within_patience eval "$1"; }
focus() {
  xdotool windowfocus --sync "$1"
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH - 5)) $((Y + HEIGHT - 5))
}

launch "$work/zapwall-editor"
editor_pid=$pid
editor=$(window '^nová sada – Editor úrovní Zapwall$') || fail "the editor did not appear"
focus "$editor"
# The keyboard cursor starts in the second row's first cell: three bricks there.
xdotool key space Right space Right space
xdotool key F5
until_true '[ -n "$(ls "$work/tmp" | grep zapwall-editor)" ]' || fail "test play made no copy"
copy=$work/tmp/$(ls "$work/tmp" | grep zapwall-editor)
menu=$(window '^V\.E\.X Zapwall$') || fail "test play opened no game"
# The copy holds only the edited level: four bricks, three in the second row.
[ "$(od -An -td2 -v -N4 "$copy/data/levels.ko" | tr -s ' ')" = " 1 4" ] ||
  fail "the test play's levels.ko: $(od -An -td2 -v "$copy/data/levels.ko")"
focus "$menu"
xdotool key Return             # Start: the menu opens with the test player chosen
game=$(window '^V\.E\.X Zapwall v[0-9.]*$') || fail "the game screen did not appear"
focus "$game"
xdotool key space Escape       # play, then quit: the game ends, and with it the test play
until_true '[ ! -e "$copy" ]' || fail "the test play's copy is still there"
[ ! -e "$work/data/players.ko" ] || fail "test play wrote the player's own roster"

# Save: the file dialog takes the name.
focus "$editor"
xdotool key ctrl+s
dialog=$(window 'Uložit sadu' "$editor") || fail "no save dialog"
focus "$dialog"
xdotool type --delay 20 "$work/mine.txt"
xdotool key Return
until_true '[ -s "$work/mine.ko" ] && [ -s "$work/mine.txt" ]' || fail "nothing was saved"
until_true 'xdotool search --onlyvisible --name "^mine.txt – Editor úrovní Zapwall$" >/dev/null' ||
  fail "the editor does not show the saved set"

# Play the saved set: its own folder, its own players.
launch "$work/zapwall" --levels "$work/mine.ko"
menu=$(window '^V\.E\.X Zapwall$') || fail "zapwall --levels opened no menu"
set_folder=$(ls -d "$work"/data/sets/mine-*) || fail "no folder for the set"
cmp "$set_folder/data/levels.ko" "$work/mine.ko" || fail "the set's game plays other levels"
focus "$menu"
new_player "$menu" Autor
click "$menu" 460 32           # Start
game=$(window '^V\.E\.X Zapwall v[0-9.]*$') || fail "the set's game screen did not appear"
focus "$game"
xdotool key space Escape
ended "zapwall --levels did not end after Esc"
[ -s "$set_folder/players.ko" ] || fail "the set's player was not kept in its folder"
[ ! -e "$work/data/players.ko" ] || fail "the set's player went into the shipped set's roster"
kill -0 "$editor_pid" || fail "the editor ended"
# Its replay needs the set: it plays with the set's data and is refused with the shipped levels.
replay=$(ls "$set_folder"/replays/*.zapwall-replay | head -1) || fail "no replay of the set's game"
[ ! -e "$work/data/replays" ] || fail "the set's replay went to the shipped set's replays"
"$build/zapwall-sim" --replay "$replay" --data "$set_folder/data" --user-data "$work/scratch" \
  --out /dev/null || fail "the set's replay does not play with the set"
if "$build/zapwall-sim" --replay "$replay" --data "$work/data" --user-data "$work/scratch" \
  --out /dev/null 2> "$work/refused"; then
  fail "the set's replay played with the shipped levels"
fi
grep -q levels.ko "$work/refused" || fail "the refusal does not name levels.ko: $(cat "$work/refused")"

if [ -n "$shots" ]; then
  mkdir -p "$shots"
  launch "$work/zapwall-editor" "$(dirname "$0")/../../assets/levels.txt"
  shown=$(window '^levels.txt – Editor úrovní Zapwall$') || fail "the shipped set did not open"
  eval "$(xdotool getwindowgeometry --shell "$shown")"
  "$build/zapwall-screen-grab" "$shots/editor.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
fi
echo "e2e_editor: drew, test-played, saved and played the set"
