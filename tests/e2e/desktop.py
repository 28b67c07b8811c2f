"""Drives the real Vantrel window on a private X server, as a user would.

A Desktop starts Xvfb (-displayfd: the server picks a free display, so
another X server on the machine never clashes) and an accessibility bus,
launches the program as a direct child in a working directory of the test's,
with its settings in a folder of the test's (XDG_CONFIG_HOME), and offers
the user's gestures: find a window by its title, click at a point of a
window, type text, press keys, and read texts shown by the program through
the accessibility tree. Every wait polls with a time limit; a failure saves
a screenshot of the whole screen next to the working directory.
"""

import os
import shutil
import subprocess
import time

import pyatspi


class E2EFailure(AssertionError):
    pass


class Desktop:
    def __init__(self, executable, workdir, artifacts, config_home=None):
        self.executable = executable
        self.workdir = workdir
        self.artifacts = artifacts
        self.config_home = config_home or os.path.join(os.path.dirname(artifacts), "config")
        self.xvfb = None
        self.bus = None
        self.app = None
        self.env = None

    # --- life ---------------------------------------------------------------
    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk or time.monotonic() > deadline:
                raise E2EFailure("Xvfb did not start")
            number += chunk
        os.close(read_fd)
        env = dict(os.environ)
        env["DISPLAY"] = ":" + number.decode().strip()
        env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        env["XDG_CONFIG_HOME"] = self.config_home
        env.pop("QT_QPA_PLATFORM", None)
        if env.get("VANTREL_E2E_LIBRARY_FROM_APP_DIR"):
            env["LD_LIBRARY_PATH"] = self.workdir
        os.environ["DISPLAY"] = env["DISPLAY"]
        self.env = env
        self.bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.3)
        return self

    def __exit__(self, kind, value, trace):
        if kind is not None:
            self.screenshot("failure")
        self.quit_program()
        for proc in (self.bus, self.xvfb):
            if proc and proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
        return False

    def settings_file(self):
        """The settings file the program reads and writes."""
        return os.path.join(self.config_home, "vantrel", "S16c.ini")

    def start_program_without_waiting(self, cwd=None):
        """Starts the program in the working directory (default: workdir)."""
        cwd = cwd or self.workdir
        os.makedirs(cwd, exist_ok=True)
        os.makedirs(self.artifacts, exist_ok=True)
        self.log = open(os.path.join(self.artifacts, "program.log"), "ab")
        self.app = subprocess.Popen([self.executable], cwd=cwd, env=self.env,
                                    stdout=self.log, stderr=self.log)

    def start_program(self, cwd=None):
        self.start_program_without_waiting(cwd)
        return self.wait_window("^Vantrel  V2\\.0$")

    def quit_program(self):
        if self.app and self.app.poll() is None:
            self.app.terminate()
            try:
                self.app.wait(10)
            except subprocess.TimeoutExpired:
                self.app.kill()

    # --- seeing ---------------------------------------------------------------
    def screenshot(self, name):
        os.makedirs(self.artifacts, exist_ok=True)
        path = os.path.join(self.artifacts, name + ".png")
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", path],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        print("screenshot saved:", path)
        return path

    def find_windows(self, title_regex):
        out = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_regex],
                             env=self.env, capture_output=True, text=True).stdout
        return [int(w) for w in out.split()]

    def wait_window(self, title_regex, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.check_alive()
            found = self.find_windows(title_regex)
            if found:
                return found[-1]
            time.sleep(0.05)
        raise E2EFailure("no window titled %r appeared" % title_regex)

    def wait_gone(self, title_regex, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if not self.find_windows(title_regex):
                return
            time.sleep(0.05)
        raise E2EFailure("window %r did not close" % title_regex)

    def window_geometry(self, wid):
        """(width, height) of the window's client area."""
        out = subprocess.run(["xwininfo", "-id", str(wid)], env=self.env, capture_output=True, text=True).stdout
        values = dict(line.strip().split(":", 1) for line in out.splitlines() if ":" in line)
        return int(values["Width"]), int(values["Height"])

    def size_hints(self, wid):
        """The window's WM_NORMAL_HINTS as xprop prints them."""
        return subprocess.run(["xprop", "-id", str(wid), "WM_NORMAL_HINTS"], env=self.env, capture_output=True,
                              text=True).stdout

    def check_alive(self):
        if self.app is not None and self.app.poll() is not None:
            raise E2EFailure("the program ended with code %s" % self.app.returncode)

    def _accessible_app(self):
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            child = desktop.getChildAtIndex(i)
            if child is not None and child.name == "vantrel":
                return child
        return None

    def _find(self, node, predicate, depth=0):
        if node is None or depth > 12:
            return None
        try:
            if predicate(node):
                return node
            for i in range(node.childCount):
                hit = self._find(node.getChildAtIndex(i), predicate, depth + 1)
                if hit is not None:
                    return hit
        except Exception:
            return None
        return None

    def status_text(self):
        """The status bar's text as the accessibility tree shows it."""
        app = self._accessible_app()
        bar = self._find(app, lambda n: n.getRoleName() == "status bar")
        if bar is None:
            raise E2EFailure("the status bar is not in the accessibility tree")
        label = self._find(bar, lambda n: n.getRoleName() == "label")
        return label.name if label is not None else ""

    def label_texts(self):
        """The texts of every label the program shows, its dialogs' included."""
        texts = []
        app = self._accessible_app()

        def collect(node):
            if node.getRoleName() == "label" and node.name:
                texts.append(node.name)
            return False

        self._find(app, collect)
        return texts

    def wait_status(self, expected, timeout=30):
        deadline = time.monotonic() + timeout
        seen = None
        while time.monotonic() < deadline:
            self.check_alive()
            try:
                seen = self.status_text()
            except E2EFailure:
                seen = None
            if seen == expected:
                return
            time.sleep(0.1)
        raise E2EFailure("status bar shows %r, expected %r" % (seen, expected))

    def wait_until(self, what, predicate, timeout=30):
        """Polls until predicate() is true; fails naming what was awaited."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.check_alive()
            if predicate():
                print("ok:", what)
                return
            time.sleep(0.1)
        raise E2EFailure("timed out waiting for: " + what)

    def button_state(self, caption):
        """(visible, enabled) of the push button with this caption."""
        app = self._accessible_app()
        button = self._find(app, lambda n: n.getRoleName() == "push button" and n.name == caption)
        if button is None:
            return (False, False)
        states = button.getState()
        return (states.contains(pyatspi.STATE_SHOWING), states.contains(pyatspi.STATE_ENABLED))

    # --- doing ----------------------------------------------------------------
    def focus(self, wid):
        # No window manager runs here: focus is given directly.
        subprocess.run(["xdotool", "windowfocus", "--sync", str(wid)], env=self.env, check=True)

    def focus_and_wait(self, wid, timeout=10):
        """Gives the window the keyboard focus and waits until it has it."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.focus(wid)
            out = subprocess.run(["xdotool", "getwindowfocus"], env=self.env, capture_output=True,
                                 text=True).stdout.strip()
            if out == str(wid):
                return
            time.sleep(0.05)
        raise E2EFailure("window %d did not take the focus" % wid)

    def click(self, wid, x, y):
        self.focus(wid)
        # A pointer already at the target would make --sync wait for a motion
        # that never comes: move it off the window first.
        subprocess.run(["xdotool", "mousemove", "--sync", "0", "0"], env=self.env, check=True)
        subprocess.run(["xdotool", "mousemove", "--window", str(wid), "--sync", str(x), str(y)],
                       env=self.env, check=True)
        subprocess.run(["xdotool", "click", "1"], env=self.env, check=True)

    def type_text(self, text):
        subprocess.run(["xdotool", "type", "--delay", "15", text], env=self.env, check=True)

    def key(self, *keys):
        subprocess.run(["xdotool", "key", "--delay", "30"] + list(keys), env=self.env, check=True)

    def answer_file_dialog(self, title_regex, path):
        """Types a full path into the file dialog with this title and accepts it."""
        wid = self.wait_window(title_regex)
        self.focus_and_wait(wid)
        self.key("ctrl+a")
        self.type_text(path)
        self.key("Return")
        self.wait_gone(title_regex)


def read_bytes(path):
    """The file's bytes, or None while it does not exist."""
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return None


def app_dir(root, bindir, with_library=True):
    """A new application directory holding the program (and, unless told
    otherwise, its decoder library beside it, as in the build tree)."""
    appdir = fresh_dir(os.path.join(root, "app"))
    shutil.copy2(os.path.join(bindir, "vantrel"), appdir)
    if with_library:
        shutil.copy2(os.path.join(bindir, "libmpegdll.so"), appdir)
    return appdir


def fresh_dir(path):
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path
