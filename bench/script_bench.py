"""Script-side costs timed between marks: late-bound dispatch against the
host's dictionary (warm, one host process), object creation and the
settings calls, the first in fresh host processes (cold) and repeated
(warm)."""

from session import ScriptSession, summary

# Each round times an empty loop and then, for each shape, the component's
# call and the dictionary's call of the same shape, so that a slow moment of
# the machine falls on both sides of a ratio.
DISPATCH = """
Dim w, d, i, r, round
Set w = CreateObject("Brivet.Window")
Set d = CreateObject("Scripting.Dictionary")
CheckError "create"
For round = 1 To {rounds}
  Mark "B empty"
  For i = 1 To {calls} : Next
  Mark "E empty"
  Mark "B put brivet"
  For i = 1 To {calls} : w.Window = "x" : Next
  Mark "E put brivet"
  Mark "B put dictionary"
  For i = 1 To {calls} : d.CompareMode = 0 : Next
  Mark "E put dictionary"
  CheckError "put"
  Mark "B method brivet"
  For i = 1 To {calls} : w.AddToList "x" : Next
  Mark "E method brivet"
  w.ClearList
  Mark "B method dictionary"
  For i = 1 To {calls} : d.Exists "x" : Next
  Mark "E method dictionary"
  CheckError "method"
  Mark "B result brivet"
  For i = 1 To {calls} : r = w.Response() : Next
  Mark "E result brivet"
  Mark "B result dictionary"
  For i = 1 To {calls} : r = d.Count() : Next
  Mark "E result dictionary"
  CheckError "result"
Next
"""

SHAPES = {
    "put": ('w.Window = "x"', "d.CompareMode = 0"),
    "method": ('w.AddToList "x"', 'd.Exists "x"'),
    "result": ("r = w.Response()", "r = d.Count()"),
}


def dispatch(ctx, rounds, calls):
    body = DISPATCH.replace("{rounds}", str(rounds)).replace("{calls}", str(calls))
    session = ScriptSession(ctx.wine, ctx.bits, ctx.work, "dispatch", body)
    session.finish()
    blocks = session.intervals()
    empty = blocks["empty"]
    figures = {}
    for shape in SHAPES:
        ours, theirs, ratios = [], [], []
        for n in range(rounds):
            a = (blocks[f"{shape} brivet"][n] - empty[n]) / calls
            b = (blocks[f"{shape} dictionary"][n] - empty[n]) / calls
            ours.append(a)
            theirs.append(b)
            ratios.append(a / b)
        figures[shape] = {"brivet": summary(ours), "dictionary": summary(theirs), "ratio": summary(ratios)}
    figures["loop"] = summary([e / calls for e in empty])
    return figures


STARTUP = """
Dim w, i
Mark "B cold"
Set w = CreateObject("Brivet.Window")
Mark "E cold"
CheckError "create cold"
Set w = Nothing
For i = 1 To {warm}
  Mark "B warm"
  Set w = CreateObject("Brivet.Window")
  Mark "E warm"
  Set w = Nothing
Next
CheckError "create warm"
Mark "B dictionary"
Set w = CreateObject("Scripting.Dictionary")
Mark "E dictionary"
"""


def startup(ctx, processes, warm):
    cold, warmed, dictionary = [], [], []
    for _ in range(processes):
        session = ScriptSession(ctx.wine, ctx.bits, ctx.work, "startup", STARTUP.replace("{warm}", str(warm)))
        session.finish()
        blocks = session.intervals()
        cold += blocks["cold"]
        warmed += blocks["warm"]
        dictionary += blocks["dictionary"]
    return {"cold": summary(cold), "warm": summary(warmed), "dictionary": summary(dictionary)}


# The settings calls: the first SaveInfo and GetInfo of a fresh host process
# (cold), then blocks of each (warm), on a file that holds a few dozen
# settings, as a script's settings file does.
SETTINGS = """
Dim w, i, v, block
Set w = CreateObject("Brivet.Window")
CheckError "create"
Mark "B save cold"
w.SaveInfo "bench", "first", "v"
Mark "E save cold"
Mark "B get cold"
w.GetInfo "bench", "first", v
Mark "E get cold"
For block = 1 To {blocks}
  Mark "B save warm"
  For i = 1 To {calls} : w.SaveInfo "bench", "k" & i, "v" & block : Next
  Mark "E save warm"
  Mark "B get warm"
  For i = 1 To {calls} : w.GetInfo "bench", "k" & i, v : Next
  Mark "E get warm"
Next
CheckError "settings"
"""


SETTINGS_CALLS = 40


def settings_process(ctx, blocks):
    """One fresh host process: cold, one call; warm, a block's time divided
    by its calls, so the pipe's and the scheduler's jitter spread over the
    block."""
    body = SETTINGS.replace("{blocks}", str(blocks)).replace("{calls}", str(SETTINGS_CALLS))
    session = ScriptSession(ctx.wine, ctx.bits, ctx.work, "settings", body)
    session.finish()
    return {name: [t / SETTINGS_CALLS if name.endswith("warm") else t for t in times]
            for name, times in session.intervals().items()}


def settings_summary(runs):
    """The figures of several processes' runs together."""
    return {call: {kind: summary([t for run in runs for t in run[f"{call} {kind}"]]) for kind in ("cold", "warm")}
            for call in ("save", "get")}
