"""Dialog round trips timed on the screen: from the script's mark before
`Show` (or the host's MsgBox) to the dialog fully painted, and from a real
click on its button to the mark after the call returned. Warm rounds take
turns in one host process; the first `Show` of a run is timed in fresh host
processes."""

import subprocess
import time

from session import ScriptSession, summary

TITLE = "Brivet bench"
BOX_TITLE = "Brivet bench box"
MESSAGE = "Continue with the next step?"

SCRIPT = f"""
Dim w, k, entries, i, kinds, kind
Set w = CreateObject("Brivet.Window")
CheckError "create"
' The list of the largest size, built once through the list itself.
For i = 1 To {{entries}}
  w.AddToList "entry " & i
Next
entries = w.GetList
w.ClearList
CheckError "build the list"
kinds = Array({{kinds}})
For k = 0 To {{rounds}}
  For Each kind In kinds
    WaitGo kind & k
    If kind = "box" Then
      Mark "SHOW"
      MsgBox "{MESSAGE}", 0, "{BOX_TITLE}"
      Mark "BACK"
    Else
      w.Title = "{TITLE}"
      w.Caption = "{MESSAGE}"
      w.ShowButtons = 1
      w.Button1Caption = "OK"
      w.ClearList
      If kind <> "dialog" Then w.ShowList
      If kind = "full" Then w.LoadList entries
      CheckError "set up " & kind
      Mark "SHOW"
      w.Show
      Mark "BACK"
      CheckError "show " & kind
    End If
  Next
Next
Set w = Nothing
"""

# The plain dialog of the "dialog" rounds, shown once in a fresh host process.
FIRST_SHOW = f"""
Dim w
Set w = CreateObject("Brivet.Window")
CheckError "create"
WaitGo "show"
w.Title = "{TITLE}"
w.Caption = "{MESSAGE}"
w.ShowButtons = 1
w.Button1Caption = "OK"
w.ClearList
CheckError "set up"
Mark "SHOW"
w.Show
Mark "BACK"
CheckError "show"
"""

# What each kind of round shows: the window's title and its button.
KINDS = {
    "dialog": (TITLE, "OK"),
    "box": (BOX_TITLE, "OK"),
    "empty": (TITLE, "OK"),
    "full": (TITLE, "OK"),
}


def locate(ctx, title, caption):
    """The window's rectangle and its button's centre, from the probe."""
    result = ctx.wine.run(64, [ctx.bench_probe, "button", title, caption, 60000], timeout=90)
    fields = {line.split()[0]: [int(v) for v in line.split()[1:]] for line in result.stdout.splitlines()
              if line.strip()}
    if result.returncode != 0 or "window" not in fields:
        raise RuntimeError(f"no window '{title}' with a button '{caption}'")
    return tuple(fields["window"]), tuple(fields["button"])


def first_show(ctx, processes, found):
    """The first `Show` in fresh host processes, against the look the warm
    rounds learned."""
    rect, button, reference = found
    painted, clicked = [], []
    for _ in range(processes):
        session = ScriptSession(ctx.wine, ctx.bits, ctx.work, "first-show", FIRST_SHOW)
        try:
            ctx.screen.move(*button)
            session.go("show")
            shown = session.expect("M SHOW")
            seen = ctx.screen.wait_until(rect, lambda pixels: pixels == reference, 30)
            if seen is None:
                raise RuntimeError("the first Show never looked as the warm rounds did")
            painted.append(seen - shown)
            pressed = ctx.screen.click()
            clicked.append(session.expect("M BACK") - pressed)
            session.finish()
        finally:
            if session.process.poll() is None:
                session.process.kill()
        ctx.screen.wait_until(rect, lambda pixels: pixels != reference, 30)
    return {"painted": summary(painted), "clicked": summary(clicked)}


def run(ctx, rounds, list_entries, cold_processes):
    body = (SCRIPT.replace("{entries}", str(list_entries)).replace("{rounds}", str(rounds))
            .replace("{kinds}", ", ".join(f'"{k}"' for k in KINDS)))
    session = ScriptSession(ctx.wine, ctx.bits, ctx.work, "dialog", body)
    screen = ctx.screen
    painted = {kind: [] for kind in KINDS}
    clicked = {kind: [] for kind in KINDS}
    found = {}  # kind -> (window rectangle, button centre, painted pixels)
    try:
        # The kinds take turns round by round, so that a change in the
        # machine's load falls on the dialog and on its reference alike.
        for k in range(rounds + 1):
            for kind, (title, caption) in KINDS.items():
                if kind in found:
                    # The pointer waits where the button will be, as a
                    # person's would, and moves before the window is there.
                    screen.move(*found[kind][1])
                session.go(f"{kind}{k}")
                shown = session.expect("M SHOW")
                if k == 0:
                    # The first round finds the window and learns how it
                    # looks once painted; it is not counted.
                    rect, button = locate(ctx, title, caption)
                    found[kind] = rect, button, screen.wait_stable(rect)
                    screen.move(*button)
                rect, button, reference = found[kind]
                if k > 0:
                    seen = screen.wait_until(rect, lambda pixels: pixels == reference, 30)
                    if seen is None:
                        raise RuntimeError(f"{kind}: the dialog never looked as in the first round")
                    painted[kind].append(seen - shown)
                pressed = screen.click()
                back = session.expect("M BACK")
                if k > 0:
                    clicked[kind].append(back - pressed)
                # The next round starts once this window has left the screen.
                screen.wait_until(rect, lambda pixels: pixels != reference, 30)
        session.finish()
    finally:
        if session.process.poll() is None:
            session.process.kill()
    figures = {kind: {"painted": summary(painted[kind]), "clicked": summary(clicked[kind])} for kind in KINDS}
    figures["first"] = first_show(ctx, cold_processes, found["dialog"])
    return figures
