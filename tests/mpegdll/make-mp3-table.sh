#!/bin/sh
# Makes the MP3 files of the frame index's table in FOLDER with sox and lame,
# and beside each NAME.mp3 the reference: NAME.ref.wav that `mpg123 -w`
# writes and NAME.frames, the frames mpg123 counts in it.
#   make-mp3-table.sh FOLDER
# Run on the host: the Windows tests read what it made.
set -eu
out=$1
mkdir -p "$out"
cd "$out"
sox -q -n -r 44100 -c 2 -b 16 s44.wav synth 2 sine 440 sine 660
sox -q -n -r 22050 -c 2 -b 16 s22.wav synth 2 sine 440 sine 660
sox -q -n -r 11025 -c 1 -b 16 s11.wav synth 2 sine 440
sox -q -n -r 44100 -c 1 -b 16 s44m.wav synth 2 sine 440
lame --quiet -b 128 s44.wav cbr44.mp3
lame --quiet -V 2 s44.wav vbr44.mp3
lame --quiet -t -b 128 s44.wav notag44.mp3
lame --quiet -b 64 --resample 22.05 s22.wav mpeg2-22k.mp3
lame --quiet -b 32 --resample 11.025 s11.wav mpeg25-11k-mono.mp3
lame --quiet -m m -b 64 s44m.wav mono44.mp3
lame --quiet -b 128 --add-id3v2 --tt "A title" --ta "An artist" s44.wav id3v2.mp3
lame --quiet -b 128 --id3v1-only --tt "A title" s44.wav id3v1.mp3
# Text after the last frame, and a stretch of zeros over frames in the middle.
cp cbr44.mp3 trailing.mp3
i=0
while [ $i -lt 100 ]; do printf 'text after the sound, no frame in it\n'; i=$((i + 1)); done >> trailing.mp3
cp cbr44.mp3 damaged.mp3
dd if=/dev/zero of=damaged.mp3 bs=1 seek=15000 count=1500 conv=notrunc 2>/dev/null
rm -f s44.wav s22.wav s11.wav s44m.wav
for f in *.mp3; do
  name=${f%.mp3}
  mpg123 -q -w "$name.ref.wav" "$f" 2>/dev/null
  # The progress line "> done+left": the last one adds up to the frames decoded.
  mpg123 -t -v "$f" 2>&1 | tr '\r' '\n' | sed -n 's/^> *\([0-9]*\)+\([0-9]*\) .*/\1 \2/p' | tail -n 1 |
    awk '{ print $1 + $2 }' > "$name.frames"
  test -s "$name.ref.wav" && test -s "$name.frames"
done
