#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test program on a headless weston of its own (drawing with pixman, --debug so that
# weston-screenshooter can take its picture), at the output scale ZAPWALL_TEST_WESTON_SCALE (1 by
# default), and ends weston after it. The program finds it by WAYLAND_DISPLAY and its process by
# ZAPWALL_TEST_WESTON_PID. Exits 77 (skipped) when weston cannot start: it is not installed, or it
# ends before its socket takes connections (no headless backend).
#
#   with_weston.sh PROGRAM [ARGS...]
set -uo pipefail
command -v weston > /dev/null || { echo "weston is not installed"; exit 77; }
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d) && export XDG_RUNTIME_DIR
  runtime=$XDG_RUNTIME_DIR
fi
socket=zapwall-test-$$
# Logical pixels: room for the game screen at either scale.
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --use-pixman --debug \
  --scale="${ZAPWALL_TEST_WESTON_SCALE:-1}" --width=1024 --height=768 > /dev/null 2>&1 &
weston=$!
trap 'kill "$weston" 2> /dev/null; wait "$weston"; [ -z "${runtime:-}" ] || rm -rf "$runtime"' EXIT
# Ready once its socket takes connections (it exists a moment before it listens).
python3 - "$XDG_RUNTIME_DIR/$socket" "$weston" <<'PYTHON' || { echo "weston did not start"; exit 77; }
import socket, sys, time
path, pid = sys.argv[1], sys.argv[2]
deadline = time.monotonic() + 60
while time.monotonic() < deadline:
    try:  # ended: gone, or a zombie not yet reaped
        with open(f"/proc/{pid}/stat") as stat:
            if stat.read().split(") ")[-1][0] == "Z":
                sys.exit(1)
    except FileNotFoundError:
        sys.exit(1)
    try:
        socket.socket(socket.AF_UNIX).connect(path)
        sys.exit(0)
    except OSError:
        time.sleep(0.005)
sys.exit(1)
PYTHON
WAYLAND_DISPLAY=$socket ZAPWALL_TEST_WESTON_PID=$weston "$@"
