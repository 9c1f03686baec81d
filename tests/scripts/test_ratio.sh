#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/test-ratio on a tree of its own: a script is code by its #! line whatever its name, unless
# it lives in a test folder; data counts on neither side; --max-share fails above the share given.
#
#   test_ratio.sh SOURCE_DIR
set -uo pipefail
source "$(dirname "$0")/../lib/script_test.sh"
tree=$work/tree
mkdir -p "$tree"/{scripts,tests/lib,browser/tests,fuzz/seeds,game}
cp "$1/scripts/test-ratio" "$tree/scripts/"
lines() { for ((i = 0; i < $2; i++)); do echo "$3"; done > "$tree/$1"; }
lines play 2 '#!/bin/sh'
lines game/rules.cpp 10 'int x;'
lines game/version.h.in 4 '#define V'
lines Makefile 4 'all:'
lines tests/run 3 '#!/bin/sh'
lines tests/lib/helpers.sh 2 'true'
lines browser/tests/page.mjs 5 '1;'
lines fuzz/target.cpp 6 'int y;'
lines fuzz/seeds/one 7 'data'
lines game/notes.txt 9 'words'
git -C "$tree" init -q && git -C "$tree" add .
code=$(($(wc -l < "$tree/scripts/test-ratio") + 20))
want="tests 16, code $code:"
capture "$tree/scripts/test-ratio"
grep -q "^$want" "$work/out" || fail "'$want' was not said: $(cat "$work/out")"
capture "$tree/scripts/test-ratio" --max-share "16/$((code + 16))"
[ "$status" = 0 ] || fail "a share at its limit was refused"
capture "$tree/scripts/test-ratio" --max-share 0.1
[ "$status" = 1 ] || fail "a share above its limit passed"
echo "test_ratio: scripts counted by their #! line, tests by their folder, the share's limit kept"
