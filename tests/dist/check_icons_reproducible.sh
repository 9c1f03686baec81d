#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The icons built into the programs by two builds whose icons were drawn at different times: rcc,
# with the options the build gives it, writes the same bytes both times.
#
# usage: check_icons_reproducible.sh RCC ICON_DIR [RCC_OPTION...]
set -euo pipefail
rcc=$1
source "$(dirname "$0")/../lib/script_test.sh"
cp "$2"/*.png "$work/"
cd "$work"
{ echo '<RCC><qresource prefix="/icons">'; printf '<file>%s</file>\n' *.png
  echo '</qresource></RCC>'; } > icons.qrc
for build in 1 2; do
  touch -d "@$((build * 86400))" ./*.png
  "$rcc" "${@:3}" --name icons icons.qrc -o "build$build.cpp"
done
cmp build1.cpp build2.cpp ||
  { echo "rcc ${*:3} keeps the icons' modification times: two builds differ" >&2; exit 1; }
