#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Replays one scenario folder through zapwall-sim and compares the state it ends in with the
# scenario's expected.json. A scenario holds any of: levels.txt (compiled into levels.ko),
# animations.ko, state.json (--state), input.txt (--input), args (further arguments on one line).
# The rest of the data folder (pictures, sounds) comes from the build.
#
#   run_scenario.sh ZAPWALL_SIM ZAPWALL_DATA BUILD_DATA_DIR SCENARIO_DIR
#
# With UPDATE_EXPECTED=1 the scenario's expected.json is rewritten from this run instead.
set -euo pipefail
sim=$1 tool=$2 base=$3 dir=$4
source "$(dirname "$0")/../lib/script_test.sh"
copy_game_data "$base" "$work/data"
if [ -f "$dir/levels.txt" ]; then
  "$tool" levels compile "$dir/levels.txt" "$work/data/levels.ko"
fi
if [ -f "$dir/animations.ko" ]; then
  cp "$dir/animations.ko" "$work/data/"
fi

args=()
if [ -f "$dir/args" ]; then
  read -r -a args < "$dir/args"
fi
[ -f "$dir/input.txt" ] && args+=(--input "$dir/input.txt")
[ -f "$dir/state.json" ] && args+=(--state "$dir/state.json")

"$sim" --data "$work/data" "${args[@]}" --out "$work/out.json"

if [ "${UPDATE_EXPECTED:-0}" = 1 ]; then
  cp "$work/out.json" "$dir/expected.json"
fi
diff -u "$dir/expected.json" "$work/out.json"
