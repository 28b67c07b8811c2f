#!/bin/bash
# vantrel.com --mp3-to-wav under wine, with mpegdll.dll beside it, on the MP3
# table: "Saved as", and a WAV beside each MP3 of mpg123's rate, two
# channels, mpg123's number of samples to within one frame and mpg123's
# sound to within a small difference (the system's codec is another decoder
# than libmpg123); a WAV named .mp3 and random bytes refused with the input
# error and no WAV made.
#   mp3-under-wine.sh WINE-RUN PREFIX VANTREL.COM MP3-TABLE WORKDIR
set -u
run=$1 prefix=$2 program=$3 table=$4 work=$5
rm -rf "$work" && mkdir -p "$work" && cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
vantrel() { "$run" "$prefix" "$program" "$@"; }

# The root mean square of the difference of two WAVs of two channels,
# relative to the second one's.
relative_difference() {
  local diff level
  diff=$(sox -m -v 1 "$1" -v -1 "$2" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
  level=$(sox "$2" -n stat 2>&1 | awk '/RMS +amplitude/ { print $3 }')
  awk -v d="$diff" -v l="$level" 'BEGIN { printf "%.4f", (l > 0 ? d / l : 1) }'
}

# NAME:FRAME-SAMPLES:LARGEST-DIFFERENCE. Around damage each decoder makes what
# it can of the frames there: a few frames of other sound (the decoder
# library's table test checks that frame by frame) weigh in the whole.
for row in Stereo44100Cbr128:1152:0.02 Stereo44100Vbr:1152:0.02 Mono44100:1152:0.02 Stereo22050Mpeg2:576:0.02 \
           Mono11025Mpeg25:576:0.02 NoInfoFrame:1152:0.02 Id3v2Tag:1152:0.02 Id3v1Tag:1152:0.02 \
           DataAfterTheEnd:1152:0.02 DamagedMiddle:1152:0.25; do
  IFS=: read -r name frame largest <<< "$row"
  cp "$table/$name.mp3" .
  out=$(vantrel --mp3-to-wav "$name.mp3" 2>&1)
  status=$?
  [ $status -eq 0 ] || { fail "$name: exit $status: $out"; continue; }
  grep -q "^Saved as: $name.wav" <<< "$out" || fail "$name: no \"Saved as\": $out"
  [ -f "$name.wav" ] || { fail "$name: no WAV"; continue; }
  [ "$(soxi -c "$name.wav")" = 2 ] || fail "$name: not two channels"
  [ "$(soxi -r "$name.wav")" = "$(soxi -r "$table/$name.ref.wav")" ] || fail "$name: not mpg123's rate"
  ours=$(soxi -s "$name.wav") theirs=$(soxi -s "$table/$name.ref.wav")
  [ $((ours > theirs ? ours - theirs : theirs - ours)) -le "$frame" ] ||
    fail "$name: $ours samples, mpg123 $theirs"
  sox "$table/$name.ref.wav" -c 2 reference.wav
  difference=$(relative_difference "$name.wav" reference.wav)
  awk -v d="$difference" -v most="$largest" 'BEGIN { exit !(d < most) }' || fail "$name: differs from mpg123's sound by $difference"
  echo "$name: $ours samples (mpg123 $theirs), difference $difference"
done

for name in WavNamedMp3 RandomBytes; do
  cp "$table/$name.mp3" .
  out=$(vantrel --mp3-to-wav "$name.mp3" 2>&1)
  [ $? -eq 1 ] || fail "$name: not refused: $out"
  grep -q "Input stream error" <<< "$out" || fail "$name: not the input error: $out"
  [ -e "$name.wav" ] && fail "$name: a WAV was made"
done

[ $failures -eq 0 ] && echo "all passed"
exit $((failures > 0))
