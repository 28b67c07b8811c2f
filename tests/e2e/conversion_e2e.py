"""End-to-end: WAV files become game sound files through the real window.

Usage: conversion_e2e.py EXECUTABLE_DIR WORKROOT
"""

import os
import subprocess
import sys

from desktop import Desktop, E2EFailure, app_dir, fresh_dir, read_bytes
from wavs import data_chunk, ffmpeg_wav_bytes, halved, odd_frames, wav_bytes

CONVERT = (54 + 119, 81 + 11)  # centre of "Convert Wav as GP3 / GP4 sound format"
SAVE_TITLE = r"^Select your Grand Prix 3\\Sound  Directory$"


def convert(desk, window, wav_path, game_path, answer=None):
    desk.click(window, *CONVERT)
    desk.answer_file_dialog("^Select a Wav$", wav_path)
    desk.answer_file_dialog(SAVE_TITLE, game_path)
    if answer is not None:
        box = desk.wait_window("^Confirmation$")
        desk.focus_and_wait(box)
        desk.key(answer)
        desk.wait_gone("^Confirmation$")


def expect(condition, what):
    if not condition:
        raise E2EFailure(what)
    print("ok:", what)


def main():
    bindir, root = sys.argv[1], sys.argv[2]
    fresh_dir(root)
    workdir = app_dir(root, bindir)
    sounds = fresh_dir(os.path.join(root, "sounds"))
    game = fresh_dir(os.path.join(root, "gp3", "sound"))
    wavs = {}
    for rate in (22050, 44100, 48000):
        path = os.path.join(sounds, "tone%d.wav" % rate)
        with open(path, "wb") as f:
            f.write(wav_bytes(rate, 3001))
        wavs[rate] = path
    for rate in (22050, 44100):
        path = os.path.join(sounds, "ffmpeg%d.wav" % rate)
        with open(path, "wb") as f:
            f.write(ffmpeg_wav_bytes(rate, 2501))
        wavs["ffmpeg%d" % rate] = path
    # A 24-bit WAV as sox writes it, and sox's own reading of it as 16-bit
    # samples without dither.
    wav24 = os.path.join(sounds, "engine24.wav")
    subprocess.run(["sox", "-R", "-D", "-n", "-r", "44100", "-c", "2", "-b", "24", wav24, "synth", "0.5", "sine", "440",
                    "sine", "660", "vol", "0.5"], check=True)
    decoded24 = subprocess.run(["sox", "-D", wav24, "-t", "raw", "-e", "signed-integer", "-b", "16", "-L", "-"],
                               check=True, capture_output=True).stdout
    # MPEG audio inside a WAV (format tag 0x55): nothing here decodes it.
    mpeg_inside = bytearray(wav_bytes(22050, 500))
    mpeg_inside[20:22] = b"\x55\x00"
    mpeg_inside[32:36] = b"\x01\x00\x00\x00"
    wavs["mpeg"] = os.path.join(sounds, "mpeg-inside.wav")
    with open(wavs["mpeg"], "wb") as f:
        f.write(mpeg_inside)
    # The halved data goes to the system's temporary folder, in a folder of its own.
    tmp = fresh_dir(os.path.join(root, "tmp"))
    os.environ["TMPDIR"] = tmp
    with Desktop(os.path.join(workdir, "vantrel"), workdir, os.path.join(root, "artifacts")) as desk:
        window = desk.start_program()
        expect(desk.window_geometry(window) == (346, 155), "the window's client area is 346 x 155")
        hints = desk.size_hints(window)
        expect("minimum size: 346 by 155" in hints and "maximum size: 346 by 155" in hints,
               "the window cannot be resized")
        # The accessibility tree fills in shortly after the window maps.
        desk.wait_until("the three buttons carry their texts and are usable",
                        lambda: all(desk.button_state(c) == (True, True) for c in (
                            "Convert Mp3 as Wav", "Play Wav /Mp3", "Convert Wav as GP3 / GP4 sound format")))

        target = os.path.join(game, "bsound01.16")
        convert(desk, window, wavs[22050], target)
        desk.wait_until("22050 Hz: the game file is the WAV less its 44-byte header",
                        lambda: read_bytes(target) == read_bytes(wavs[22050])[44:])
        desk.wait_status("That's right")
        expect(not os.path.exists(target + ".bak"), "22050 Hz: no backup of a file that did not exist")

        target = os.path.join(game, "tk01.st1")
        with open(target, "wb") as f:
            f.write(b"original game sound")
        convert(desk, window, wavs[44100], target)
        desk.wait_until("44100 Hz: the game file is the halved data",
                        lambda: read_bytes(target) == halved(read_bytes(wavs[44100])))
        desk.wait_status("That's right")
        expect(read_bytes(target + ".bak") == b"original game sound", "44100 Hz: the backup keeps the old file")
        expect(not [n for n in os.listdir(tmp) if n.startswith("vantrel-")], "44100 Hz: the halved file is gone")

        target = os.path.join(game, "bsound78.16")
        convert(desk, window, wavs["ffmpeg22050"], target)
        desk.wait_until("ffmpeg's layout, 22050 Hz: the game file is the data chunk and nothing else",
                        lambda: read_bytes(target) == data_chunk(read_bytes(wavs["ffmpeg22050"])))
        desk.wait_status("That's right")

        target = os.path.join(game, "tk78.st1")
        convert(desk, window, wavs["ffmpeg44100"], target)
        desk.wait_until("ffmpeg's layout, 44100 Hz: the game file is the halved data chunk",
                        lambda: read_bytes(target) == odd_frames(data_chunk(read_bytes(wavs["ffmpeg44100"]))))
        desk.wait_status("That's right")

        target = os.path.join(game, "bsound24.16")
        convert(desk, window, wav24, target)
        desk.wait_until("24-bit, 44100 Hz: the game file is sox's 16-bit decoding, every other frame",
                        lambda: read_bytes(target) == odd_frames(decoded24))
        desk.wait_status("That's right")
        expect(not [n for n in os.listdir(tmp) if n.startswith("vantrel-")], "24-bit: the decoded file is gone")

        target = os.path.join(game, "bsound55.16")
        with open(target, "wb") as f:
            f.write(b"original game sound")
        convert(desk, window, wavs["mpeg"], target)
        box = desk.wait_window("^Korlit$")
        desk.wait_until("an encoding nothing decodes: the message says so",
                        lambda: any("The Wav file's sound encoding can't be read" in t and "Nothing changed!" in t
                                    for t in desk.label_texts()))
        desk.screenshot("encoding-refused")
        desk.focus_and_wait(box)
        desk.key("Return")
        desk.wait_gone("^Korlit$")
        expect(read_bytes(target) == b"original game sound" and not os.path.exists(target + ".bak"),
               "an encoding nothing decodes: the game file is as it was, no backup")

        target = os.path.join(game, "bsound48.16")
        convert(desk, window, wavs[48000], target, answer="n")
        desk.wait_gone("^Confirmation$")
        expect(not os.path.exists(target), "48000 Hz, No: nothing written")

        convert(desk, window, wavs[48000], target, answer="Return")
        desk.wait_until("48000 Hz, Yes: the data is copied unchanged",
                        lambda: read_bytes(target) == read_bytes(wavs[48000])[44:])
        desk.wait_status("That's right")

        settings = desk.settings_file()
        ini = open(settings).read()
        expect("[Directory]" in ini and "Wav=" + sounds + "/" in ini and "Gp3=" + game + "/" in ini,
               "the settings file remembers both folders")
        expect(not os.path.exists(os.path.join(workdir, "S16c.ini")), "no settings file in the working folder")
        desk.screenshot("conversion-done")
        desk.quit_program()

        # Started again from another folder, the program reads the same file:
        # choosing the remembered folders again writes nothing.
        elsewhere = fresh_dir(os.path.join(root, "elsewhere"))
        before = os.stat(settings)
        window = desk.start_program(cwd=elsewhere)
        target = os.path.join(game, "bsound02.16")
        convert(desk, window, wavs[22050], target)
        desk.wait_until("second run: the game file is written", lambda: read_bytes(target) is not None)
        desk.wait_status("That's right")
        after = os.stat(settings)
        expect((after.st_ino, after.st_mtime_ns) == (before.st_ino, before.st_mtime_ns),
               "second run: the remembered folders were read, nothing rewritten")
        others = fresh_dir(os.path.join(root, "other sounds"))
        other_wav = os.path.join(others, "tone.wav")
        with open(other_wav, "wb") as f:
            f.write(wav_bytes(22050, 100))
        convert(desk, window, other_wav, os.path.join(game, "bsound03.16"))
        desk.wait_status("That's right")
        desk.wait_until("second run: the same settings file remembers the new WAV folder",
                        lambda: "Wav=" + others + "/" in open(settings).read())
        for folder in (workdir, elsewhere):
            expect(not os.path.exists(os.path.join(folder, "S16c.ini")), "no settings file in " + folder)
    print("conversion end-to-end run passed")


if __name__ == "__main__":
    main()
