"""Sound files made for the end-to-end runs with sox and lame."""

import os
import subprocess


def make_tone_wav(path, seconds, rate=44100):
    subprocess.run(["sox", "-q", "-n", "-r", str(rate), "-c", "2", "-b", "16", path, "synth", str(seconds),
                    "sine", "440", "vol", "0.5"], check=True)
    return path


def make_mp3(path, seconds):
    wav = path + ".src.wav"
    make_tone_wav(wav, seconds)
    subprocess.run(["lame", "--quiet", "-b", "128", wav, path], check=True)
    os.remove(wav)
    return path


def reference_decode(mp3, out_wav):
    subprocess.run(["mpg123", "-q", "-w", out_wav, mp3], check=True)
    with open(out_wav, "rb") as f:
        return f.read()
