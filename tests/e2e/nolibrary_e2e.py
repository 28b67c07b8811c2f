"""End-to-end: started without its decoder library, the program says so in
the error box before the window, then opens the window all the same and its
commands still work with their settings.

Usage: nolibrary_e2e.py EXECUTABLE WORKROOT
"""

import os
import shutil
import sys

from desktop import Desktop, E2EFailure, fresh_dir


def main():
    exe, root = sys.argv[1], sys.argv[2]
    fresh_dir(root)
    appdir = fresh_dir(os.path.join(root, "app"))
    shutil.copy2(exe, appdir)
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
    print("no-library end-to-end run passed")


if __name__ == "__main__":
    main()
