#!/usr/bin/env bash
# MP3 to WAV: the decoder library (as the MP3 command drives it) side by side
# with `mpg123 -q -w` on the same files, in one run. Makes 1- and 5-minute
# 44100 Hz stereo MP3s (128 kbit/s CBR, 320 kbit/s CBR, VBR -V2, and VBR -V2
# without an info frame, `lame -t`, whose exact length takes the library a
# pass over the frames) with sox and lame, reports wall time, CPU time and
# peak memory of each, their wall time ratio, and whether the sample bytes
# are the same.
#   mp3_compare.sh DECODER_PROGRAM LIBRARY [RUNS]
set -eu
prog=$1
lib=$2
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

measure() {  # prints "wall cpu maxrss_kib" of the best (least wall) of $runs runs
  local best=""
  for _ in $(seq 1 "$runs"); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/t" "$@" >/dev/null 2>&1
    read -r wall user sys rss <"$work/t"
    line="$wall $(echo "$user + $sys" | bc) $rss"
    if [ -z "$best" ] || [ "$(echo "$wall < ${best%% *}" | bc)" = 1 ]; then best=$line; fi
  done
  echo "$best"
}

printf "%-12s %-5s | %8s %8s %9s | %8s %8s %9s | %6s %s\n" stream min lib_wall lib_cpu lib_kib mpg_wall mpg_cpu mpg_kib ratio bytes
for minutes in 1 5; do
  sox -R -n -r 44100 -c 2 -b 16 "$work/src.wav" synth $((minutes * 60)) sine 220-880 pinknoise vol 0.5 2>/dev/null
  for kind in cbr128 cbr320 vbrV2 vbrV2t; do
    case $kind in
      cbr128) args="-b 128" ;;
      cbr320) args="-b 320" ;;
      vbrV2) args="-V 2" ;;
      vbrV2t) args="-t -V 2" ;;
    esac
    mp3="$work/$kind-$minutes.mp3"
    lame --quiet $args "$work/src.wav" "$mp3"
    sync
    read -r lw lc lm <<<"$(measure "$prog" "$lib" "$mp3" "$work/lib.wav")"
    read -r mw mc mm <<<"$(measure mpg123 -q -w "$work/ref.wav" "$mp3")"
    if cmp -s <(tail -c +45 "$work/lib.wav") <(tail -c +45 "$work/ref.wav"); then same=same; else same=DIFFER; fi
    ratio=$(echo "scale=3; $lw / $mw" | bc)
    printf "%-12s %-5s | %8s %8s %9s | %8s %8s %9s | %6s %s\n" "$kind" "$minutes" "$lw" "$lc" "$lm" "$mw" "$mc" "$mm" "$ratio" "$same"
  done
done
