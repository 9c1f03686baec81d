#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program's CPU share and peak memory while it watches a replay, on X11 and on Wayland, as
# bench/README.md reports them ("On Wayland"):
#
#   bench/replay_cpu.sh PROGRAM REPLAY PLATFORM...
#
# PLATFORM is x11 (a fresh Xvfb), wayland (a fresh headless weston; Qt draws the title bar, as
# under weston and GNOME) or wayland-bare (the same, with QT_WAYLAND_DISABLE_WINDOWDECORATION=1,
# as the program sets it where the compositor draws title bars). For each in turn the program
# watches REPLAY (`PROGRAM --replay REPLAY`, silent); after 3 s its CPU time (utime + stime of
# /proc/PID/stat, all threads) and the display server's are taken over 10 s, then its peak
# memory (VmHWM), and both are ended. One line per platform:
#
#   PLATFORM  program CPU (% of one core)  server CPU (% of one core)  peak memory (MiB)
set -euo pipefail

if [ $# -lt 3 ]; then
  echo "usage: bench/replay_cpu.sh PROGRAM REPLAY x11|wayland|wayland-bare..." >&2
  exit 2
fi
program=$(realpath "$1") replay=$(realpath "$2")
shift 2
work=$(mktemp -d)
server=0 watched=0
end_both() {
  for pid in $watched $server; do
    if [ "$pid" -ne 0 ]; then kill "$pid" 2> /dev/null || true; wait "$pid" 2> /dev/null || true; fi
  done
  watched=0 server=0
}
trap 'end_both; rm -rf "$work"' EXIT

cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

for platform in "$@"; do
  env=(SDL_AUDIODRIVER=dummy)
  case "$platform" in
    x11)
      Xvfb -displayfd 3 -screen 0 1280x1024x24 3> "$work/display" 2> /dev/null &
      server=$!
      until [ -s "$work/display" ]; do sleep 0.05; done
      env+=(QT_QPA_PLATFORM=xcb "DISPLAY=:$(cat "$work/display")")
      rm "$work/display"
      ;;
    wayland | wayland-bare)
      mkdir -p -m 700 "$work/runtime"
      XDG_RUNTIME_DIR=$work/runtime weston --backend=headless-backend.so --socket=bench \
        --idle-time=0 > /dev/null 2>&1 &
      server=$!
      until [ -S "$work/runtime/bench" ]; do sleep 0.05; done
      env+=(QT_QPA_PLATFORM=wayland "XDG_RUNTIME_DIR=$work/runtime" WAYLAND_DISPLAY=bench)
      if [ "$platform" = wayland-bare ]; then env+=(QT_WAYLAND_DISABLE_WINDOWDECORATION=1); fi
      ;;
    *)
      echo "replay_cpu.sh: unknown platform $platform" >&2
      exit 2
      ;;
  esac
  env -u DISPLAY -u WAYLAND_DISPLAY "${env[@]}" "$program" --replay "$replay" > /dev/null 2>&1 &
  watched=$!
  sleep 3
  program0=$(cpu_ticks $watched) server0=$(cpu_ticks $server)
  sleep 10
  program1=$(cpu_ticks $watched) server1=$(cpu_ticks $server)
  peak=$(awk '/^VmHWM/ { print $2 }' "/proc/$watched/status")
  end_both
  awk -v p="$platform" -v a="$program0" -v b="$program1" -v c="$server0" -v d="$server1" \
    -v hz="$(getconf CLK_TCK)" -v kib="$peak" \
    'BEGIN { printf "%-13s %5.2f %5.2f %6.1f\n", p, (b - a) / hz * 10, (d - c) / hz * 10, kib / 1024 }'
done
