#!/bin/bash
# vantrel.com under wine on WAVs made by sox: game files byte for byte as the
# Linux program writes them (or, without it, as the strip and the halving
# done by hand give them), the backup made once, the batch going on past a
# failed pair, the exit codes, a WAV refused as its own game file, a
# read-only game file refused, names beyond ASCII, and the compressed
# encodings decoded by the system's codecs.
#   cli-under-wine.sh WINE-RUN PREFIX VANTREL.COM WORKDIR [LINUX-VANTREL]
set -u
here=$(cd "$(dirname "$0")" && pwd)
run=$1 prefix=$2 program=$3 work=$4 linux=${5:-}
rm -rf "$work" && mkdir -p "$work/win" "$work/linux" && cd "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
vantrel() { (cd win && "$run" "$prefix" "$program" "$@"); }

make_wavs() {
  sox -q -n -r 22050 -c 1 -b 16 "$1/a22050.wav" synth 0.4 sine 300 vol 0.5
  sox -q -n -r 44100 -c 2 -b 16 "$1/b44100.wav" synth 0.5 sine 440 sine 660 vol 0.5
  sox -q -n -r 48000 -c 2 -b 16 "$1/c48000.wav" synth 0.3 sine 500 vol 0.5
  sox -q -n -r 22050 -c 1 -b 16 "$1/Été 日本.wav" synth 0.2 sine 700 vol 0.5
  # Encodings the program turns into 16-bit PCM itself.
  sox -q -n -r 44100 -c 2 -b 24 "$1/d24.wav" synth 0.3 sine 440 vol 0.5
  sox -q -n -r 22050 -c 1 -b 8 -e unsigned-integer "$1/e8.wav" synth 0.3 sine 440 vol 0.5
  sox -q -n -r 22050 -c 2 -b 32 -e floating-point "$1/f32.wav" synth 0.3 sine 440 vol 0.5
  sox -q -n -r 44100 -c 1 -b 32 -e signed-integer "$1/g32.wav" synth 0.3 sine 440 vol 0.5
  for g in one two three four d e f g; do printf 'old %s game file' "$g" > "$1/$g.16"; done
}
# One set of files for both programs: sox dithers, so two runs differ.
make_wavs win
cp -a win/. linux/

pairs=(--to-game a22050.wav one.16 b44100.wav two.16 "Été 日本.wav" "jeu é.16" d24.wav d.16 e8.wav e.16 f32.wav f.16
       g32.wav g.16)
vantrel "${pairs[@]}" > out.txt 2> err.txt
[ $? -eq 0 ] || { fail "the conversions exit $?"; cat err.txt; }
grep -q "That's right" out.txt || fail "no \"That's right\""
for g in one two d e f g; do
  [ "$(cat "win/$g.16.bak")" = "old $g game file" ] || fail "$g.16.bak is not the old game file"
done
[ -e "win/jeu é.16.bak" ] && fail "a backup of a game file that was not there"

if [ -n "$linux" ]; then
  (cd linux && "$linux" -q "${pairs[@]}") || fail "the Linux program failed"
  for g in one.16 two.16 "jeu é.16" d.16 e.16 f.16 g.16; do
    cmp -s "win/$g" "linux/$g" || fail "$g differs from the Linux program's"
  done
else
  python3 - <<'PY' || fail "game files differ from the strip and the halving"
data = lambda n: open(n, 'rb').read()
a = data('win/a22050.wav')[44:]
assert data('win/one.16') == a, 'one.16'
b = data('win/b44100.wav')[44:]
halved = b''.join(b[i + 4:i + 8] for i in range(0, len(b) - 7, 8))
assert data('win/two.16') in (halved, b''.join(b[i:i + 4] for i in range(0, len(b) - 7, 8))), 'two.16'
PY
fi

# The compressed encodings, which this build decodes through the system's
# codecs (ACM) and the Linux build through libsndfile: sox's WAVs in each, at
# 44100 and 22050 Hz, mono and stereo (GSM 6.10 mono at 8000 Hz, the one form
# a WAV holds it in), with a last block the sound fills part of and one it
# fills whole; compressed-wavs.py says where wine's codecs differ and why.
# Then WAVs cut inside their last block, with damaged blocks, and with a
# block too small for its own header.
acm() { python3 "$here/compressed-wavs.py" "$@"; }
mkdir -p win/acm linux/acm
if acm make win/acm && acm damage win/acm; then
  for n in $(cat win/acm/damaged.txt); do printf 'old game file' > "win/acm/$n.16"; done
  cp -a win/acm/. linux/acm/
  acm_pairs=() damaged_pairs=()
  for n in $(cat win/acm/pairs.txt); do acm_pairs+=("acm/$n.wav" "acm/$n.16"); done
  for n in $(cat win/acm/damaged.txt); do damaged_pairs+=("acm/$n.wav" "acm/$n.16"); done
  vantrel -q --yes --to-game "${acm_pairs[@]}" 2> err.txt || { fail "compressed WAVs: exit $?"; cat err.txt; }
  vantrel -q --yes --to-game "${damaged_pairs[@]}" 2> damaged-err.txt
  [ $? -le 1 ] || fail "damaged WAVs: exit $?"
  if [ -n "$linux" ]; then
    (cd linux && "$linux" -q --yes --to-game "${acm_pairs[@]}") || fail "the Linux program failed on compressed WAVs"
    (cd linux && "$linux" -q --yes --to-game "${damaged_pairs[@]}" 2> /dev/null)
    acm check win/acm linux/acm || fail "compressed WAVs differ from the Linux program's"
    acm check-damaged win/acm damaged-err.txt linux/acm || fail "damaged compressed WAVs"
  else
    acm check win/acm || fail "compressed WAVs differ from sox's decoding"
    echo "no Linux program: damaged compressed WAVs only checked for being refused or converted"
    acm check-damaged win/acm damaged-err.txt || fail "damaged compressed WAVs"
  fi
else
  fail "sox could not make the compressed WAVs"
fi

# The backup is made once: a second conversion keeps the first one.
vantrel -q --to-game a22050.wav two.16 || fail "second conversion"
[ "$(cat win/two.16.bak)" = "old two game file" ] || fail "the backup was replaced"

# 48000 Hz: --yes converts, --no skips (exit 1) and changes nothing.
vantrel -q --no --to-game c48000.wav three.16; [ $? -eq 1 ] || fail "--no must exit 1"
[ "$(cat win/three.16)" = "old three game file" ] || fail "--no changed the game file"
vantrel -q --yes --to-game c48000.wav three.16 || fail "--yes must convert"
cmp -s <(tail -c +45 win/c48000.wav) win/three.16 || fail "48000 Hz data not copied as it is"

# A failed pair does not stop the batch, and the run exits 1.
vantrel -q --to-game missing.wav four.16 a22050.wav four.16 2> err.txt; [ $? -eq 1 ] || fail "failed pair exit"
cmp -s <(tail -c +45 win/a22050.wav) win/four.16 || fail "the pair after a failed one was not converted"
grep -q "missing.wav" err.txt || fail "the failed pair is not named"

# This build has no resampler: --resample is a wrong argument, said so.
vantrel --resample --to-game c48000.wav three.16 2> err.txt; [ $? -eq 2 ] || fail "--resample must exit 2"
grep -q "not part of this build" err.txt || fail "--resample is not refused in words"

# Wrong option: exit 2 and the usage hint.
vantrel --bogus 2> err.txt; [ $? -eq 2 ] || fail "wrong option must exit 2"
grep -q "Try 'vantrel --help'" err.txt || fail "no usage hint"

# A WAV converted onto itself, by its name or another spelling, is refused.
cp win/a22050.wav keep.wav
for self in a22050.wav ./a22050.wav A22050.WAV; do
  vantrel -q --to-game a22050.wav "$self" 2> err.txt; [ $? -eq 1 ] || fail "self conversion $self exit"
  grep -q "Nothing changed" err.txt || fail "self conversion $self not refused"
  cmp -s keep.wav win/a22050.wav || fail "the WAV was changed by $self"
done

# A read-only game file has its attribute cleared and is converted, its old
# content kept in the backup.
printf 'protected' > win/ro.16
(cd win && "$run" "$prefix" cmd /c attrib +r ro.16) > /dev/null 2>&1
vantrel -q --to-game a22050.wav ro.16 || fail "the read-only game file was not converted"
[ "$(cat win/ro.16.bak)" = "protected" ] || fail "the read-only game file's content was lost"
cmp -s <(tail -c +45 win/a22050.wav) win/ro.16 || fail "the read-only game file does not hold the sound"

# A full disk: a folder on a small file system of its own (where this
# machine lets the test mount one) takes the game file's replacement, which
# fails as "Disque plein" with the old game file kept.
mkdir -p small
if mount -t tmpfs -o size=64k tmpfs small 2> /dev/null; then
  sox -q -n -r 22050 -c 2 -b 16 win/big.wav synth 1 sine 300
  printf 'old full game file' > small/full.16
  vantrel -q --to-game big.wav ../small/full.16 2> err.txt; code=$?
  [ "$code" -eq 1 ] || fail "a full disk exits $code"
  grep -q "Disque plein" err.txt || { fail "a full disk is not \"Disque plein\""; cat err.txt; }
  [ "$(cat small/full.16)" = "old full game file" ] || fail "the full disk lost the game file"
  [ "$(ls -A small | sort | tr '\n' ' ')" = "full.16 full.16.bak " ] || fail "left behind: $(ls -A small)"
  umount small
else
  echo "no full disk case: this machine lets no test mount a small file system"
fi

[ "$failures" -eq 0 ] && echo "all cases pass"
exit "$failures"
