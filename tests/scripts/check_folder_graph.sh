#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-folder-graph on a tree of its own: it passes includes that run down its floors and
# fails on one that runs up or across a floor and on a folder that stands on no floor.
#
#   check_folder_graph.sh SOURCE_DIR
set -uo pipefail
source "$(dirname "$0")/../lib/script_test.sh"
tree=$work/tree
mkdir -p "$tree/scripts" "$tree"/{game/contract,platform,storage,sound,game}
cp "$1/scripts/check-folder-graph" "$tree/scripts/"
printf '# the bottom\ngame/contract\nplatform\nstorage sound # one floor\ngame\n' > "$tree/floors.txt"
for folder in game/contract platform storage sound game; do touch "$tree/$folder/a.h"; done
echo '#include "game/contract/a.h"' > "$tree/platform/a.cpp"
printf '#include "platform/a.h"\n#include "game/contract/a.h"\n' > "$tree/storage/a.cpp"
printf '#include "storage/a.h"\n#include "sound/a.h"\n#include "game/a.h"\n' > "$tree/game/a.cpp"
"$tree/scripts/check-folder-graph" || fail "a tree whose includes run down was refused"
[ "$("$tree/scripts/check-folder-graph" --print | grep -c ' (3) -> ')" = 2 ] ||
  fail "--print did not give game's two edges with their floors"
for include in 'platform/b.cpp:storage/a.h:platform (1) -> storage (2)' \
               'sound/b.cpp:storage/a.h:sound (2) -> storage (2)' \
               'game/contract/b.cpp:game/a.h:game/contract (0) -> game (3)' \
               'layout/b.cpp:game/a.h:  layout'; do
  IFS=: read -r file header said <<< "$include"
  mkdir -p "$(dirname "$tree/$file")"
  echo "#include \"$header\"" > "$tree/$file"
  expect 1 "$said" "$tree/scripts/check-folder-graph"
  rm "$tree/$file"
done
echo "check_folder_graph: includes up or across a floor, and a folder on none, refused"
