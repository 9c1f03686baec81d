#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# ./play and scripts/build-all in a copy of the set-up scripts, with a fake cmake, id and chown:
# a user whose build folder holds another user's files is told in one message how to get it back
# and nothing is built; root building in another user's tree hands the build folder back to the
# tree's owner when it ends, also after a failed build, and leaves folders outside the tree alone.
#
#   build_folder_owner.sh SOURCE_DIR
set -uo pipefail
source_dir=$1
source "$(dirname "$0")/../lib/script_test.sh"

tree=$work/tree
real_chown=$(command -v chown)
me=$(id -u):$(id -g)
mkdir -p "$tree/scripts"
cp "$source_dir/play" "$tree/"
cp "$source_dir"/scripts/{build-folder-owner,build-all,install-deps} "$tree/scripts/"

bin=$work/bin
mkdir "$bin"
fake() { printf '#!/usr/bin/env bash\n%s\n' "$2" > "$bin/$1" && chmod +x "$bin/$1"; }
# $AS is the uid the scripts believe they run as; its name is alice.
fake id 'case "$1" in -u) echo "$AS" ;; -un) echo alice ;; *) exec /usr/bin/id "$@" ;; esac'
fake dpkg-query 'for p in "$@"; do [ "${p#-}" = "$p" ] && echo "$p installed"; done; true'
fake chown 'echo "chown $*" >> "$LOG"'
# The build: configuring makes the folder, building makes a game that ends with $GAME_STATUS;
# $BUILD_FAILS makes the build fail.
fake cmake 'echo "cmake $*" >> "$LOG"
if [ "$1" = -S ]; then mkdir -p "$4"; exit 0; fi
[ -z "${BUILD_FAILS:-}" ] || exit 1
printf "#!/bin/sh\necho \"game \$*\" >> \"$LOG\"\nexit \${GAME_STATUS:-0}\n" > "$2/zapwall"
chmod +x "$2/zapwall"'
export PATH="$bin:$PATH" LOG=$work/log

run() {  # run AS COMMAND...: sets $status and $out, the fakes' calls in $LOG
  : > "$LOG"
  out=$(cd "$tree" && AS=$1 "${@:2}" 2>&1)
  status=$?
}

# The tree's owner builds: built and played, the game's status is the script's, nothing chowned.
run "${me%%:*}" env GAME_STATUS=3 ./play --level 2
[ "$status" = 3 ] || fail "./play did not end with the game's status: $status: $out"
grep -q "^game --level 2$" "$LOG" || fail "the game did not run: $(cat "$LOG")"
! grep -q "^chown" "$LOG" || fail "the owner's own build was chowned: $(cat "$LOG")"

# From here the tree belongs to a user other than root; run by root, the test makes it so.
owner=$me
if [ "${me%%:*}" = 0 ]; then
  owner=4242:4242
  "$real_chown" "$owner" "$tree"
fi

# Root in the user's tree: the folder goes back to the tree's owner, after the game and after a
# failed build; a build folder outside the tree stays as it is.
run 0 ./play
[ "$status" = 0 ] || fail "./play as root: $status: $out"
[ "$(tail -1 "$LOG")" = "chown -R --no-dereference $owner build" ] ||
  fail "root's build was not handed back after the game: $(cat "$LOG")"
run 0 env BUILD_FAILS=1 scripts/build-all
[ "$status" = 1 ] || fail "a failed build-all as root: $status: $out"
grep -qx "chown -R --no-dereference $owner build" "$LOG" ||
  fail "a failed build as root was not handed back: $(cat "$LOG")"
run 0 scripts/build-all "$work/elsewhere"
[ "$status" = 0 ] && ! grep -q "^chown" "$LOG" ||
  fail "a build folder outside the tree was chowned: $status $(cat "$LOG")"

# Another user's files in the build folder (root's, as the fake chown gave nothing back): one
# message with the command that mends it, and no build.
for script in ./play scripts/build-all; do
  run 4243 "$script"
  [ "$status" = 1 ] || fail "$script on another user's build: status $status: $out"
  ! grep -q "^cmake" "$LOG" || fail "$script built in another user's folder: $(cat "$LOG")"
  grep -q "^build holds files of $(stat -c %U "$tree/build")" <<< "$out" &&
    grep -qF "su -c 'chown -R alice: $tree/build'" <<< "$out" ||
    fail "$script on another user's build said: $out"
done
echo ok
