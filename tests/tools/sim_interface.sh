#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# zapwall-sim's command line: unusable arguments end with status 2, a reason and the usage;
# a save beside a running game ends with status 3 and a reason; the data folder is written only
# with --save, and then as the game would write it. (A refused data folder's status 3 and its one
# line are tools_file_refusals'; the start-up's reasons, ZapwallData's.)
#
#   sim_interface.sh ZAPWALL_SIM BUILD_DATA_DIR
set -uo pipefail
sim=$1 base=$2
source "$(dirname "$0")/../lib/script_test.sh"

data="$work/data"
copy_game_data "$base" "$data"

expect 2 "--user-data needs a value" "$sim" --data "$data" --user-data
expect 2 "unknown argument" "$sim" --data "$data" --fast
expect 2 "not in \[0, 1)" "$sim" --data "$data" --random 0.5,1.0
expect 2 "exclude each other" "$sim" --data "$data" --seed 3 --random 0.5
expect 2 "not a number" "$sim" --data "$data" --steps many
expect 2 "no player named" "$sim" --data "$data" --player Nobody
expect 2 "limit --serve" "$sim" --data "$data" --cpu-seconds 5
expect 2 "takes only --cpu-seconds" "$sim" --serve --data "$data"
expect 1 "SOCK_SEQPACKET socket" "$sim" --serve < /dev/null
printf '0 keydown\n' > "$work/bad-input.txt"
expect 2 "line 1" "$sim" --data "$data" --input "$work/bad-input.txt"
echo '{"Balls": [{"Speed": 1}]}' > "$work/bad-state.json"
expect 2 "no field Speed" "$sim" --data "$data" --state "$work/bad-state.json"

# Bricks and bonus items given by --state stand in the cells the level file would give them: the
# right and bottom edges are 16-bit sums.
echo '{"Bricks": [{"X": 32760, "Y": 100}], "Bonuses": [{"X": 10, "Y": 32750}]}' > "$work/far.json"
"$sim" --data "$data" --state "$work/far.json" --steps 0 --out "$work/far-out.json" ||
  fail "a state with far cells"
tr -d ' \n' < "$work/far-out.json" > "$work/far-flat.json"
grep -q '"BrickRects":\[{"Left":32760,"Top":100,"Right":-32756,"Bottom":125}\]' \
  "$work/far-flat.json" || fail "the far brick's cell"
grep -q '"BonusRects":\[{"Left":10,"Top":32750,"Right":30,"Bottom":-32761}\]' \
  "$work/far-flat.json" || fail "the far bonus's cell"

# A damaged roster: without --save the report says that the copy the game's message speaks of was
# not written; with --save the copy and the new roster are written and the report names the copy.
# (The copies' numbering, their order and their size are storage's tests: KeptCopies and
# MemoryDataFiles.)
cp -r "$data" "$work/kept"
printf '\x05\x00' > "$work/kept/players.ko"
"$sim" --data "$work/kept" --steps 0 --out "$work/out.json" || fail "run on a damaged roster"
grep -q '"NotWritten"' "$work/out.json" && grep -q '"players.ko.damaged"' "$work/out.json" ||
  fail "the report does not say that the kept copy was not written"
[ ! -e "$work/kept/players.ko.damaged" ] || fail "a run without --save kept a copy"
"$sim" --data "$work/kept" --steps 0 --save --out "$work/out.json" || fail "--save, damaged roster"
cmp -s <(printf '\x05\x00') "$work/kept/players.ko.damaged" || fail "the damaged roster was not kept"
cmp -s <(printf '\xff\xff') "$work/kept/players.ko" || fail "the roster was not written anew"
grep -q 'players.ko.damaged' "$work/out.json" || fail "the message does not name the copy"
grep -q '"NotWritten"' "$work/out.json" && fail "a saved run reports files as not written"
# A commit that fails still writes --out, and says so.
rm "$work/kept/players.ko" && mkdir "$work/kept/players.ko"
expect 1 "players.ko: soubor nelze zapsat (.\+)$" "$sim" --data "$work/kept" --steps 0 --save \
  --out "$work/out.json"
grep -q '"NotWritten"' "$work/out.json" || fail "--out is missing after a failed commit"

# With --save the roster holds the stored player (record_and_replay's runs write nothing without).
printf '\xff\xff' > "$data/players.ko"   # an empty roster
"$sim" --data "$data" --steps 10 --save --out "$work/out.json" || fail "run with --save"
cmp -s <(printf '\xff\xff') "$data/players.ko" || fail "players.ko changed although no player played"
[ ! -e "$data/hall.ko" ] || fail "hall.ko written without a game over"

# A roster player's progress is stored: Ann (3 balls, IQ 120, level 2) leaves with IQ 500.
printf '\x00\x00\x03\x00\x43\x00\x70\x00\x70\x00\x03\x00\x78\x00\x02\x00' > "$data/players.ko"
echo '{"Iq": 500}' > "$work/iq.json"
"$sim" --data "$data" --player Ann --state "$work/iq.json" --steps 0 --save || fail "Ann's run"
cmp -s <(printf '\x00\x00\x03\x00\x43\x00\x70\x00\x70\x00\x03\x00\xf4\x01\x02\x00') \
  "$data/players.ko" || fail "Ann's progress was not stored"
# No save beside a running game: it would overwrite the game's progress at its exit, or be lost.
sleep 30 & game=$!
printf '%s\nsleep\n%s\n' "$game" "$(hostname)" > "$data/zapwall.lock"
expect 3 "na této složce už běží Zapwall" "$sim" --data "$data" --steps 0 --save
cmp -s <(printf '\x00\x00\x03\x00\x43\x00\x70\x00\x70\x00\x03\x00\xf4\x01\x02\x00') \
  "$data/players.ko" || fail "a save beside a running game changed players.ko"
kill "$game"
wait "$game" 2>/dev/null
"$sim" --data "$data" --steps 0 --save || fail "the lock of a game that ended stopped a save"
echo ok
