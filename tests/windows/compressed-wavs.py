#!/usr/bin/env python3
"""WAVs in the compressed encodings, made by sox, and the game files the
Windows build makes of them through the system's codecs, compared with the
Linux build's (libsndfile) or, without it, with sox's own decoding.

  compressed-wavs.py make DIR              the WAVs, listed in DIR/pairs.txt
  compressed-wavs.py damage DIR            damaged ones beside them, in DIR/damaged.txt
  compressed-wavs.py check WIN [LINUX]     the game files; exit 1 on a fault
  compressed-wavs.py check-damaged WIN ERR [LINUX]
"""
import os
import struct
import subprocess
import sys

# sox's names, the format tag it writes, and whether a WAV may hold stereo.
ENCODINGS = [('a-law', 0x06, True), ('u-law', 0x07, True), ('ima-adpcm', 0x11, True),
             ('ms-adpcm', 0x02, True), ('gsm-full-rate', 0x31, False)]
# The sound: two tones (one per channel in stereo) and, for MS ADPCM, enough
# change that sox picks more than one predictor.
SOUND = ['sine', '300-2000', 'sine', '660', 'vol', '0.5']
FAILURES = []


def fail(message):
    print('FAIL: ' + message)
    FAILURES.append(message)


def chunks(wav):
    """fmt fields, fact frames (or None) and the data bytes of a WAV."""
    at, fmt, fact, data = 12, None, None, b''
    while at + 8 <= len(wav):
        cid, size = wav[at:at + 4], struct.unpack('<I', wav[at + 4:at + 8])[0]
        body = wav[at + 8:at + 8 + size]
        if cid == b'fmt ':
            fmt = body
        elif cid == b'fact':
            fact = struct.unpack('<I', body[:4])[0]
        elif cid == b'data':
            data = body
        at += 8 + size + (size & 1)
    tag, channels, rate, _, block, _ = struct.unpack('<HHIIHH', fmt[:16])
    per_block = struct.unpack('<H', fmt[18:20])[0] if tag in (0x02, 0x11, 0x31) else 1
    return {'tag': tag, 'channels': channels, 'rate': rate, 'block': block, 'per_block': per_block,
            'fact': fact, 'data': data}


def samples(raw):
    return list(struct.unpack('<%dh' % (len(raw) // 2), raw[:len(raw) // 2 * 2]))


def game_file(pcm, channels, rate, frames):
    """The game file of 16-bit PCM: cut to 'frames', halved at 44100 Hz by
    whole frames (the odd ones kept)."""
    pcm = pcm[:frames * channels]
    if rate == 44100:
        pcm = [s for i, s in enumerate(pcm) if i // channels % 2 == 1]
    return b''.join(struct.pack('<h', s) for s in pcm)


def sox_decoding(path, info):
    raw = subprocess.run(['sox', '-D', path, '-t', 'raw', '-e', 'signed-integer', '-b', '16', '-L', '-'],
                         check=True, stdout=subprocess.PIPE).stdout
    frames = info['fact'] if info['fact'] else len(raw) // 2 // info['channels']
    return game_file(samples(raw), info['channels'], info['rate'], frames)


# MS ADPCM by its published algorithm, with the prediction of each sample
# ((s1 * c1 + s2 * c2) / 256) rounded either way: down (an arithmetic shift,
# as libsndfile and sox do) or toward zero (a division, as wine's codec does).
ADAPT = [230, 230, 230, 230, 307, 409, 512, 614, 768, 614, 512, 409, 307, 230, 230, 230]
COEF1 = [256, 512, 0, 192, 240, 460, 392]
COEF2 = [0, -256, 0, 64, 0, -208, -232]


def ms_adpcm(info, toward_zero):
    ch, block, per_block, data = info['channels'], info['block'], info['per_block'], info['data']
    out = []
    for at in range(0, len(data) - block + 1, block):
        b = data[at:at + block]
        pred = list(b[:ch])
        words = struct.unpack('<%dh' % (3 * ch), b[ch:7 * ch])
        delta, s1, s2 = list(words[:ch]), list(words[ch:2 * ch]), list(words[2 * ch:])
        out += s2 + s1
        nibbles = [n for byte in b[7 * ch:] for n in (byte >> 4, byte & 15)]
        for i, n in enumerate(nibbles[:(per_block - 2) * ch]):
            c = i % ch
            p = s1[c] * COEF1[pred[c]] + s2[c] * COEF2[pred[c]]
            p = int(p / 256) if toward_zero else p >> 8
            v = max(-32768, min(32767, p + (n - 16 if n >= 8 else n) * delta[c]))
            s2[c], s1[c] = s1[c], v
            delta[c] = max(16, ADAPT[n] * delta[c] >> 8)
            out.append(v)
    return out


def make(folder):
    pairs = []
    for name, _, stereo in ENCODINGS:
        shapes = [(8000, 1)] if not stereo else [(r, c) for r in (44100, 22050) for c in (1, 2)]
        for rate, ch in shapes:
            base = '%s-%d-%dch' % (name, rate, ch)
            # 0.3 s: the last block holds part of the sound, the rest is padding.
            part = os.path.join(folder, base + '-part.wav')
            subprocess.run(['sox', '-q', '-D', '-r', str(rate), '-c', str(ch), '-n', '-e', name, part, 'synth',
                            '%ds' % (rate * 3 // 10)] + SOUND, check=True)
            # As many whole blocks as fit in 0.3 s: the sound fills its last one
            # (for A-law and µ-law, whose block is one frame: an even length).
            per_block = chunks(open(part, 'rb').read())['per_block']
            frames = rate * 3 // 10 // per_block * per_block
            if per_block == 1:
                frames -= frames % 2
            whole = os.path.join(folder, base + '-whole.wav')
            subprocess.run(['sox', '-q', '-D', '-r', str(rate), '-c', str(ch), '-n', '-e', name, whole, 'synth',
                            '%ds' % frames] + SOUND, check=True)
            pairs += [base + '-part', base + '-whole']
    with open(os.path.join(folder, 'pairs.txt'), 'w') as f:
        f.write('\n'.join(pairs) + '\n')


def damage(folder):
    """From the WAVs of make: cut inside the last block, damaged blocks, no
    sound at all, and a header value out of reason."""
    def load(name):
        return bytearray(open(os.path.join(folder, name + '.wav'), 'rb').read())

    def save(name, wav):
        open(os.path.join(folder, name + '.wav'), 'wb').write(wav)

    for base in ('ima-adpcm-22050-2ch', 'ms-adpcm-22050-1ch', 'gsm-full-rate-8000-1ch', 'a-law-22050-2ch'):
        wav = load(base + '-part')
        save('cut-' + base, wav[:-101])
    for base, ch in (('ms-adpcm-22050-1ch', 1), ('ms-adpcm-44100-2ch', 2)):
        wav = load(base + '-part')
        block = chunks(bytes(wav))['block']
        at = wav.index(b'data') + 8 + 2 * block
        wav[at + ch - 1] = 7  # a predictor past the seven
        save('badpredictor-' + base, wav)
    wav = load('ima-adpcm-22050-2ch-part')
    block = chunks(bytes(wav))['block']
    at = wav.index(b'data') + 8 + 2 * block
    wav[at + 2], wav[at + 6] = 200, 89  # step indexes past the table's 89 steps
    save('badstep-ima-adpcm-22050-2ch', wav)
    for base in ('ima-adpcm-44100-1ch', 'gsm-full-rate-8000-1ch'):
        wav = load(base + '-part')
        at = wav.index(b'data') + 8
        wav[at:] = b'\xff' * (len(wav) - at)
        save('noise-' + base, wav)
    wav = load('ima-adpcm-22050-2ch-part')
    at = wav.index(b'data')
    wav = wav[:at + 8]
    struct.pack_into('<I', wav, at + 4, 0)  # no sound at all, and "fact" says so
    struct.pack_into('<I', wav, wav.index(b'fact') + 8, 0)
    save('empty-ima-adpcm-22050-2ch', wav)
    wav = load('ima-adpcm-22050-1ch-part')
    at = wav.index(b'fmt ') + 8
    struct.pack_into('<H', wav, at + 12, 1)  # a block smaller than its header
    save('block1-ima-adpcm-22050-1ch', wav)
    names = ['cut-ima-adpcm-22050-2ch', 'cut-ms-adpcm-22050-1ch', 'cut-gsm-full-rate-8000-1ch', 'cut-a-law-22050-2ch',
             'badpredictor-ms-adpcm-22050-1ch', 'badpredictor-ms-adpcm-44100-2ch', 'badstep-ima-adpcm-22050-2ch',
             'noise-ima-adpcm-44100-1ch', 'noise-gsm-full-rate-8000-1ch', 'empty-ima-adpcm-22050-2ch',
             'block1-ima-adpcm-22050-1ch']
    with open(os.path.join(folder, 'damaged.txt'), 'w') as f:
        f.write('\n'.join(names) + '\n')


def reference(name, info, win, linux):
    """The game file the Linux build makes, or sox's decoding without it."""
    if linux:
        return open(os.path.join(linux, name + '.16'), 'rb').read()
    return sox_decoding(os.path.join(win, name + '.wav'), info)


def check(win, linux):
    for name in open(os.path.join(win, 'pairs.txt')).read().split():
        info = chunks(open(os.path.join(win, name + '.wav'), 'rb').read())
        if not os.path.exists(os.path.join(win, name + '.16')):
            # wine from 7.x builds libgsm into its GSM 6.10 codec (msgsm32);
            # older ones load the system's libgsm.so.1 (Debian libgsm1) when
            # it is there and have no GSM codec without it.
            missing = ' (GSM 6.10: an older wine needs libgsm1)' if info['tag'] == 0x31 else ''
            fail('%s: no game file: the system has no codec for its encoding%s' % (name, missing))
            continue
        got = open(os.path.join(win, name + '.16'), 'rb').read()
        ref = reference(name, info, win, linux)
        if info['tag'] != 0x02:
            if got != ref:
                fail('%s differs from the %s' % (name, 'Linux program\'s' if linux else 'sox decoding'))
            continue
        # MS ADPCM: wine's codec rounds each prediction toward zero where
        # libsndfile (and sox) round it down. The two agree on predictors 0 to
        # 2, whose predictions are multiples of 256, and part where a block's
        # predictor is 3 to 6: from the first sample whose prediction is
        # negative and not a multiple of 256 the difference of 1 feeds into
        # every later sample of the block. So the Windows game file must be
        # exactly the decoding rounded toward zero, the Linux one exactly the
        # decoding rounded down.
        frames = info['fact'] or 1 << 40
        down = game_file(ms_adpcm(info, False), info['channels'], info['rate'], frames)
        zero = game_file(ms_adpcm(info, True), info['channels'], info['rate'], frames)
        if ref != down:
            fail('%s: the %s is not MS ADPCM rounded down' % (name, 'Linux program' if linux else 'sox decoding'))
        if got != zero:
            fail('%s: the Windows game file is not MS ADPCM rounded toward zero' % name)
        a, b = samples(got), samples(ref)
        differ = [abs(x - y) for x, y in zip(a, b) if x != y]
        print('%s: %d of %d samples differ from %s, by %d at most (rounding of the prediction)'
              % (name, len(differ), len(b), 'libsndfile\'s' if linux else 'sox\'s', max(differ, default=0)))


def check_damaged(win, err, linux):
    errors = open(err, encoding='utf-8', errors='replace').read()
    for name in open(os.path.join(win, 'damaged.txt')).read().split():
        info = chunks(open(os.path.join(win, name + '.wav'), 'rb').read())
        game = os.path.join(win, name + '.16')
        refused = (name + '.wav -> ') in errors and open(game, 'rb').read() == b'old game file'
        if name.startswith('badpredictor-') or name.startswith('block1-'):
            # A block that names a predictor no codec has (wine's would stop
            # there and give the sound so far as all of it), or a block that
            # cannot hold its own header: the encoding cannot be read.
            if not refused:
                fail('%s was not refused as unreadable' % name)
            continue
        if refused:
            fail('%s was refused' % name)
            continue
        got = open(game, 'rb').read()
        if name.startswith('empty-'):
            if got:
                fail('%s: a game file with sound in it' % name)
            continue
        if not linux:
            continue
        ref = open(os.path.join(linux, name + '.16'), 'rb').read()
        if name.startswith('cut-'):
            # Cut inside its last block: wine's codecs decode whole blocks only,
            # so the sound ends with the last whole one. libsndfile decodes the
            # cut block too, filling its missing bytes with those the block
            # before left in its buffer, up to where "fact" ends the sound.
            whole = len(info['data']) // info['block'] * info['per_block']
            frames = min(whole, info['fact'] or whole)
            if info['tag'] == 0x02:
                ref = game_file(ms_adpcm(info, True), info['channels'], info['rate'], frames)
            if got != ref[:frames * 2 * info['channels']]:
                fail('%s: not the Linux program\'s game file up to its last whole block' % name)
        elif got != ref:
            fail('%s differs from the Linux program\'s' % name)


if __name__ == '__main__':
    command = sys.argv[1]
    if command == 'make':
        make(sys.argv[2])
    elif command == 'damage':
        damage(sys.argv[2])
    elif command == 'check':
        check(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else '')
    elif command == 'check-damaged':
        check_damaged(sys.argv[2], sys.argv[3], sys.argv[4] if len(sys.argv) > 4 else '')
    sys.exit(1 if FAILURES else 0)
