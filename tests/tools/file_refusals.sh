#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tools' refusals of files: a replay, a data file or a data folder that cannot be read, or an
# output that cannot be written, ends with status 1 (3 for zapwall-sim's data folder) and one line
# in one language (the program's name, the file and the reason), never with the usage, which is
# for wrong arguments (status 2).
# Why a file cannot be read (missing, no regular file, a link loop) is the readers' tests in
# tests/storage; here each tool says it in its one line.
#
#   file_refusals.sh ZAPWALL_SIM ZAPWALL_DATA BUILD_DATA_DIR
set -uo pipefail
sim=$1 data_tool=$2 base=$3
source "$(dirname "$0")/../lib/script_test.sh"

data="$work/data"
copy_game_data "$base" "$data"

# said STATUS LINE COMMAND...: the command ends with STATUS and says exactly LINE on stderr.
said() {
  local want=$1 line=$2
  shift 2
  capture "$@"
  [ "$status" = "$want" ] || fail "status $status, not $want, for: $*"
  [ "$(cat "$work/err")" = "$line" ] || fail "for: $*
said:  $(cat "$work/err")
not:   $line"
}

said 1 "zapwall-data: $work/players.ko: soubor chybí" "$data_tool" show "$work/players.ko"
said 1 "zapwall-data: $work/none: složka neexistuje" "$data_tool" check "$work/none"
said 1 "zapwall-data: $work/none: složka neexistuje" "$data_tool" check --data "$work/none"
said 1 "zapwall-data: $data/levels.ko: v cestě ke složce je soubor nebo nefunkční odkaz" \
  "$data_tool" check "$data/levels.ko"

# A replay the reader refuses is refused whole: nothing of it reaches the player's files.
echo "not a replay" > "$work/text.zapwall-replay"
refusal='není to záznam hry Zapwall (nezačíná řádkem "ZAPWALL-REPLAY 1")'
said 1 "zapwall-sim: $work/text.zapwall-replay: $refusal" \
  "$sim" --data "$data" --user-data "$work/user" --save --replay "$work/text.zapwall-replay"
[ ! -e "$work/user" ] || fail "a refused replay wrote to the player's folder"
said 1 "zapwall-data: $work/text.zapwall-replay: $refusal" "$data_tool" show \
  "$work/text.zapwall-replay"

# A data folder without its data, as the game itself refuses it.
expect 3 "^zapwall-sim: .*levels.ko: soubor chybí$" "$sim" --data "$work/empty" --steps 1
[ "$(wc -l < "$work/err")" = 1 ] || fail "a missing data folder said: $(cat "$work/err")"

# An output that cannot be written, with why.
said 1 "zapwall-sim: $work/none/game.zapwall-replay: soubor nelze zapsat (složka neexistuje)" \
  "$sim" --data "$data" --steps 1 --record "$work/none/game.zapwall-replay"
"$data_tool" levels decompile "$data/levels.ko" > "$work/levels.txt"
said 1 "zapwall-data: $work/none/levels.ko: soubor nelze zapsat (složka neexistuje)" \
  "$data_tool" levels compile "$work/levels.txt" "$work/none/levels.ko"
said 1 "zapwall-sim: $work/levels.txt/user/players.ko: soubor nelze zapsat (v cestě ke složce je \
soubor nebo nefunkční odkaz)" "$sim" --data "$data" --user-data "$work/levels.txt/user" --save --steps 1
echo ok
