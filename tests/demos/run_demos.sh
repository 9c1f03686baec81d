#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Replays every recorded game of the demo corpus (the folders beside this script) with
# zapwall-sim --replay --save, side by side, and compares how each ends with what its folder
# expects: the players.ko and hall.ko it saved (or that it saved none), and expected.txt, the
# state's main values and a digest of the whole --out state. Prints the first difference of every
# demo that ends otherwise.
#
#   run_demos.sh ZAPWALL_SIM ZAPWALL_DATA BUILD_DATA_DIR [DEMO...]
#
# expected.txt begins with the demo's settings: `levels SET` (the level set, levels/SET.txt) and
# any `check-every N` (the replay is run twice in lockstep and compared every N steps). With
# UPDATE_EXPECTED=1 the named demos' (or all) expected ends are rewritten from this run instead.
set -euo pipefail
sim=$(realpath "$1") tool=$(realpath "$2") base=$(realpath "$3")
shift 3
here=$(cd "$(dirname "$0")" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ $# -gt 0 ]; then demos=("$@"); else
  demos=()
  for replay in "$here"/*/game.zapwall-replay; do demos+=("$(basename "$(dirname "$replay")")"); done
fi

# A data folder per level set: the build's pictures, sounds and animation table, the set compiled.
for set in "$here"/levels/*.txt; do
  name=$(basename "$set" .txt)
  mkdir "$work/set-$name"
  ln -s "$base/pictures" "$base/sounds" "$base/animations.ko" "$work/set-$name/"
  "$tool" levels compile "$set" "$work/set-$name/levels.ko" > /dev/null
done

# The settings lines of expected.txt, then what the replayed game ended in.
setting() { sed -n "s/^$1 //p" "$here/$2/expected.txt"; }
summary() {  # OUT.json: the state's main values, then the digest of all of it
  local key
  for key in Steps Level Iq LevelIq BallsLeft BatTop WallOn; do
    grep -m1 "^ \"$key\": " "$1" | sed 's/,$//; s/^ //'
  done
  echo "sha256 $(sha256sum < "$1" | cut -d' ' -f1)"
}

# DEMO: replays one demo; what differs goes to $work/DEMO.failed.
replay_one() {
  local demo=$1 dir=$here/$1 user=$work/user-$1 levels every args=()
  levels=$(setting levels "$demo")
  every=$(setting check-every "$demo")
  [ -z "$every" ] || args=(--check-every "$every")
  mkdir "$user"
  if ! "$sim" --replay "$dir/game.zapwall-replay" --data "$work/set-$levels" --user-data "$user" \
    --save "${args[@]}" --out "$work/$demo.json" > /dev/null 2> "$work/$demo.err"; then
    { echo "zapwall-sim did not replay it:"; cat "$work/$demo.err"; } > "$work/$demo.failed"
    return
  fi
  {
    grep -E '^(levels|check-every) ' "$dir/expected.txt" || true
    summary "$work/$demo.json"
  } > "$work/$demo.txt"
  if [ "${UPDATE_EXPECTED:-0}" = 1 ]; then
    cp "$work/$demo.txt" "$dir/expected.txt"
    for file in players.ko hall.ko; do
      rm -f "$dir/$file"
      if [ -f "$user/$file" ]; then cp "$user/$file" "$dir/"; fi
    done
    return
  fi
  {
    diff "$dir/expected.txt" "$work/$demo.txt" | grep -m2 '^[<>]' | sed 's/^</expected:/; s/^>/replayed:/'
    for file in players.ko hall.ko; do
      if [ -f "$dir/$file" ] && [ -f "$user/$file" ]; then
        cmp "$dir/$file" "$user/$file" | sed "s|^$dir/||; s|$user/||" || true
      elif [ -f "$dir/$file" ]; then
        echo "$file: not saved, expected as recorded"
      elif [ -f "$user/$file" ]; then
        echo "$file: saved, expected not to be"
      fi
    done
  } > "$work/$demo.failed"
  [ -s "$work/$demo.failed" ] || rm "$work/$demo.failed"
}
export -f replay_one setting summary
export sim tool base here work

printf '%s\n' "${demos[@]}" | xargs -P "$(nproc)" -I{} bash -c 'replay_one "$@"' _ {}

failed=0
for demo in "${demos[@]}"; do
  if [ -f "$work/$demo.failed" ]; then
    echo "demo $demo ends otherwise than expected:"
    sed 's/^/  /' "$work/$demo.failed"
    failed=$((failed + 1))
  fi
done
[ "$failed" -eq 0 ] || { echo "run_demos: $failed of ${#demos[@]} demos differ" >&2; exit 1; }
echo "run_demos: ${#demos[@]} demos replayed to their expected ends"
