"""Runs the component under Wine: a prefix with a virtual desktop on an Xvfb
display, both script hosts, the component's own test tools, real mouse and
keyboard input through xdotool and screenshots through ImageMagick."""

import os
import re
import shutil
import subprocess
import tempfile
import time
from pathlib import Path

WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
DESKTOP = (1024, 768)
MARLETT = Path("/usr/share/wine/fonts/marlett.ttf")  # from fonts-wine


def windows_path(path):
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# Written by scripts/install-deps.sh when 32-bit Wine could not be installed.
WINE32_SKIP_NOTE = Path("/var/lib/brivet-wine32-skipped")


def why_no_32bit():
    """None where 32-bit Wine runs here; otherwise why it does not."""
    try:
        subprocess.run([WINE32, "--version"], capture_output=True, timeout=30)
        return None
    except FileNotFoundError:
        if WINE32_SKIP_NOTE.exists():
            return WINE32_SKIP_NOTE.read_text().strip()
        return f"32-bit Wine is not installed ({WINE32} is missing)"
    except OSError as e:
        return f"this kernel cannot run 32-bit programs, which 32-bit Wine needs ({e.strerror})"


def can_run_32bit():
    return why_no_32bit() is None


def until(look, done, timeout=10, pause=0.0):
    """Looks again (after `pause` seconds) until `done` holds of what it sees,
    or the time is up; answers the last look."""
    deadline = time.time() + timeout
    seen = look()
    while not done(seen) and time.time() < deadline:
        time.sleep(pause)
        seen = look()
    return seen


class Display:
    """A private Xvfb display, as large as the virtual desktop."""

    def __init__(self):
        self.number = None
        self.process = None

    def __enter__(self):
        # Xvfb picks a free display itself and writes its number once it
        # listens: two runs started at once must not share one display (the
        # second desktop would cover the first and take its input).
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{DESKTOP[0]}x{DESKTOP[1]}x24",
             "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, pass_fds=(write_end,))
        os.close(write_end)
        with os.fdopen(read_end) as reply:
            number = reply.readline().strip()
        if not number.isdigit():
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.number = int(number)
        return self

    @property
    def name(self):
        return f":{self.number}"

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()


class Wine:
    """One Wine prefix whose programs all live in a virtual desktop."""

    def __init__(self, prefix, display):
        self.prefix = Path(prefix)
        self.env = dict(os.environ, WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                        DISPLAY=display.name, WINEDLLOVERRIDES="mscoree,mshtml=")
        self.env.pop("WAYLAND_DISPLAY", None)

    def loader(self, bits):
        return WINE64 if bits == 64 else WINE32

    def system_dir(self, bits):
        return "C:\\windows\\system32" if bits == 64 else "C:\\windows\\syswow64"

    # What Wine's loader prints when the program it was asked for never started
    # (seen once in many thousand starts, on a cmd that starts fine otherwise).
    NOT_STARTED = "Application could not be started"

    def run(self, bits, args, timeout=120, check=False):
        for _ in range(3):
            result = subprocess.run([self.loader(bits)] + [str(a) for a in args], env=self.env,
                                    capture_output=True, text=True, errors="replace", timeout=timeout)
            if result.returncode == 0 or self.NOT_STARTED not in result.stdout + result.stderr:
                break
        if check and result.returncode != 0:
            raise RuntimeError(f"{args} failed ({result.returncode}): {result.stdout}{result.stderr}")
        return result

    def start(self, bits, args, cwd=None, stdin=None, **extra_env):
        """Starts a program; `cwd` (a folder inside the prefix's drive_c, say)
        becomes its current folder, where a chooser opens."""
        return subprocess.Popen([self.loader(bits)] + [str(a) for a in args], env=dict(self.env, **extra_env),
                                stdin=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                                errors="replace", cwd=cwd)

    def prepare(self):
        self.shutdown()  # nothing left over from an earlier run
        fresh = not (self.prefix / "system.reg").exists()
        if fresh:
            self.prefix.mkdir(parents=True, exist_ok=True)
            self.run(64, ["wineboot", "-i"], timeout=300)
        # The symbol font of the title-bar buttons: Wine does not load the one
        # fonts-wine installs in its data folder, and without it the close box
        # is drawn as the letter "r".
        fonts = self.prefix / "drive_c/windows/Fonts"
        if not (fonts / "marlett.ttf").exists() and MARLETT.exists():
            fonts.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(MARLETT, fonts / "marlett.ttf")
        # Every window in one desktop window that draws title bars and close boxes.
        self.run(64, ["reg", "add", "HKCU\\Software\\Wine\\Explorer", "/v", "Desktop", "/d", "Default", "/f"])
        self.run(64, ["reg", "add", "HKCU\\Software\\Wine\\Explorer\\Desktops", "/v", "Default",
                      "/d", f"{DESKTOP[0]}x{DESKTOP[1]}", "/f"])
        self.wait_idle()

    def wait_idle(self):
        try:
            subprocess.run(["/usr/bin/wineserver", "-w"], env=self.env, timeout=60)
        except subprocess.TimeoutExpired:
            self.shutdown()

    def shutdown(self):
        subprocess.run(["/usr/bin/wineserver", "-k"], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def regsvr32(self, bits, *args):
        return self.run(bits, [self.system_dir(bits) + "\\regsvr32.exe", "/s"] + list(args))

    def cscript_command(self, bits, script):
        return [self.system_dir(bits) + "\\cscript.exe", "//nologo", windows_path(script)]


class Screen:
    """Real input and screenshots on the display."""

    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display.name)
        self.last_click = (0, 0)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=30)

    # The X server delivers events in order and the form's thread handles
    # them in order, so no pause is needed between them: a key after a Tab
    # reaches the control the Tab focused.
    # (`mousemove --sync` waits up to 15 s when the pointer is already there.)
    def click(self, x, y):
        self.last_click = (x, y)
        self.xdotool("mousemove", x, y, "click", "1")

    def key(self, *keys):
        self.xdotool("key", *keys)

    def type(self, text):
        self.xdotool("type", "--delay", "40", text)

    def paste(self, text, probe=None):
        """Puts text on the X clipboard and presses Ctrl+V: keys for characters
        outside the keyboard map are lost (see docs/wine-notes.md). With a
        probe, Ctrl+V waits until Wine's clipboard holds the text."""
        subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=text.encode("utf-8"),
                       env=self.env, check=True, timeout=30,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if probe and not probe.clipboard(text):
            raise Failure(f"Wine's clipboard never held {text!r}")
        self.key("ctrl+v")

    def screenshot(self, path, crop=None):
        Path(path).parent.mkdir(parents=True, exist_ok=True)
        args = ["import", "-window", "root"]
        if crop:
            left, top, right, bottom = crop
            args += ["-crop", f"{right - left}x{bottom - top}+{left}+{top}", "+repage"]
        subprocess.run(args + [str(path)], env=self.env, check=True, timeout=60)

    def pixels(self, crop):
        """The RGB pixels of a screen rectangle, row by row."""
        left, top, right, bottom = crop
        raw = subprocess.run(["import", "-window", "root", "-crop",
                              f"{right - left}x{bottom - top}+{left}+{top}", "+repage", "-depth", "8", "rgb:-"],
                             env=self.env, check=True, capture_output=True, timeout=60).stdout
        width = right - left
        return [[tuple(raw[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
                for y in range(bottom - top)]


class Probe:
    """The component's window probe, run inside the same desktop."""

    def __init__(self, wine, exe):
        self.wine = wine
        self.exe = exe

    def keep_desktop(self):
        """Keeps one process on the desktop for the whole run: programs that
        start together while no desktop exists can hang creating it."""
        self.keeper = self.wine.start(64, [self.exe, "wait", "brivet desktop keeper", 24 * 3600 * 1000])
        self.wait("no such window", 2000)

    def _run(self, *args, timeout=60):
        try:
            result = self.wine.run(64, [self.exe] + list(args), timeout=timeout)
        except subprocess.TimeoutExpired:
            return 1, []
        return result.returncode, result.stdout.splitlines()

    def wait(self, title, timeout_ms=45000):
        rc, lines = self._run("wait", title, timeout_ms, timeout=timeout_ms / 1000 + 30)
        if rc != 0 or not lines:
            return None
        return Window(lines[0].split())

    def ready(self, title, timeout_ms=45000):
        """Waits until the window is in the foreground and laid out."""
        rc, lines = self._run("ready", title, timeout_ms, timeout=timeout_ms / 1000 + 30)
        if rc != 0 or not lines:
            return None
        return Window(lines[0].split())

    def focus(self, title, control_id, timeout_ms=10000):
        """Waits until the control has the focus; answers the focused id."""
        _, lines = self._run("focus", title, control_id, timeout_ms, timeout=timeout_ms / 1000 + 30)
        return int(lines[0].split()[1]) if lines else None
    def focused(self, title, timeout_ms=20000):
        """Waits until a control of the window has the keyboard focus."""
        rc, _ = self._run("focused", title, timeout_ms, timeout=timeout_ms / 1000 + 30)
        return rc == 0

    def rects(self, title):
        rc, lines = self._run("rects", title)
        if rc != 0 or not lines:
            return None
        window = Window(lines[0].split())
        for line in lines[1:]:
            f = line.split()
            if len(f) == 6:
                window.children[int(f[0])] = (f[1] == "1", tuple(int(v) for v in f[2:]))
        return window

    def texts(self, title):
        """For each visible button and label with a text: the room the text
        needs in the form's font and the room it has, in pixels, by id."""
        rc, lines = self._run("texts", title)
        if rc != 0:
            return None
        return {int(f[0]): tuple(int(v) for v in f[1:]) for f in (l.split() for l in lines) if len(f) == 5}

    def accessible(self, title):
        """What the accessible objects say about the window ("window") and each
        visible control (by id): (role number, name, keyboard shortcut, window
        text, and the first three read late-bound as "role|name|shortcut"); "-"
        for no name or shortcut."""
        result = self.wine.run(64, [self.exe.parent / "acc_names.exe", title], timeout=60)
        if result.returncode != 0:
            return None
        seen = {}
        for line in result.stdout.replace("\r", "").splitlines():
            f = line.split("\t")
            if len(f) == 6:
                seen[f[0] if f[0] == "window" else int(f[0])] = (int(f[1]), f[2], f[3], f[4], f[5])
        return seen

    def describe_point(self, x, y):
        """A line on what is at a screen point and which window has the
        foreground and the focus, for a failure report."""
        _, lines = self._run("at", x, y)
        return lines[0] if lines else "(the probe saw nothing)"

    def clipboard(self, text, timeout_ms=20000):
        """Waits until Wine's clipboard holds the text."""
        rc, _ = self._run("clipboard", text, timeout_ms, timeout=timeout_ms / 1000 + 30)
        return rc == 0

    def gone(self, title, timeout_ms=45000):
        rc, _ = self._run("gone", title, timeout_ms, timeout=timeout_ms / 1000 + 30)
        return rc == 0


class Window:
    """A top-level window as the probe reports it, in screen pixels."""

    def __init__(self, fields):
        self.rect = tuple(int(v) for v in fields[1:5])
        self.client_origin = (int(fields[5]), int(fields[6]))
        self.children = {}

    def close_box(self):
        left, top, right, _ = self.rect
        caption = self.client_origin[1] - top
        return right - caption // 2 - 2, top + caption // 2

    def child_centre(self, control_id):
        _, (l, t, r, b) = self.children[control_id]
        return self.client_origin[0] + (l + r) // 2, self.client_origin[1] + (t + b) // 2

    def child_screen_rect(self, control_id):
        _, (l, t, r, b) = self.children[control_id]
        ox, oy = self.client_origin
        return ox + l, oy + t, ox + r, oy + b


class ScriptRun:
    """A VBScript running in the background, its output collected at the end."""

    def __init__(self, wine, bits, script, cwd=None):
        self.process = wine.start(bits, wine.cscript_command(bits, script), cwd)

    def finish(self, timeout=60):
        try:
            out, err = self.process.communicate(timeout=timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            out, err = self.process.communicate()
            out += "\n(script timed out)"
        return out.replace("\r", "")


class Failure(Exception):
    """A case whose expectation did not hold."""


class Skipped(Exception):
    """A case this machine cannot run; the message says why."""


def check_script_output(output):
    """The lines a test script printed; it must have reached its last line
    (the host swallows run-time errors) and reported no failed check."""
    lines = [l for l in output.splitlines() if l.strip()]
    failed = [l for l in lines if l.startswith("FAIL")]
    if not lines or not lines[-1].startswith("END"):
        raise Failure("the script did not reach its end:\n" + output[-2000:])
    if failed:
        raise Failure("\n".join(failed))
    # The closing count must agree: a check that failed without its line
    # (or a script that counts its own way) still fails the case.
    for line in lines:
        count = re.fullmatch(r"(\d+) passed, (\d+) failed", line.strip())
        if count and int(count.group(2)) != 0:
            raise Failure(line)
    return lines
