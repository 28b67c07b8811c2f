#!/bin/sh
# Runs the media player's Windows test under wine with its sound going to the
# test's private PulseAudio server, and checks that the server took the sound
# as a stream of the program's while the test played it.
#   mci-under-wine.sh WINE_RUN PREFIX PULSE_DIR PROGRAM ARGS...
set -eu
run=$1
prefix=$2
pulse=$3
shift 3
export PULSE_SERVER="unix:$pulse/pulse/native"
# wine's driver names the stream after the Windows program.
program=$(basename "$1")
seen=$(mktemp)
trap 'rm -f "$seen"' EXIT
"$run" "$prefix" "$@" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
  if pactl list sink-inputs 2>/dev/null | grep -qF "application.name = \"$program\""; then
    echo stream >"$seen"
  fi
  sleep 0.05
done
status=0
wait "$pid" || status=$?
if [ "$status" -ne 0 ]; then exit "$status"; fi
if [ ! -s "$seen" ]; then
  echo "no stream of $program reached the test sound server" >&2
  exit 1
fi
echo "the test sound server played a stream of $program"
