#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tools as installed (PREFIX/bin, the game's data in PREFIX/share/zapwall/data, no data
# folder beside them): without folder arguments they work on the installed data and the user's
# own folder in XDG_DATA_HOME, as the game does, and never write into the installed tree.
#
#   installed_tools.sh ZAPWALL_DATA ZAPWALL_SIM BUILD_DATA_DIR
set -uo pipefail
tool=$1 sim=$2 base=$3
source "$(dirname "$0")/../lib/script_test.sh"

prefix="$work/prefix"
mkdir -p "$prefix/bin"
# Copies, not links: a program finds its layout from where its own file is.
cp "$tool" "$sim" "$prefix/bin/"
copy_game_data "$base" "$prefix/share/zapwall/data"
tree_before=$(find "$prefix" -printf '%p %s %T@\n' | sort)
export XDG_DATA_HOME="$work/xdg"
user="$XDG_DATA_HOME/zapwall"

"$prefix/bin/zapwall-data" check > "$work/out" 2>&1 || fail "check of a fresh install: $(cat "$work/out")"
[ ! -e "$XDG_DATA_HOME" ] || fail "check made the user's folder"

# A run with --save writes the roster into the user's folder, made for it.
"$prefix/bin/zapwall-sim" --steps 5 --save > /dev/null || fail "zapwall-sim --save"
cmp -s <(printf '\xff\xff') "$user/players.ko" || fail "no empty roster in $user"
[ "$(find "$prefix" -printf '%p %s %T@\n' | sort)" = "$tree_before" ] ||
  fail "the installed tree changed"

# check reads the player's files from there.
printf '\x00\x00\x05\x00' > "$user/players.ko"
"$prefix/bin/zapwall-data" check > "$work/out"
[ $? = 1 ] && grep -q '^players.ko: ' "$work/out" || fail "check missed $user/players.ko"
# --user-data names another folder; --data alone is a portable folder with no players.ko.
mkdir "$work/other"
"$prefix/bin/zapwall-data" check --user-data "$work/other" || fail "check --user-data"
"$prefix/bin/zapwall-data" check --data "$prefix/share/zapwall/data" || fail "check --data"
"$prefix/bin/zapwall-data" check "$prefix/share/zapwall/data" || fail "check DIR"
"$prefix/bin/zapwall-sim" --user-data "$work/other/new" --steps 1 --save > /dev/null ||
  fail "zapwall-sim --user-data"
[ -e "$work/other/new/players.ko" ] || fail "zapwall-sim --user-data wrote elsewhere"
echo ok
