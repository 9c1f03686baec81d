#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Records scripted headless games with zapwall-sim --record and runs the recordings again with
# --replay: each replay must end in exactly the state of the game it recorded, write the same
# players.ko and hall.ko with --save and nothing without it, and damaged replays or a data
# folder with another level file must be refused.
#
#   record_replay.sh ZAPWALL_SIM ZAPWALL_DATA BUILD_DATA_DIR
set -euo pipefail
sim=$1 tool=$2 base=$3
source "$(dirname "$0")/../lib/script_test.sh"

le16() {  # a signed 16-bit value, little-endian
  local v=$(( ($1 + 65536) % 65536 ))
  printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $((v >> 8)))"
}
player() {  # NAME SPARE_BALLS IQ LEVEL
  le16 ${#1}
  for ((c = 0; c < ${#1}; c++)); do le16 $(( $(printf %d "'${1:c:1}") + 2 )); done
  le16 "$2"; le16 "$3"; le16 "$4"
}
# A data folder as start-up finds it: the build's pictures, sounds and animation table, the
# build's level set, and a roster of two players (name codes are Windows-1250 plus 2).
fresh() {
  copy_game_data "$base" "$1"
  {
    le16 1
    player Ada 2 40 0
    player Bara 0 900 2
  } > "$1/players.ko"
}

# Plays SCRIPT as PLAYER, recording it, saves, then replays the recording on a fresh folder.
check_game() {
  local name=$1 player=$2 script=$3 steps=$4
  local played=$work/$name-played replayed=$work/$name-replayed
  fresh "$played"; fresh "$replayed"
  "$sim" --data "$played" --player "$player" --seed 4242 --tick 8000 --steps "$steps" \
    --input "$script" --record "$work/$name.zapwall-replay" --save --out "$work/$name-played.json" \
    --frame "$work/$name-played.png"
  "$tool" show "$work/$name.zapwall-replay" > "$work/$name.shown" ||
    fail "$name: zapwall-data show refused the recording"

  # Without --save nothing reaches the folder.
  before=$(cd "$replayed" && find . -type f -exec md5sum {} + | sort)
  "$sim" --replay "$work/$name.zapwall-replay" --data "$replayed" > /dev/null
  after=$(cd "$replayed" && find . -type f -exec md5sum {} + | sort)
  [ "$before" = "$after" ] || fail "$name: a replay without --save wrote into the data folder"

  # Saved as the game was, so that the reports (which name any file not written) compare too.
  "$sim" --replay "$work/$name.zapwall-replay" --data "$replayed" --save \
    --out "$work/$name-replayed.json" --frame "$work/$name-replayed.png"
  diff -u "$work/$name-played.json" "$work/$name-replayed.json" ||
    fail "$name: the replay ended in another state"
  cmp "$work/$name-played.png" "$work/$name-replayed.png" || fail "$name: another last picture"
  for file in players.ko hall.ko; do
    if [ -f "$played/$file" ] || [ -f "$replayed/$file" ]; then
      cmp "$played/$file" "$replayed/$file" || fail "$name: --save wrote another $file"
    fi
  done
}

# Ada: held arrows before and after the start, a pause with a key inside it, the ball released,
# then Esc: the quit stores her progress.
cat > "$work/quit.txt" <<'EOF'
0 keydown 40
3 keydown 32
3 keyup 40
10 keydown 32
60 keydown 38
120 keydown 80
130 keyup 38
160 keydown 80
161 keydown 80
162 keydown 80
2500 keydown 27
EOF
check_game quit Ada "$work/quit.txt" 4000
grep -q "end after step [0-9]*, at .*: the player quit" "$work/quit.shown" ||
  fail "the quit is not shown as such"

# Bara has no spare ball and holds the bat away: game over, the hall of fame and the roster
# change.
printf '0 keydown 32\n1 keydown 32\n2 keydown 38\n' > "$work/over.txt"
check_game over Bara "$work/over.txt" 20000
grep -q '"Name": "Bara"' "$work/over-replayed.json" || fail "Bara's result is not in the hall"
grep -q "game over" "$work/over.shown" || fail "the game over is not shown as such"

# Refusals: a damaged recording, a foreign file, another level file.
sed 's/^seed 4242$/seed 4243/' "$work/quit.zapwall-replay" > "$work/damaged.zapwall-replay"
if "$sim" --replay "$work/damaged.zapwall-replay" --data "$work/quit-replayed" 2> "$work/err"; then
  fail "a damaged recording was replayed"
fi
grep -q "poškozený" "$work/err" || fail "the damaged recording's message: $(cat "$work/err")"
if "$tool" show "$work/damaged.zapwall-replay" > /dev/null 2> "$work/err"; then
  fail "zapwall-data show accepted a damaged recording"
fi
grep -q "kontrolní součet" "$work/err" || fail "show's message: $(cat "$work/err")"
if "$sim" --replay "$work/quit-played/players.ko" --data "$work/quit-replayed" 2> "$work/err"; then
  fail "a roster was replayed"
fi
grep -q "není to záznam hry Zapwall" "$work/err" || fail "the foreign file's message: $(cat "$work/err")"
printf '\x01\x00\x01\x00\x00\x00\x00\x00\x0a\x00\x00\x00\x00\x00\x00\x00' \
  > "$work/quit-replayed/levels.ko"
if "$sim" --replay "$work/quit.zapwall-replay" --data "$work/quit-replayed" 2> "$work/err"; then
  fail "a recording was replayed with another level file"
fi
grep -q "nahrána s jiným souborem levels.ko, než je $work/quit-replayed/levels.ko" "$work/err" ||
  fail "the level file's message: $(cat "$work/err")"
echo "record_replay: recorded and replayed to the same state"
