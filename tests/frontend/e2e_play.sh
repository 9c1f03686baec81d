#!/usr/bin/env bash
# Plays the real zapwall on an Xvfb display as a player would, with xdotool: creates a player,
# looks at the hall of fame, starts, releases the ball, clears a one-brick level, resumes and
# quits with Esc. Then checks what the program stored in players.ko, tick.ko and hall.ko.
#
# usage: e2e_play.sh BUILD_DIR [SHOTS_DIR]
# With SHOTS_DIR, pictures of the screen are kept there (menu, hall of fame, game, the messages
# between levels).
set -euo pipefail

build=$(cd "$1" && pwd)
shots=${2:-}

work=$(mktemp -d)
xvfb=""
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# Copies, not links: the program finds its data folder beside its own file.
cp "$build/zapwall" "$build/2d_snd.so" "$work/"
mkdir "$work/data"
cp -r "$build/data/pictures" "$build/data/sounds" "$build/data/animations.ko" "$work/data/"
if [ -n "$shots" ]; then mkdir -p "$shots" && shots=$(cd "$shots" && pwd); fi
data="$work/data"

# A display of our own: Xvfb picks a free number itself and tells it once it is ready, so test
# runs started side by side never race for one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "e2e: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"
export SDL_AUDIODRIVER=dummy

le16() {  # a signed 16-bit value, little-endian
  local v=$(( ($1 + 65536) % 65536 ))
  printf "\\x$(printf %02x $((v & 255)))\\x$(printf %02x $((v >> 8)))"
}
# Two levels of one brick each. The first brick stands just in front of the served ball, which
# meets it a few steps after its release: no mover can come between them.
{
  le16 2
  le16 1; for v in 400 260 10 0 0 0; do le16 $v; done
  le16 1; for v in 0 0 10 0 0 0; do le16 $v; done
} > "$data/levels.ko"
# A hall of fame with names (codes are Windows-1250 plus 2).
{
  i=0
  for name in Ada Bara Cyril Dana Emil Filip Gita Hana Ivo Jana; do
    le16 ${#name}
    for ((c = 0; c < ${#name}; c++)); do le16 $(( $(printf %d "'${name:c:1}") + 2 )); done
    le16 $((1000 - 100 * i)); i=$((i + 1))
  done
} > "$data/hall.ko"
hall_before=$(od -An -tx1 -v "$data/hall.ko")

# Keeps a picture of a window (by its id) when pictures are asked for.
grab() {
  [ -n "$shots" ] || return 0
  eval "$(xdotool getwindowgeometry --shell "$2")"
  "$build/zapwall-screen-grab" "$shots/$1.png" "$X" "$Y" "$WIDTH" "$HEIGHT"
}
fail() { echo "e2e: $*" >&2; kill "$pid" 2>/dev/null || true; exit 1; }
# Waits for a visible window whose caption matches (other than the one given), lets it settle
# and prints its id.
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | grep -vx "${2:-none}" | head -1)
    if [ -n "$id" ]; then
      sleep 0.3
      echo "$id"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# Clicks at a point of a window's client area.
click() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + $2)) $((Y + $3)) click 1
}

"$work/zapwall" & pid=$!

menu=$(window '^V\.E\.X Zapwall$') || fail "the menu did not appear"
click "$menu" 50 209           # the name box
xdotool type --delay 20 "E2E"
xdotool key Return
sleep 0.2
click "$menu" 460 64           # "Síň slávy"
hall=$(window '^V\.E\.X Zapwall$' "$menu") || fail "the hall of fame did not appear"
grab hall "$hall"
click "$hall" 236 280          # "Zavřít"
for _ in $(seq 50); do
  xdotool search --onlyvisible --name '^V\.E\.X Zapwall$' | grep -qx "$hall" || break
  sleep 0.1
done
xdotool mousemove_relative 0 0
eval "$(xdotool getwindowgeometry --shell "$menu")"
xdotool mousemove $((X + 460)) $((Y + 32))
sleep 0.2
grab menu "$menu"
xdotool click 1                # Start

game=$(window '^V\.E\.X Zapwall v1\.41$') || fail "the game screen did not appear"
sleep 0.3
xdotool key space              # play
sleep 0.2
xdotool key space              # release the ball
sleep 0.3
grab game "$game"
sleep 2                        # the brick is hit, its explosion ends, the level switches
grab between-levels "$game"
xdotool key space              # resume: the next level
sleep 0.3
xdotool keydown Up; sleep 0.3; xdotool keyup Up
xdotool key Escape             # quit: the program ends 20 steps later

for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program did not end after Esc"
status=0; wait "$pid" || status=$?
[ "$status" -eq 0 ] || fail "exit status $status"

# players.ko: highest index 0, then "E2E" (3 codes), spare balls, IQ, level.
read -r -a roster <<< "$(od -An -td2 -v "$data/players.ko")"
[ "${roster[*]:0:5}" = "0 3 71 52 71" ] || fail "players.ko holds ${roster[*]}"
[ "${roster[5]}" -eq 3 ] || fail "spare balls ${roster[5]}, expected 3"
[ "${roster[6]}" -ge 30 ] || fail "IQ ${roster[6]}: the cleared level's 10 + 20 are missing"
[ "${roster[7]}" -eq 1 ] || fail "level ${roster[7]}, expected 1 (the second level)"
[ "$(od -An -c "$data/tick.ko" | tr -s ' ')" = " 8 0 0 0 \r \n" ] ||
  fail "tick.ko holds $(od -An -c "$data/tick.ko")"
[ "$(od -An -tx1 -v "$data/hall.ko")" = "$hall_before" ] || fail "a quit changed hall.ko"
echo "e2e: played, quit and stored: ${roster[*]}"
