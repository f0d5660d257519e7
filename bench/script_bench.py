"""Script-side costs, each timed between marks in one host process:
late-bound dispatch against the host's dictionary, the list at three
sizes, and object creation cold and warm."""

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


# The lists are built through the list itself (the host has no Join), then
# each size is loaded into the emptied list and read back, many times.
SCALE = """
Dim w, i, n, rep, sizes, texts(2), got
Set w = CreateObject("Brivet.Window")
CheckError "create"
sizes = Array({sizes})
For n = 0 To 2
  For i = 1 To sizes(n)
    w.AddToList "entry " & i
  Next
  texts(n) = w.GetList
  w.ClearList
Next
CheckError "build the lists"
For rep = 1 To {reps}
  For n = 0 To 2
    Mark "B load " & sizes(n)
    w.LoadList texts(n)
    Mark "E load " & sizes(n)
    Mark "B get " & sizes(n)
    got = w.GetList
    Mark "E get " & sizes(n)
    If Len(got) <> Len(texts(n)) Then WScript.Echo "ERROR list of " & sizes(n) & " read back as " & Len(got) & " characters"
    w.ClearList
  Next
Next
CheckError "lists"
"""

SIZES = (1000, 8000, 32000)


def scale(ctx, reps):
    body = SCALE.replace("{sizes}", ", ".join(map(str, SIZES))).replace("{reps}", str(reps))
    session = ScriptSession(ctx.wine, ctx.bits, ctx.work, "scale", body)
    session.finish(timeout=1800)
    blocks = session.intervals()
    return {op: {n: summary([t / n for t in blocks[f"{op} {n}"]]) for n in SIZES} for op in ("load", "get")}


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
