#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sends a game's result from the real zapwall to a local zapwall-hall-server (SQLite) only on
# the player's yes: with the server's address in the copy's zapwall.conf, a game quit and its
# offer closed unanswered leave the server's table empty; the next game, sent under its roster's
# name, is filed there (the server played its replay to the same result).
#
# usage: e2e_hall_send.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
tag=e2e_hall_send

source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
start_display

"$build/zapwall-hall-server" --port 0 --sqlite "$work/hall.sqlite" > "$work/hall.out" &
pids+=("$!")
within_patience grep -q 'listening on' "$work/hall.out" || fail "the hall server did not start"
server=$(grep -o 'http://127\.0\.0\.1:[0-9]*' "$work/hall.out")
printf '[General]\nhallServer=%s/\n' "$server" > "$work/data/zapwall.conf"
# The names of the results the server filed, one a line.
filed() {
  python3 -c 'import json, sys, urllib.request
for entry in json.load(urllib.request.urlopen(sys.argv[1] + "/api/results"))["results"]:
    print(entry["name"])' "$server"
}
some_filed() { [ -n "$(filed)" ]; }

# NAME: plays a new game as a new player NAME, quits it with Esc and waits for the offer.
quit_game() {
  new_game "$1"
  xdotool key space            # play
  xdotool key Escape           # quit: the game ends 20 steps later
  window '^Síň slávy na serveru$' > /dev/null || fail "no offer to send the game of $1"
}

quit_game Ada
xdotool key Escape             # no answer
ended "the program did not end after the unanswered offer"
[ -z "$(filed)" ] || fail "the server filed an unsent game: $(filed)"

quit_game Bob
xdotool key Return             # Odeslat, under the roster's name
within_patience some_filed || fail "the server filed nothing"
[ "$(filed)" = Bob ] || fail "the server filed $(filed)"
xdotool key Escape             # Zavřít
ended "the program did not end after the send"
echo "$tag: only the game sent on a yes was filed: $(filed)"
