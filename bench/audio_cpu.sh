#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The sound library's cost while the program watches a replay with sound on, through a PulseAudio
# null sink (a real sound server that plays into nothing), as bench/README.md reports it ("The
# audio thread"):
#
#   bench/audio_cpu.sh PROGRAM DATA_DIR REPLAY LIBRARY...
#
# PROGRAM is a zapwall, DATA_DIR the data folder the replay was recorded on, and each LIBRARY a
# build of 2d_snd.so (one per buffer size tried). A PulseAudio daemon of its own (scripts/install-deps
# bench), with a null sink and nothing else, and an Xvfb serve all runs. For each library the
# program watches REPLAY from a folder of its own; after 3 s the CPU time of its threads is taken
# over 10 s, and the stream's output latency (PulseAudio's buffer latency plus the sink's) every
# quarter of a second. One line per library:
#
#   LIBRARY  program CPU  audio thread CPU (% of one core)  latency median  latency max (ms)
set -euo pipefail

if [ $# -lt 4 ]; then
  echo "usage: bench/audio_cpu.sh PROGRAM DATA_DIR REPLAY LIBRARY..." >&2
  exit 2
fi
program=$(realpath "$1") data=$(realpath "$2") replay=$(realpath "$3")
shift 3
work=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2> /dev/null || true; wait "$pid" 2> /dev/null || true; done; rm -rf "$work"' EXIT

export XDG_RUNTIME_DIR=$work/run PULSE_RUNTIME_PATH=$work/run/pulse HOME=$work
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=stderr \
  --load=module-native-protocol-unix --load="module-null-sink sink_name=bench" 2> /dev/null &
pids+=($!)
for _ in $(seq 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl info > /dev/null || { echo "audio_cpu: PulseAudio did not start" >&2; exit 1; }
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset 3> "$work/display" 2> /dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" SDL_AUDIODRIVER=pulseaudio

# CPU nanoseconds of the process's threads, those named like SDL's audio thread apart.
cpu() {
  local all=0 audio=0 task ns
  for task in /proc/"$1"/task/*; do
    ns=$(cut -d' ' -f1 "$task/schedstat" 2> /dev/null) || continue
    all=$((all + ns))
    case "$(cat "$task/comm")" in SDLAudio*) audio=$((audio + ns)) ;; esac
  done
  echo "$all $audio"
}
latency() {
  pactl list sink-inputs | awk '/Buffer Latency:/ { b = $3 } /Sink Latency:/ { s = $3 }
                               END { if (b != "") printf "%.1f\n", (b + s) / 1000 }'
}

for library in "$@"; do
  folder=$work/program
  rm -rf "$folder" && mkdir -p "$folder"
  cp -r "$data" "$folder/data" && rm -f "$folder/data/zapwall.lock"
  cp "$program" "$folder/zapwall" && cp "$library" "$folder/2d_snd.so"
  "$folder/zapwall" --replay "$replay" > /dev/null 2>&1 &
  watched=$!
  pids+=($watched)
  sleep 3
  read -r all0 audio0 < <(cpu $watched)
  start=$(date +%s%N)
  : > "$work/latency"
  while [ $(($(date +%s%N) - start)) -lt 10000000000 ]; do
    latency >> "$work/latency"
    sleep 0.25
  done
  read -r all1 audio1 < <(cpu $watched)
  wall=$(($(date +%s%N) - start))
  kill $watched && wait $watched 2> /dev/null || true
  sort -n "$work/latency" | awk -v lib="$library" -v all=$((all1 - all0)) -v audio=$((audio1 - audio0)) \
    -v wall=$wall '{ v[NR] = $1 } END {
      printf "%s  program %.2f %%  audio thread %.2f %%  latency median %.1f ms  max %.1f ms\n",
             lib, 100 * all / wall, 100 * audio / wall, v[int((NR + 1) / 2)], v[NR] }'
done
