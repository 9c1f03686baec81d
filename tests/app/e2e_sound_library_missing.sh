#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A portable copy without its sound library, and one whose library refuses to register, started
# again and again on an Xvfb display: every start shows the "Chyba během načítání!" box, Qt never
# says that its application was made off the main thread, and no start crashes.
#
# usage: e2e_sound_library_missing.sh BUILD_DIR REFUSING_LIBRARY [STARTS]
set -euo pipefail

build=$(cd "$1" && pwd)
refusing=$2
starts=${3:-30}
tag=e2e_sound_library_missing
source "$(dirname "$0")/../frontend/e2e_lib.sh"
portable_copy levels.ko
rm "$work/2d_snd.so"
start_display

box_or_end() { ended_already || xdotool search --onlyvisible --name '^Zapwall$' > /dev/null; }

# WHAT: starts the copy `starts` times; each start must show the box, and is killed then.
start_again_and_again() {
  local shown status
  for ((shown = 0; shown < starts; shown++)); do
    launch "$work/zapwall" 2> "$work/stderr"
    within_patience box_or_end || fail "$1: no message box and no end: $(cat "$work/stderr")"
    ! grep -F "main() thread" "$work/stderr" || fail "$1: Qt warned about its threads"
    kill -9 "$pid"
    status=0; reap "$pid" || status=$?
    [ "$status" = 137 ] || fail "$1: ended by itself with status $status: $(cat "$work/stderr")"
  done
  echo "$tag: $1: the box at each of $shown starts"
}

start_again_and_again "no sound library"
cp "$refusing" "$work/2d_snd.so"
start_again_and_again "a refusing sound library"
