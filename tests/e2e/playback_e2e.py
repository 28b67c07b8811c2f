"""End-to-end: hearing files through the real window. A short WAV played to
its end with the Play button; an MP3 played and stopped with the small stop
button. Sound goes to the test's PulseAudio null sink (PULSE_SERVER).

Usage: playback_e2e.py EXECUTABLE_DIR WORKROOT
"""

import os
import subprocess
import sys

from desktop import Desktop, app_dir, fresh_dir
from sounds import make_mp3, make_tone_wav

PLAY_WAV_MP3 = (54 + 51, 54 + 11)   # centre of "Play Wav /Mp3"
PLAY_CELL = (7 + 14, 81 + 11)        # MediaPlayer1's Play button
SMALL_STOP = (8 + 12, 81 + 11)       # BitBtn6
IDLE = {"Convert Mp3 as Wav": (True, True), "Play Wav /Mp3": (True, True),
        "Convert Wav as GP3 / GP4 sound format": (True, True)}


def sink_inputs():
    out = subprocess.run(["pactl", "list", "short", "sink-inputs"], capture_output=True, text=True).stdout
    return [line for line in out.splitlines() if line.strip()]


def main():
    bindir, root = sys.argv[1], sys.argv[2]
    fresh_dir(root)
    appdir = app_dir(root, bindir)
    sounds = fresh_dir(os.path.join(root, "sounds"))
    wav = make_tone_wav(os.path.join(sounds, "horn.WAV"), 0.8)
    mp3 = make_mp3(os.path.join(sounds, "engine.mp3"), 30)

    with Desktop(os.path.join(appdir, "vantrel"), appdir, os.path.join(root, "artifacts")) as desk:
        window = desk.start_program()
        idle = lambda: all(desk.button_state(c) == s for c, s in IDLE.items())

        desk.click(window, *PLAY_WAV_MP3)
        desk.answer_file_dialog("^Wav / Mp3 Player$", wav)
        desk.wait_until("a WAV shows the media player in place of the conversion button",
                        lambda: desk.button_state("Convert Wav as GP3 / GP4 sound format")[0] is False)
        desk.screenshot("wav-ready")
        desk.click(window, *PLAY_CELL)
        desk.wait_status("Playing: horn.WAV")
        desk.wait_status("That's right", timeout=30)
        desk.wait_until("the window is idle again after the WAV played to its end", idle)

        desk.click(window, *PLAY_WAV_MP3)
        desk.answer_file_dialog("^Wav / Mp3 Player$", mp3)
        desk.wait_status("Playing: engine.mp3")
        desk.wait_until("the MP3 reaches the sound server", lambda: len(sink_inputs()) > 0, timeout=20)
        desk.screenshot("mp3-playing")
        desk.click(window, *SMALL_STOP)
        desk.wait_status("")
        desk.wait_until("the MP3 left the sound server", lambda: len(sink_inputs()) == 0, timeout=20)
        desk.wait_until("the window is idle again after the small stop button", idle)
    print("playback end-to-end run passed")


if __name__ == "__main__":
    main()
