#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# test_assets_determinism.sh GENERATOR ASSETS_DIR BUILT_DATA_DIR
# The asset generator writes byte-identical files on every run and into every folder, matches the
# build's data folder, leaves the files the game writes itself alone, and refuses a broken
# animation table with a message naming the line, without writing anything.
set -eu
gen=$1 assets=$2 built=$3
export ASAN_OPTIONS=detect_leaks=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mkdir -p "$tmp/a" "$tmp/b"
printf 'saved by the game' > "$tmp/a/players.ko"
"$gen" "$assets" "$tmp/a"
"$gen" "$assets" "$tmp/b"
[ "$(cat "$tmp/a/players.ko")" = "saved by the game" ] || { echo "players.ko was changed"; exit 1; }
rm "$tmp/a/players.ko"
diff -r "$tmp/a" "$tmp/b"
count=0
for f in $(cd "$tmp/a" && find . -type f | sort); do
    cmp "$tmp/a/$f" "$built/$f"
    count=$((count + 1))
done
[ "$count" -eq 23 ] || { echo "expected 23 generated files, found $count"; exit 1; }

mkdir -p "$tmp/broken" "$tmp/c"
printf '4,8,20,20,6\n5,6,20,x,5\n' > "$tmp/broken/animations.txt"
if "$gen" "$tmp/broken" "$tmp/c" 2> "$tmp/err"; then echo "a broken table was accepted"; exit 1; fi
grep -q 'animations.txt:2:' "$tmp/err" || { echo "message does not name the line:"; cat "$tmp/err"; exit 1; }
[ -z "$(ls -A "$tmp/c")" ] || { echo "files written despite the error"; exit 1; }
echo "deterministic: $count files"
