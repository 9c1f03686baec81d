#!/usr/bin/env bash
# Builds the Debian package of a build folder into a temporary folder, runs lintian on it (no
# error may show), checks its control fields and its files, and runs its programs unpacked in a
# folder of their own.
#
# usage: check_package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work" > "$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; exit 1; }
deb=$(ls "$work"/zapwall_"$version"_*.deb)
fail() { echo "package: $*" >&2; exit 1; }

lintian --fail-on error "$deb" || fail "lintian reports an error"

[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libsdl2-mixer-2.0-0 libc6; do
  grep -q "$library" <<< "$depends" || fail "Depends lacks $library: $depends"
done

files=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for path in usr/bin/zapwall usr/bin/zapwall-editor usr/bin/zapwall-data usr/bin/zapwall-sim \
    usr/lib/zapwall/2d_snd.so usr/share/man/man6/zapwall-editor.6.gz \
    usr/share/applications/io.github.zapwall.zapwall.editor.desktop \
    usr/share/zapwall/data/levels.ko usr/share/zapwall/data/animations.ko \
    usr/share/zapwall/data/pictures/gui usr/share/zapwall/data/sounds/bum.wav \
    usr/share/icons/hicolor/16x16/apps/zapwall.png usr/share/icons/hicolor/256x256/apps/zapwall.png \
    usr/share/man/man6/zapwall.6.gz usr/share/doc/zapwall/copyright; do
  grep -qx "\./$path" <<< "$files" || fail "$path is missing"
done
# Only what the game reads: never a player's files, a kept damaged copy or a temporary file.
if grep -E '/(players|hall|tick)\.ko|\.damaged|\.tmp|/replays/' <<< "$files"; then
  fail "the package holds files the game writes"
fi
# Unpacked anywhere, the programs find their data relative to themselves and write nothing.
root="$work/root"
dpkg-deb -x "$deb" "$root"
# The metadata as the software centres see it, with its desktop entry and icons beside it.
appstreamcli validate-tree --pedantic --no-net "$root" > "$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "appstreamcli validate-tree"; }
export XDG_DATA_HOME="$work/xdg"
"$root/usr/bin/zapwall" --help | grep -q "$root/usr/share/zapwall/data" ||
  fail "the unpacked zapwall does not read its own data: $("$root/usr/bin/zapwall" --help)"
"$root/usr/bin/zapwall-data" check || fail "zapwall-data check fails on the unpacked data"
"$root/usr/bin/zapwall-sim" --steps 5 --out /dev/null || fail "zapwall-sim fails on the unpacked data"
[ ! -e "$XDG_DATA_HOME" ] || fail "the tools wrote into $XDG_DATA_HOME"

echo "package: $(basename "$deb"), Depends: $depends"
