#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` of a build folder: into a prefix itself, the replay file type and the menu
# entries are registered at once (the prefix's MIME and desktop caches are brought up to date);
# staged under DESTDIR, as for a package, no cache is made. `--strip`, as the README gives the
# command, installs the programs and the sound library without their debugging information.
#
# usage: check_install.sh BUILD_DIR
set -euo pipefail
build=$1
source "$(dirname "$0")/../lib/script_test.sh"

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" --strip > "$work/install.log" ||
  { cat "$work/install.log" >&2; fail "cmake --install failed"; }
grep -qx 'application/x-zapwall-replay:\*\.zapwall-replay' "$prefix/share/mime/globs" ||
  fail "the replay file type is not registered in $prefix/share/mime"
[ -s "$prefix/share/mime/mime.cache" ] || fail "no MIME cache in $prefix/share/mime"
grep -q '^application/x-zapwall-replay=io.github.zapwall.zapwall.desktop' \
  "$prefix/share/applications/mimeinfo.cache" || fail "the game does not open replays in the menu"
for binary in "$prefix"/bin/* "$prefix"/lib/zapwall/*.so; do
  if readelf -S --wide "$binary" | grep -q '\.debug_info'; then fail "$binary is not stripped"; fi
done

stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /usr > "$work/staged.log" ||
  { cat "$work/staged.log" >&2; fail "a staged cmake --install failed"; }
[ -f "$stage/usr/share/mime/packages/zapwall.xml" ] || fail "nothing staged in $stage"
if find "$stage" -name 'mime.cache' -o -name 'mimeinfo.cache' -o -name globs | grep .; then
  fail "a staged install made the caches above"
fi
echo ok
