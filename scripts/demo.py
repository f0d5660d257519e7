#!/usr/bin/env python3
"""Shows the demo dialog under Wine and prints everything Response answered.
On a display the user answers it; with no display an Xvfb display is started,
a name is typed and an entry picked, a screenshot is written and the first
button pressed."""

import os
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests/wine"))
import harness  # noqa: E402
from dialog_cases import BUT0  # noqa: E402
from example_cases import fill_demo  # noqa: E402

BUILD = ROOT / "build/win64"
SCRIPT = ROOT / "examples/demo.vbs"
SHOT = ROOT / "build/demo.png"
TITLE = "Brivet demo"


def display_works():
    if not os.environ.get("DISPLAY"):
        return False
    return subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0


class UserDisplay:
    name = os.environ.get("DISPLAY", "")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        pass


def main():
    interactive = display_works()
    with (UserDisplay() if interactive else harness.Display()) as display:
        wine = harness.Wine(ROOT / "build/wine-prefix", display)
        wine.prepare()
        if wine.regsvr32(64, harness.windows_path(BUILD / "brivet.dll")).returncode != 0:
            print("registering brivet.dll failed")
            return 1
        probe = harness.Probe(wine, BUILD / "tests/wine/tools/probe.exe")
        if not interactive:
            probe.keep_desktop()
        run = harness.ScriptRun(wine, 64, SCRIPT)
        if interactive:
            print("The dialog is on your display; answer it to finish.")
        else:
            screen = harness.Screen(display)
            window = probe.ready(TITLE) and probe.focused(TITLE) and probe.rects(TITLE)
            if not window:
                print("the demo window did not appear")
                print(run.finish(10))
                return 1
            fill_demo(screen, window)
            screen.screenshot(SHOT, window.rect)
            print(f"No display: the dialog ran on Xvfb, answered by the demo itself; "
                  f"screenshot written to {SHOT}")
            screen.click(*window.child_centre(BUT0))
        out = run.finish(timeout=None if interactive else 60)
        print(out.strip())
        wine.shutdown()
        return 0 if "Response answered" in out else 1


if __name__ == "__main__":
    sys.exit(main())
