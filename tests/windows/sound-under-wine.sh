#!/bin/sh
# The wave-mapper device's stream is seen by the sound server while it
# plays: the decoder library's sound goes through wine's PulseAudio driver
# to the tests' server, not to a device of wine's own.
#   sound-under-wine.sh WINE_RUN PREFIX SOUND_TESTS PULSE_SERVER
set -eu
run=$1 prefix=$2 program=$3
export PULSE_SERVER=$4
out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$run" "$prefix" "$program" --gtest_filter='*TwoSecondsTake*' > "$out" 2>&1 &
player=$!
seen=no
for _ in $(seq 1 40); do
  if pactl list sink-inputs 2>/dev/null | grep -q "application.name = \"$(basename "$program")\""; then
    seen=yes
    break
  fi
  sleep 0.1
done
status=0
wait $player || status=$?
cat "$out"
[ "$status" -eq 0 ] || { echo "the sound test failed ($status)" >&2; exit 1; }
[ "$seen" = yes ] || { echo "no stream of $(basename "$program") on the sound server while it played" >&2; exit 1; }
echo "the stream was on the sound server while it played"
