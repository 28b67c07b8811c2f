#!/usr/bin/env bash
# MP3 to WAV as whole processes, start-up included, side by side in one run:
# `vantrel --mp3-to-wav` against `mpg123 -q -w` on the same 5-minute 44100 Hz
# stereo MP3s (128 kbit/s CBR, VBR -V2, and VBR -V2 without an info frame),
# the median wall time of RUNS runs each, their ratio, and whether the WAVs
# are the same bytes.
#   mp3_process_compare.sh VANTREL_PROGRAM [RUNS]
set -eu
prog=$1
runs=${2:-5}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median_wall() {  # the median wall time of $runs runs of the command
  for _ in $(seq 1 "$runs"); do
    /usr/bin/time -f "%e" -o "$work/t" "$@" >/dev/null 2>&1
    cat "$work/t"
  done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

sox -R -n -r 44100 -c 2 -b 16 "$work/src.wav" synth 300 sine 220-880 pinknoise vol 0.5 2>/dev/null
printf "%-22s %9s %9s %7s %s\n" stream vantrel mpg123 ratio bytes
for kind in "cbr128:-b 128" "vbr-V2:-V 2" "vbr-V2-no-info:-t -V 2"; do
  name=${kind%%:*}
  # shellcheck disable=SC2086
  lame --quiet ${kind#*:} "$work/src.wav" "$work/$name.mp3"
  cat "$work/$name.mp3" >/dev/null
  ours=$(median_wall "$prog" --mp3-to-wav "$work/$name.mp3")
  theirs=$(median_wall mpg123 -q -w "$work/$name.ref.wav" "$work/$name.mp3")
  same=$(cmp -s "$work/$name.wav" "$work/$name.ref.wav" && echo same || echo DIFFERENT)
  printf "%-22s %9s %9s %7.2f %s\n" "$name" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)" "$same"
done
