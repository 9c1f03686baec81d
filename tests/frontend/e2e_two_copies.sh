#!/usr/bin/env bash
# Two copies of the real zapwall on one data folder, on an Xvfb display: the second says that
# the game already runs and ends with status 1 without touching a file; once the first is killed,
# its lock left behind does not stop the next start.
#
# usage: e2e_two_copies.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
work=$(mktemp -d)
xvfb="" pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "e2e: $*" >&2; exit 1; }

# Copies, not links: the program finds its data folder beside its own file.
cp "$build/zapwall" "$build/2d_snd.so" "$work/"
mkdir "$work/data"
cp -r "$build/data/pictures" "$build/data/sounds" "$build/data/animations.ko" \
  "$build/data/levels.ko" "$work/data/"
printf '8000\r\n' > "$work/data/tick.ko"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
export SDL_AUDIODRIVER=dummy

# Waits for a visible window whose caption matches and prints its id.
window() {
  local id
  for _ in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    if [ -n "$id" ]; then echo "$id"; return 0; fi
    sleep 0.1
  done
  return 1
}
# Every file of the data folder with its size, time and contents.
snapshot() {
  (cd "$work/data" && find . -type f -printf '%p %s %T@ ' -exec md5sum {} \; | sort)
}

"$work/zapwall" & first=$!
pids+=("$first")
window '^V\.E\.X Zapwall$' > /dev/null || fail "the first copy's menu did not appear"
[ "$(head -1 "$work/data/zapwall.lock")" = "$first" ] || fail "the first copy holds no lock"
before=$(snapshot)

"$work/zapwall" & second=$!
pids+=("$second")
box=$(window '^Zapwall$') || fail "the second copy did not say that the game runs"
sleep 0.3
xdotool windowfocus "$box" key Return
for _ in $(seq 50); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
status=0; wait "$second" || status=$?
[ "$status" = 1 ] || fail "the second copy ended with status $status, not 1"
[ "$(snapshot)" = "$before" ] || fail "the second copy changed the data folder"
kill -0 "$first" || fail "the first copy did not survive the second"

# A killed copy leaves its lock behind; the next one starts all the same.
kill -9 "$first"
wait "$first" || true
[ -e "$work/data/zapwall.lock" ] || fail "the killed copy's lock is gone: nothing was tested"
"$work/zapwall" & third=$!
pids+=("$third")
window '^V\.E\.X Zapwall$' > /dev/null || fail "the copy after a killed one did not start"
[ "$(head -1 "$work/data/zapwall.lock")" = "$third" ] || fail "the next copy took no lock"
xdotool search --onlyvisible --name '^Zapwall$' > /dev/null && fail "the next copy was refused"
echo "e2e: a second copy refused, a killed copy's lock taken over"
