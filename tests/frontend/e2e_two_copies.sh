#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Two copies of the real zapwall on one data folder, on an Xvfb display: the second says that
# the game already runs and ends with status 1 without touching a file; once the first is killed,
# its lock left behind does not stop the next start.
#
# usage: e2e_two_copies.sh BUILD_DIR
set -euo pipefail

build=$(cd "$1" && pwd)
source "$(dirname "$0")/e2e_lib.sh"
portable_copy levels.ko
printf '8000\r\n' > "$work/data/tick.ko"
start_display

# Every file of the data folder with its size, time and contents.
snapshot() {
  (cd "$work/data" && find . -type f -printf '%p %s %T@ ' -exec md5sum {} \; | sort)
}

launch "$work/zapwall"
first=$pid
window '^V\.E\.X Zapwall$' > /dev/null || fail "the first copy's menu did not appear"
[ "$(head -1 "$work/data/zapwall.lock")" = "$first" ] || fail "the first copy holds no lock"
before=$(snapshot)

launch "$work/zapwall"
second=$pid
box=$(window '^Zapwall$') || fail "the second copy did not say that the game runs"
xdotool key Return
pid=$second
within_patience ended_already || fail "the second copy did not end after its message"
status=0; reap "$second" || status=$?
[ "$status" = 1 ] || fail "the second copy ended with status $status, not 1"
[ "$(snapshot)" = "$before" ] || fail "the second copy changed the data folder"
kill -0 "$first" || fail "the first copy did not survive the second"

# A killed copy leaves its lock behind; the next one starts all the same.
kill -9 "$first"
reap "$first" || true
[ -e "$work/data/zapwall.lock" ] || fail "the killed copy's lock is gone: nothing was tested"
launch "$work/zapwall"
third=$pid
window '^V\.E\.X Zapwall$' > /dev/null || fail "the copy after a killed one did not start"
[ "$(head -1 "$work/data/zapwall.lock")" = "$third" ] || fail "the next copy took no lock"
xdotool search --onlyvisible --name '^Zapwall$' > /dev/null && fail "the next copy was refused"
echo "e2e: a second copy refused, a killed copy's lock taken over"
