#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package of a build folder into a temporary folder, runs lintian --pedantic on
# it (no tag may show but those its overrides explain), checks its control fields, its maintainer
# scripts and its files (the programs in /usr/games, their manual pages in section 6), and runs
# its programs unpacked in a folder of their own.
#
# usage: check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
source "$(dirname "$0")/../lib/script_test.sh"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/zapwall_"$version"_*.deb)

# Every tag, the informational and pedantic ones too; a tag the package keeps is overridden in
# dist/lintian-overrides with its reason.
lintian --pedantic --display-info --fail-on none "$deb" > "$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian did not run"; }
if grep -E '^[EWIPX]: ' "$work/lintian.log"; then fail "lintian --pedantic reports the tags above"; fi

[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section $(dpkg-deb -f "$deb" Section)"
# The sound library is private: no ldconfig, and so no maintainer scripts at all.
control=$(dpkg-deb -I "$deb")
if grep -E ' (postinst|postrm|preinst|prerm|triggers)$' <<< "$control"; then
  fail "the package has maintainer scripts or triggers"
fi

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libsdl2-mixer-2.0-0 libc6; do
  grep -q "$library" <<< "$depends" || fail "Depends lacks $library: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in usr/games/zapwall usr/games/zapwall-editor usr/games/zapwall-data usr/games/zapwall-sim \
    usr/games/zapwall-hall-server usr/lib/systemd/system/zapwall-hall-server.service \
    usr/lib/zapwall/2d_snd.so usr/share/man/man6/zapwall-editor.6.gz \
    usr/share/man/man6/zapwall-data.6.gz usr/share/man/man6/zapwall-sim.6.gz \
    usr/share/applications/io.github.zapwall.zapwall.editor.desktop \
    usr/share/zapwall/data/levels.ko usr/share/zapwall/data/animations.ko \
    usr/share/zapwall/data/pictures/gui usr/share/zapwall/data/sounds/bum.wav \
    usr/share/icons/hicolor/16x16/apps/zapwall.png usr/share/icons/hicolor/256x256/apps/zapwall.png \
    usr/share/man/man6/zapwall.6.gz usr/share/doc/zapwall/copyright; do
  grep -qx "\./$path" <<< "$files" || fail "$path is missing"
done
# Only what the game reads: never a player's files, a kept damaged copy or a temporary file, nor
# the caches that the package manager's triggers make on the installing machine.
if grep -E '/(players|hall|tick)\.ko|\.damaged|\.tmp|/replays/|mime\.cache|mimeinfo\.cache' \
    <<< "$files"; then
  fail "the package holds files the game writes, or a cache"
fi
if grep -E '^\./usr/(bin|share/man/man1)/' <<< "$files"; then
  fail "the package has programs outside /usr/games, or manual pages outside section 6"
fi
# Unpacked anywhere, the programs find their data relative to themselves and write nothing.
root="$work/root"
dpkg-deb -x "$deb" "$root"
# The metadata as the software centres see it, with its desktop entry and icons beside it.
appstreamcli validate-tree --pedantic --no-net "$root" > "$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate-tree"; }
for program in "$root"/usr/games/*; do
  grep -qF "<binary>${program##*/}</binary>" "$root"/usr/share/metainfo/*.metainfo.xml ||
    fail "the AppStream metadata does not name ${program##*/} among what it provides"
done
export XDG_DATA_HOME="$work/xdg"
"$root/usr/games/zapwall" --help | grep -q "$root/usr/share/zapwall/data" ||
  fail "the unpacked zapwall does not read its own data: $("$root/usr/games/zapwall" --help)"
"$root/usr/games/zapwall-data" check || fail "zapwall-data check fails on the unpacked data"
"$root/usr/games/zapwall-sim" --steps 5 --out /dev/null ||
  fail "zapwall-sim fails on the unpacked data"
grep -q '^ExecStart=/usr/games/zapwall-hall-server ' \
  "$root/usr/lib/systemd/system/zapwall-hall-server.service" ||
  fail "the hall server's unit does not start /usr/games/zapwall-hall-server"
"$root/usr/games/zapwall-hall-server" --help > /dev/null || fail "zapwall-hall-server --help fails"
[ ! -e "$XDG_DATA_HOME" ] || fail "the tools wrote into $XDG_DATA_HOME"

echo "package: $(basename "$deb"), Depends: $depends"
