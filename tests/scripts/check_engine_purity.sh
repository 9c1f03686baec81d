#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/check-engine-purity on a tree of its own: it passes plain C++, Qt in pictures/, SDL in
# sound_component/ and POSIX in platform/, and fails on a Qt or SDL header in the engine or in the windows' rules,
# on a platform's header anywhere there or in layout/, and on C++'s streams.
#
#   check_engine_purity.sh SOURCE_DIR
set -uo pipefail
source "$(dirname "$0")/../lib/script_test.sh"
tree=$work/tree
mkdir -p "$tree/scripts" "$tree"/{game,storage,graphics,sound,shell,layout,platform,pictures,sound_component}
cp "$1/scripts/check-engine-purity" "$tree/scripts/"
echo '#include <vector>' > "$tree/shell/rules.h"
echo '#include <QImage>' > "$tree/pictures/picture_loader.cpp"
echo '#include <SDL_mixer.h>' > "$tree/sound_component/mixer.cpp"
echo '#include <fcntl.h>' > "$tree/platform/files.cpp"
"$tree/scripts/check-engine-purity" || fail "a pure tree was refused"
for include in 'shell/menu.h:#include <QString>' 'game/tick.cpp:#include "SDL.h"' \
               'storage/roster.cpp:#  include <QtCore/QFile>' 'layout/place.cpp:#include <unistd.h>' \
               'storage/files.cpp:#include <sys/stat.h>' 'sound/loader.cpp:#include <emscripten.h>' \
               'storage/tick.cpp:#ifdef __EMSCRIPTEN__' 'game/difference.cpp:#include <sstream>' \
               'graphics/picture_loader.cpp:#include <QImage>'; do
  file=$tree/${include%%:*}
  echo "${include#*:}" > "$file"
  "$tree/scripts/check-engine-purity" 2> /dev/null && fail "${include#*:} in ${include%%:*} passed"
  rm "$file"
done
echo "check_engine_purity: Qt, SDL, platform and stream headers found in the engine and the rules"
