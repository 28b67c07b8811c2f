"""End-to-end: an MP3 decoded to WAV through the real window, then that WAV
converted to a game sound file, as a user chains the two commands.

Usage: mp3_e2e.py EXECUTABLE_DIR WORKROOT
"""

import os
import sys

from desktop import Desktop, app_dir, fresh_dir, read_bytes
from sounds import make_mp3, reference_decode
from wavs import halved

CONVERT_MP3 = (170 + 60, 54 + 11)   # centre of "Convert Mp3 as Wav"
CONVERT_WAV = (54 + 119, 81 + 11)   # centre of "Convert Wav as GP3 / GP4 sound format"
SAVE_TITLE = r"^Select your Grand Prix 3\\Sound  Directory$"


def main():
    bindir, root = sys.argv[1], sys.argv[2]
    fresh_dir(root)
    appdir = app_dir(root, bindir)
    music = fresh_dir(os.path.join(root, "music"))
    game = fresh_dir(os.path.join(root, "gp4", "sound"))
    mp3 = make_mp3(os.path.join(music, "Lap Record.mp3"), 2.0)
    reference = reference_decode(mp3, os.path.join(root, "reference.wav"))
    decoded = os.path.join(music, "Lap Record.wav")

    with Desktop(os.path.join(appdir, "vantrel"), appdir, os.path.join(root, "artifacts")) as desk:
        window = desk.start_program()
        desk.click(window, *CONVERT_MP3)
        desk.answer_file_dialog("^Only Mp3's$", mp3)
        desk.wait_status("Saved as: " + decoded)
        desk.wait_until("the WAV beside the MP3 has mpg123's samples",
                        lambda: read_bytes(decoded) is not None and read_bytes(decoded)[44:] == reference[44:])
        desk.wait_until("all three buttons usable again",
                        lambda: all(desk.button_state(c) == (True, True) for c in (
                            "Convert Mp3 as Wav", "Play Wav /Mp3", "Convert Wav as GP3 / GP4 sound format")))

        target = os.path.join(game, "bsound07.16")
        desk.click(window, *CONVERT_WAV)
        desk.answer_file_dialog("^Select a Wav$", decoded)
        desk.answer_file_dialog(SAVE_TITLE, target)
        desk.wait_until("the decoded WAV became a halved game sound file",
                        lambda: read_bytes(target) == halved(read_bytes(decoded)))
        desk.wait_status("That's right")
        desk.screenshot("mp3-then-conversion")
    print("MP3 end-to-end run passed")


if __name__ == "__main__":
    main()
