#!/bin/sh
# Makes the MP3s that the decoder library's shared tests decode, as real
# tools make them, and mpg123's own decoding of each: DIR/NAME.mp3 and
# DIR/NAME.ref.wav. The tests run in both builds, and under wine neither
# lame nor mpg123 can be started, so they are made here once per run.
#   make-mp3-table.sh DIR
set -eu
dir=$1
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"

# NAME RATE CHANNELS SECONDS LAME-ARGUMENTS
mp3() {
  name=$1 rate=$2 channels=$3 seconds=$4
  shift 4
  if [ "$channels" = 2 ]; then tones="sine 440 pinknoise"; else tones="sine 440"; fi
  # sox's dither is kept repeatable (-R): every run encodes the same samples.
  sox -R -n -r "$rate" -c "$channels" -b 16 "$name.src.wav" synth "$seconds" $tones vol 0.5
  lame --quiet "$@" "$name.src.wav" "$name.mp3"
  rm -f "$name.src.wav"
}

# COUNT SEED: bytes of noise, the same for the same seed.
noise() {
  LC_ALL=C awk -v n="$1" -v seed="$2" 'BEGIN { srand(seed); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }' < /dev/null
}

# NAME [MPG123-ARGUMENTS]: NAME.ref.wav, and NAME.frames, the number of
# frames mpg123 decodes (the last progress line, "> done+left", adds up to it).
reference() {
  name=$1
  shift
  mpg123 -q "$@" -w "$name.ref.wav" "$name.mp3"
  mpg123 -t -v "$@" "$name.mp3" 2>&1 | tr '\r' '\n' | sed -n 's/^> *\([0-9]*\)+\([0-9]*\) .*/\1 \2/p' | tail -n 1 |
    awk '{ print $1 + $2 }' > "$name.frames"
  test -s "$name.ref.wav" && test -s "$name.frames"
}

mp3 Stereo44100Cbr128 44100 2 3 -b 128
mp3 Stereo44100Vbr 44100 2 3 -V 2
mp3 Mono44100 44100 1 3 -b 64 -m m
mp3 Stereo22050Mpeg2 22050 2 3 -b 64
mp3 Mono11025Mpeg25 11025 1 3 -b 32 -m m
# lame -t writes no info frame: the length comes from the frames alone.
mp3 NoInfoFrame 44100 2 3 -t -b 128
mp3 Id3v2Tag 44100 2 3 -b 128 --add-id3v2 --tt "A title" --ta "An artist" --pad-id3v2-size 2000
mp3 Id3v1Tag 44100 2 3 -b 128 --id3v1-only --tt "A title" --ta "An artist"
# Data after the last frame: what a bad download or a careless joiner leaves.
mp3 DataAfterTheEnd 44100 2 3 -b 128
head -c 3000 /dev/zero | tr '\0' 'x' >> DataAfterTheEnd.mp3
# A damaged middle (a bad download): 3 KiB of noise put into the middle.
mp3 DamagedMiddle 44100 2 3 -b 128
size=$(wc -c < DamagedMiddle.mp3)
head -c $((size / 2)) DamagedMiddle.mp3 > damaged.tmp
noise 3072 3072 >> damaged.tmp
tail -c +$((size / 2 + 1)) DamagedMiddle.mp3 >> damaged.tmp
mv damaged.tmp DamagedMiddle.mp3
for name in Stereo44100Cbr128 Stereo44100Vbr Mono44100 Stereo22050Mpeg2 Mono11025Mpeg25 NoInfoFrame Id3v2Tag \
            Id3v1Tag DataAfterTheEnd; do
  reference "$name"
done
# mpg123 gives up at damage after 1 KiB; the library looks for the next frame
# as far as it must, so its reference is mpg123 told to do the same.
reference DamagedMiddle --resync-limit -1

# Zeros over the headers of four frames in the middle. (mpg123 is no
# reference here: after the zeros it takes a chance match in the sound for a
# frame of another rate and stops writing its WAV there.)
cp Stereo44100Cbr128.mp3 ZerosOverFrames.mp3
dd if=/dev/zero of=ZerosOverFrames.mp3 bs=1 seek=15000 count=1500 conv=notrunc 2>/dev/null

# A stream cut in the middle of a frame (an interrupted download).
size=$(wc -c < Stereo44100Cbr128.mp3)
head -c $((size * 6 / 10 + 7)) Stereo44100Cbr128.mp3 > CutShort.mp3
reference CutShort

# Short streams for the entries' rules.
mp3 Short44100 44100 2 1 -b 128
mp3 ShortMono96 44100 1 1 -b 96 -m m
reference Short44100
# What is not MPEG audio: a WAV named .mp3 and random bytes (the same each run).
sox -R -n -r 44100 -c 2 -b 16 WavNamedMp3.mp3.wav synth 1 sine 440
mv WavNamedMp3.mp3.wav WavNamedMp3.mp3
noise 65536 7 > RandomBytes.mp3
touch done
