"""End-to-end: started without its decoder library, the program says so in
the error box before the window, then opens the window all the same and its
commands still work with their settings.

Usage: nolibrary_e2e.py EXECUTABLE WORKROOT
"""

import os
import sys

from desktop import Desktop, E2EFailure, app_dir, fresh_dir
from wavs import wav_bytes


def main():
    exe, root = sys.argv[1], sys.argv[2]
    fresh_dir(root)
    appdir = app_dir(root, os.path.dirname(exe), with_library=False)
    with Desktop(os.path.join(appdir, "vantrel"), appdir, os.path.join(root, "artifacts")) as desk:
        desk.start_program_without_waiting()
        box = desk.wait_window("^Korlit$")
        if desk.find_windows("^Vantrel  V2\\.0$"):
            raise E2EFailure("the window showed before the error box")
        desk.screenshot("library-missing")
        desk.focus_and_wait(box)
        desk.key("Return")
        window = desk.wait_window("^Vantrel  V2\\.0$")
        # The MP3 command checks for the library itself and says it is missing.
        desk.click(window, 170 + 60, 54 + 11)
        note = desk.wait_window("^Korlit$")
        desk.screenshot("mpegdll-not-found")
        desk.focus_and_wait(note)
        desk.key("Return")
        desk.wait_gone("^Korlit$")
        # The conversion still has its settings object.
        wav = os.path.join(root, "short.wav")
        with open(wav, "wb") as f:
            f.write(wav_bytes(22050, 100))
        target = os.path.join(root, "bsound02.16")
        desk.click(window, 54 + 119, 81 + 11)
        desk.answer_file_dialog("^Select a Wav$", wav)
        desk.answer_file_dialog(r"^Select your Grand Prix 3\\Sound  Directory$", target)
        desk.wait_status("That's right")
        settings = desk.settings_file()
        desk.wait_until("the settings file remembers the folders",
                        lambda: os.path.exists(settings) and "Gp3=" + root + "/" in open(settings).read())
        if os.path.exists(os.path.join(appdir, "S16c.ini")):
            raise E2EFailure("a settings file was written into the working folder")
    print("no-library end-to-end run passed")


if __name__ == "__main__":
    main()
