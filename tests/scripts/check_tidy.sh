#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-tidy in a small tree of its own, with a fake clang-tidy (a finding for every line
# that says BAD) and a fake clang whose preprocessor gives the source under a line marker with its path: findings fail the
# run, also when they come from the cache; a changed unit is checked again, an unchanged one is
# not; a clang-tidy that crashes fails the run and leaves nothing in the cache; a second copy of
# the tree takes the first one's results, with the findings under its own paths.
#
#   check_tidy.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
source "$(dirname "$0")/../lib/script_test.sh"

bin=$work/llvm/bin
mkdir -p "$bin"
fake() { printf '#!/usr/bin/env bash\n%s\n' "$2" > "$bin/$1" && chmod +x "$bin/$1"; }
# Each run of clang-tidy is logged; a unit that says CRASH ends it without a finding.
fake clang-tidy '[ "$1" = --version ] && { echo "fake clang-tidy 1"; exit 0; }
for arg; do case $arg in *.cpp) source=$arg ;; esac; done
echo "$source" >> "$LOG"
grep -q CRASH "$source" && { echo "stack dump" >&2; exit 139; }
grep -n BAD "$source" | while IFS=: read -r line _; do
  echo "$source:$line:1: warning: bad line [fake-check]"
  echo "  BAD"
done
exit 0'
fake clang 'for arg; do case $arg in *.cpp) echo "# 1 \"$arg\""; cat "$arg" ;; esac; done'
export PATH="$bin:$PATH" LOG=$work/log XDG_CACHE_HOME=$work/cache

# make_tree DIR: a tree with two units, a .clang-tidy and a build folder that compiles them.
make_tree() {
  mkdir -p "$1/scripts" "$1/game" "$1/build"
  cp "$source_dir/scripts/check-tidy" "$1/scripts/"
  echo "Checks: 'fake-*'" > "$1/.clang-tidy"
  echo "int a() { return 1; }" > "$1/game/a.cpp"
  echo "int b() { return 2; }" > "$1/game/b.cpp"
  echo "#pragma once" > "$1/game/a.h"
  printf '[{"directory": "%s/build", "file": "%s/game/a.cpp", "command": "c++ -c %s/game/a.cpp"},
{"directory": "%s/build", "file": "%s/game/b.cpp", "command": "c++ -c %s/game/b.cpp"}]\n' \
    "$1" "$1" "$1" "$1" "$1" "$1" > "$1/build/compile_commands.json"
  git -C "$1" init -q && git -C "$1" add . && git -C "$1" -c user.name=t -c user.email=t@t \
    commit -qm tree
}

# run TREE: sets $status, $out and $checked (the units clang-tidy was run on).
run() {
  : > "$LOG"
  out=$("$1/scripts/check-tidy" "$1/build" 2>&1)
  status=$?
  checked=$(sort "$LOG" | tr '\n' ' ')
}

tree=$work/one
make_tree "$tree"
run "$tree"
[ "$status" = 0 ] || fail "a clean tree: status $status: $out"
[ "$checked" = "$tree/game/a.cpp $tree/game/b.cpp " ] || fail "first run checked: $checked"
run "$tree"
[ "$status" = 0 ] && [ -z "$checked" ] || fail "unchanged units were checked again: $checked"

echo "int c() { return 3; } // BAD" >> "$tree/game/b.cpp"
run "$tree"
[ "$status" = 1 ] || fail "a finding: status $status"
[ "$checked" = "$tree/game/b.cpp " ] || fail "after changing b.cpp checked: $checked"
grep -q "^$tree/game/b.cpp:2:1: warning: bad line" <<< "$out" || fail "finding not named: $out"
run "$tree"
[ "$status" = 1 ] && [ -z "$checked" ] || fail "a cached finding: status $status, checked $checked"

# A second copy of the tree elsewhere: the findings are its own files'.
other=$work/two
cp -r "$tree" "$other"
sed -i "s|$tree|$other|g" "$other/build/compile_commands.json"
run "$other"
[ -z "$checked" ] || fail "the copy did not use the cache: $checked"
grep -q "^$other/game/b.cpp:2:1: warning: bad line" <<< "$out" || fail "copy's finding: $out"

echo "// CRASH" >> "$tree/game/a.cpp"
run "$tree"
[ "$status" = 1 ] || fail "a crash: status $status"
grep -q "a.cpp:1:1: error: clang-tidy ended with status 139" <<< "$out" || fail "crash: $out"
run "$tree"
[ "$checked" = "$tree/game/a.cpp " ] || fail "a crash was kept in the cache: $checked"
echo PASS
