#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Sends a game's result from the real zapwall to a local zapwall-hall-server (SQLite) only on
# the player's yes: with the server's address in the copy's zapwall.conf, a game quit and its
# offer closed unanswered leave the server's table empty; the next game, sent under its roster's
# name, is filed there (the server played its replay to the same result). A set published to the
# server plays by its link, with no server in the settings: it is kept, its game is offered to
# that server and filed in the set's own hall, a set the server lacks is refused, and with the
# server gone the kept set plays.
#
# usage: e2e_hall_send.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
tag=e2e_hall_send

source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
start_display

"$build/zapwall-hall-server" --port 0 --sqlite "$work/hall.sqlite" > "$work/hall.out" &
hall=$!
pids+=("$hall")
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

# NAME [ARGUMENT...]: plays a new game as a new player NAME, quits it with Esc and waits for the
# offer.
quit_game() {
  new_game "$@"
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

printf '[General]\n' > "$work/data/zapwall.conf"
address=$(python3 -c 'import json, sys, urllib.request
request = urllib.request.Request(sys.argv[1] + "/api/level-sets?title=Jedna&author=Ada",
                                 open(sys.argv[2], "rb").read(), {"Content-Type": "text/plain"})
print(json.load(urllib.request.urlopen(request))["address"])' "$server" \
  "$(dirname "$0")/../lib/one_brick_levels.txt")
link="$server/api/level-sets/$address"
quit_game Cyril --levels "$link"
xdotool key Return             # Odeslat
set_filed() {
  python3 -c 'import json, sys, urllib.request
sets = json.load(urllib.request.urlopen(sys.argv[1] + "/api/level-sets"))["levelSets"]
print(*(s["results"] for s in sets if s["address"] == sys.argv[2]))' "$server" "$address"
}
within_patience test "$(set_filed)" = 1 || fail "the set's game was not filed in its hall"
xdotool key Escape             # Zavřít
ended "the program did not end after the set's send"
cmp -s <(python3 -c 'import sys, urllib.request
sys.stdout.buffer.write(urllib.request.urlopen(sys.argv[1]).read())' "$link/levels.ko") \
  "$work/data/sets/published/$address.ko" ||
  fail "the published set was not kept as it was published"
launch "$work/zapwall" --levels "$server/api/level-sets/$(printf '0%.0s' {1..64})" \
  2> "$work/refused.err"
window '^Zapwall$' > /dev/null || fail "no box refusing a set the server does not have"
xdotool key Return
within_patience ended_already || fail "the program did not end after refusing the set"
status=0 && reap "$pid" || status=$?
[ "$status" -eq 1 ] && grep -q 'sadu nelze stáhnout: server odpověděl HTTP 404' "$work/refused.err" ||
  fail "the set the server lacks was refused with status $status: $(cat "$work/refused.err")"
kill "$hall"
reap "$hall" || true
launch "$work/zapwall" --levels "$link"
menu=$(window '^V\.E\.X Zapwall$') || fail "the kept set did not play with its server gone"
click "$menu" 460 96           # Exit
ended "the program did not end on Exit"
echo "$tag: only the game sent on a yes was filed: Bob; a published set played by its link"
