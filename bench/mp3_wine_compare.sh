#!/usr/bin/env bash
# MP3 to WAV on Windows, for information: `vantrel.com --mp3-to-wav` under
# wine (the decoder library on the system's codec) against `mpg123 -q -w` on
# Linux, on the same 5-minute 44100 Hz stereo MP3s (128 kbit/s CBR and VBR
# -V2), the median wall time of RUNS runs each and their ratio. wine's own
# start is in the Windows program's time; a run of a program that does
# nothing (vantrel.com --help) is given to tell it apart.
#   mp3_wine_compare.sh WINE-RUN PREFIX VANTREL.COM [RUNS]
set -eu
run=$(realpath "$1") prefix=$(realpath -m "$2") prog=$(realpath "$3")
runs=${4:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median_wall() {  # the median wall time of $runs runs of the command
  for _ in $(seq 1 "$runs"); do
    /usr/bin/time -f "%e" -o "$work/t" "$@" >/dev/null 2>&1 || true
    cat "$work/t"
  done | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

[ -d "$prefix/drive_c" ] || "$run" "$prefix" --init
sox -R -n -r 44100 -c 2 -b 16 "$work/src.wav" synth 300 sine 220-880 pinknoise vol 0.5 2>/dev/null
printf "wine start (vantrel.com --help): %ss\n" "$(median_wall "$run" "$prefix" "$prog" --help)"
printf "%-10s %9s %9s %7s\n" stream vantrel.com mpg123 ratio
for kind in "cbr128:-b 128" "vbr-V2:-V 2"; do
  name=${kind%%:*}
  # shellcheck disable=SC2086
  lame --quiet ${kind#*:} "$work/src.wav" "$work/$name.mp3"
  ours=$(cd "$work" && median_wall "$run" "$prefix" "$prog" -q --mp3-to-wav "$name.mp3")
  theirs=$(median_wall mpg123 -q -w "$work/$name.ref.wav" "$work/$name.mp3")
  printf "%-10s %9s %9s %7.2f\n" "$name" "$ours" "$theirs" "$(echo "$ours / $theirs" | bc -l)"
done
