"""The list as a script meets it: every round in a fresh host process, so the
first fill finds nothing kept from an earlier one. Per size, one process
loads the list once, reads it back, removes its last entry (selected by the
user: real keys on the dialog), empties it, then loads it twice more (warm);
another fills it with one AddToList a call."""

from harness import Probe, Screen
from session import ScriptSession, summary

SIZES = (1000, 8000, 16000, 32000)
TITLE = "Brivet list bench"
LBOX, BUT0 = 101, 107

# The text comes as a literal (the host has no Join), so that nothing of the
# list exists in the process before the timed call.
ENTRIES = """
Dim w, i, text, got, r
text = "{text}"
Set w = CreateObject("Brivet.Window")
CheckError "create"
' The first call that touches the form builds its window: timed on its own.
Mark "B touch"
w.ClearList
Mark "E touch"
"""

LOAD = ENTRIES + """
Mark "B load"
w.LoadList text
Mark "E load"
Mark "B get"
got = w.GetList
Mark "E get"
If got <> text Then WScript.Echo "ERROR the list of {n} read back as " & Len(got) & " characters"
w.Title = "{title}"
w.Persist = True
w.ShowList
w.ShowButtons = 1
w.Show
Mark "B remove"
r = w.RemoveSelListItem
Mark "E remove"
If r <> "entry {n}" Then WScript.Echo "ERROR removed '" & r & "', not the last entry"
Mark "B clear"
w.ClearList
Mark "E clear"
For i = 1 To 2
  Mark "B reload"
  w.LoadList text
  Mark "E reload"
  w.ClearList
Next
CheckError "list"
"""

ADD = ENTRIES + """
Mark "B add"
For i = 1 To {n} : w.AddToList "entry " & i : Next
Mark "E add"
If w.GetList <> text Then WScript.Echo "ERROR the list of {n} added one a call reads back otherwise"
CheckError "add"
"""

# What each timed block is per figure: per entry, or per call.
PER_ENTRY = ("load", "reload", "add", "get")


def script(template, n):
    text = ",".join(f"entry {i}" for i in range(1, n + 1))
    return template.replace("{text}", text).replace("{n}", str(n)).replace("{title}", TITLE)


def select_last_and_close(probe, keys):
    """The user's part: picks the last entry (End in the list) and presses the button."""
    window = probe.ready(TITLE)
    window = probe.rects(TITLE) if window else None
    if window is None:
        raise RuntimeError("the list dialog did not appear")
    keys.click(*window.child_centre(LBOX))
    keys.key("End")
    keys.click(*window.child_centre(BUT0))


def run(ctx, rounds, sizes=SIZES):
    """Per size and block: every round's time, first to last (per entry or
    per call as PER_ENTRY says), each round from a fresh host process."""
    probe, keys = Probe(ctx.wine, ctx.probe), Screen(ctx.display)
    times = {}
    for _ in range(rounds):
        for n in sizes:
            session = ScriptSession(ctx.wine, ctx.bits, ctx.work, f"list-load-{n}",
                                    script(LOAD, n))
            try:
                session.expect("M E get", timeout=600)
                select_last_and_close(probe, keys)
                session.finish(timeout=600)
            finally:
                if session.process.poll() is None:
                    session.process.kill()
            session_add = ScriptSession(ctx.wine, ctx.bits, ctx.work, f"list-add-{n}", script(ADD, n))
            session_add.finish(timeout=600)
            for s in (session, session_add):
                for block, found in s.intervals().items():
                    per = n if block in PER_ENTRY else 1
                    # The second and third loads of one process are its warm rounds.
                    times.setdefault(block, {}).setdefault(n, []).extend(t / per for t in found)
    return {block: {n: summary(t) for n, t in by_size.items()} for block, by_size in times.items()}
