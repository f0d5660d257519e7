"""Writes the benchmark's results as docs/performance.md and the list-scaling
plot beside it."""

from pathlib import Path

SIZES = (1000, 8000, 16000, 32000)
NATIVE = {
    "PropertyPut": '`w.Window = "x"`',
    "MethodWithArgument": '`w.AddToList "x"`',
    "CallWithResult": "`r = w.Response()`",
}
SHAPES = {"put": '`w.Window = "x"`', "method": '`w.AddToList "x"`', "result": "`r = w.Response()`"}
REFERENCES = {"put": "`d.CompareMode = 0`", "method": '`d.Exists "x"`', "result": "`r = d.Count()`"}


def ms(s):
    return f"{s * 1e3:.1f} ms"


def ms2(s):
    return f"{s * 1e3:.2f} ms"


def us(s):
    return f"{s * 1e6:.2f} µs"


def spread(fig, unit):
    """Median with the interquartile range and the number of rounds."""
    return f"{unit(fig['median'])} ({unit(fig['q1'])} – {unit(fig['q3'])}, n={fig['n']})"


def rounds(fig, unit):
    """Median with the first and the worst round and the number of rounds."""
    return f"{unit(fig['median'])} (first {unit(fig['first'])}, worst {unit(fig['max'])}, n={fig['n']})"


def ratio(fig):
    return f"{fig['median']:.2f} ({fig['q1']:.2f} – {fig['q3']:.2f}, n={fig['n']})"


def ratio_rounds(fig):
    """A ratio's median with its first and worst round."""
    return f"{fig['median']:.2f} (first {fig['first']:.2f}, worst {fig['max']:.2f}, n={fig['n']})"


def verdict(ok):
    return "met" if ok else "**missed**"


def write(results, md_path, png_path):
    m = results["machine"]
    wine = results["wine"]
    bits = sorted(wine, key=int, reverse=True)
    cols = " | ".join(f"win{b}" for b in bits)
    rule = "|---" * (len(bits) + 2) + "|"
    lines = [
        "# Performance",
        "",
        "Written by `scripts/bench.sh` (do not edit by hand); the figures are from one run on",
        "this machine:",
        "",
        f"- machine: {m['cpu']}, {m['cores']} cores (shared), Linux {m['kernel']}, {m['wine']}",
        f"- date: {m['date']}; load average at the start: {m['load']}",
    ] + [f"- win{b}: not measured: {why}" for b, why in sorted(results.get("unmeasured", {}).items())] + [
        "",
        "Each figure is the median of repeated rounds with the interquartile range and the",
        "number of rounds in brackets, or with the first and the worst round where those differ",
        "in kind, or a ratio to a reference doing the same work in the same run. Each figure says",
        "whether it is cold (in a fresh host process, the first such call: what a script meets",
        "once per run) or warm (repeated in one process). The machine is shared: absolute times",
        "drift with its load, ratios much less.",
        "",
        "## Dialog round trip",
        "",
        "From the script's mark before `Show` (or the host's `MsgBox`) to the dialog fully",
        "painted, and from a real click on its button to the mark after the call returned.",
        "Cold: the first `Show` of a fresh host process. Warm, the rest: rounds in one process,",
        "each kind's first round left uncounted.",
        "The four kinds of round (`Show`, `MsgBox`, `Show` with an empty and with a full list)",
        "take turns, so a change in the machine's load falls on each alike.",
        "",
        f"| figure | goal | {cols} |",
        rule,
    ]

    def row(name, goal, cell):
        lines.append(f"| {name} | {goal} | " + " | ".join(cell(wine[b]) for b in bits) + " |")

    def dialog(kind, what):
        return lambda f: spread(f["dialog"][kind][what], ms)

    def versus(kind, what, other, limit):
        def cell(f):
            r = f["dialog"][kind][what]["median"] / f["dialog"][other][what]["median"]
            return f"{r:.2f} — {verdict(r <= limit)}"
        return cell

    row("first `Show` in the process to painted, cold", "", lambda f: rounds(f["dialog"]["first"]["painted"], ms))
    row("click to first `Show` returned, cold", "", lambda f: rounds(f["dialog"]["first"]["clicked"], ms))
    row("`Show` to painted, warm", "", dialog("dialog", "painted"))
    row("`MsgBox` to painted, warm", "", dialog("box", "painted"))
    row("painted: `Show` / `MsgBox`", "≤ 1", versus("dialog", "painted", "box", 1.0))
    row("click to `Show` returned, warm", "", dialog("dialog", "clicked"))
    row("click to `MsgBox` returned, warm", "", dialog("box", "clicked"))
    row("returned: `Show` / `MsgBox`", "≤ 1", versus("dialog", "clicked", "box", 1.0))
    lines += [
        "",
        "## Dispatch",
        "",
        "Warm: per-call cost of late-bound calls in the script host, against `Scripting.Dictionary`",
        "calls of the same shape in the same process, each minus the cost of an empty loop",
        "turn; the ratio is taken round by round, and given as the median with the first and",
        "the worst round. Each bitness the machine runs has its column: the host, the",
        "dictionary and the DLL all of that bitness.",
        "",
        f"| call | reference | goal | {cols} |",
        "|---" * (len(bits) + 3) + "|",
    ]
    for shape, call in SHAPES.items():
        def cell(f, shape=shape):
            d = f["dispatch"][shape]
            ok = d["ratio"]["median"] <= 0.6 if shape == "put" else True
            note = f" — {verdict(ok)}" if shape == "put" else ""
            return (f"{us(d['brivet']['median'])} vs {us(d['dictionary']['median'])}: "
                    f"ratio {ratio_rounds(d['ratio'])}{note}")
        goal = "ratio ≤ 0.6" if shape == "put" else ""
        lines.append(f"| {call} | {REFERENCES[shape]} | {goal} | " +
                     " | ".join(cell(wine[b]) for b in bits) + " |")
    lines.append("| empty loop turn | | | " + " | ".join(spread(wine[b]["dispatch"]["loop"], us)
                                                   for b in bits) + " |")
    lines += [
        "",
        "Warm, natively (Google Benchmark, optimised build, headless backend), what the component",
        "itself adds to a call through the same dispatcher — member lookup, argument mapping,",
        "coercion and the routine; goal under 100 ns a call for the trivial member (the put):",
        "",
        "| call | processor time a call | elapsed time a call | goal |",
        "|---|---|---|---|",
    ]
    for name, call in NATIVE.items():
        f = results["native"][name]
        ns = lambda v: f"{v:.1f} ns"  # noqa: E731
        goal = verdict(f["cpu"]["median"] < 100) if name == "PropertyPut" else ""
        lines.append(f"| {call} | {spread(f['cpu'], ns)} | {spread(f['real'], ns)} | {goal} |")
    lines += [
        "",
        "The goal is judged on processor time: on a machine this loaded, elapsed time mostly",
        "counts the moments the benchmark waited for a processor.",
    ]
    lines += [
        "",
        "## List scale",
        "",
        "Through the real list box of the hidden form, each round in a fresh host process, so",
        "that no storage is kept from an earlier fill. Cold: the first `LoadList` in the",
        "process (after a first call that builds the form's window, timed on its own), one",
        "`AddToList` a call into the empty list in another process, then `GetList`,",
        "`RemoveSelListItem` on the last entry (selected by the user) and `ClearList`. Warm:",
        "the same `LoadList` again, twice, after `ClearList`. The goal is a flat cost: 32,000",
        "entries within 1.3 times the cost per entry at 1,000. Showing the form with its list:",
        "32,000 entries against an empty list, goal at most twice.",
        "",
        f"| figure | goal | {cols} |",
        rule,
    ]
    row("first call that builds the form's window, cold, per call", "",
        lambda f: rounds(f["list"]["touch"][SIZES[0]], ms))
    per_entry = (("load", "`LoadList`, first fill, cold"), ("add", "`AddToList` one a call, cold"),
                 ("reload", "`LoadList` again, warm"), ("get", "`GetList`, cold"),
                 ("clear", "`ClearList`, cold"))
    for op, name in per_entry:
        unit = us
        for n in SIZES:
            def cell(f, op=op, n=n):
                fig = f["list"][op][n]
                if op == "clear":  # timed per call: per entry here
                    fig = {k: v / n if isinstance(v, float) else v for k, v in fig.items()}
                return rounds(fig, unit)
            row(f"{name}, {n:,} entries, per entry", "", cell)

        def flat(f, op=op):
            r = (f["list"][op][SIZES[-1]]["median"] / f["list"][op][SIZES[0]]["median"] *
                 (SIZES[0] / SIZES[-1] if op == "clear" else 1))
            return f"{r:.2f} — {verdict(r <= 1.3)}"
        row(f"{name}: 32,000 / 1,000 per entry", "≤ 1.3", flat)
    for n in SIZES:
        row(f"`RemoveSelListItem` on the last of {n:,} entries, cold, per call", "",
            lambda f, n=n: rounds(f["list"]["remove"][n], us))

    def remove_flat(f):
        r = f["list"]["remove"][SIZES[-1]]["median"] / f["list"]["remove"][SIZES[0]]["median"]
        return f"{r:.2f} — {verdict(r <= 1.3)}"
    row("`RemoveSelListItem`: 32,000 / 1,000 per call", "≤ 1.3", remove_flat)
    row("`Show` to painted, empty list, warm", "", dialog("empty", "painted"))
    row("`Show` to painted, 32,000 entries, warm", "", dialog("full", "painted"))
    row("painted: 32,000 / empty", "≤ 2", versus("full", "painted", "empty", 2.0))
    lines += [
        "",
        f"![list scaling]({Path(png_path).name})",
        "",
        "## Start-up and footprint",
        "",
        f"| figure | {cols} |",
        "|---" * (len(bits) + 1) + "|",
    ]

    def plain(name, cell):
        lines.append(f"| {name} | " + " | ".join(cell(wine[b]) for b in bits) + " |")

    plain("`CreateObject` cold (first in a fresh host process)", lambda f: rounds(f["startup"]["cold"], ms))
    plain("`CreateObject` warm", lambda f: spread(f["startup"]["warm"], ms))
    plain("reference: `CreateObject(\"Scripting.Dictionary\")`, its DLL loaded (warm)",
          lambda f: spread(f["startup"]["dictionary"], ms))
    plain("DLL size", lambda f: f"{f['footprint']['dll_bytes'] / 1024:.0f} KiB")
    plain("private bytes, one loaded form (cold: a fresh process)", lambda f: f"{f['footprint']['private_bytes'] / 1024:.0f} KiB")
    plain("USER objects, one loaded form", lambda f: str(f["footprint"]["user_objects"]))
    plain("GDI objects, one loaded form", lambda f: str(f["footprint"]["gdi_objects"]))
    lines += [""] + settings_section(results) + ["", HOW, ""]
    Path(md_path).write_text("\n".join(lines))
    plot(results, png_path)


def settings_section(results):
    """The settings calls, with the figures of the build before the lock
    where the run measured one (`--settings-before`)."""
    wine = results["wine"]
    bits = sorted(wine, key=int, reverse=True)
    lines = [
        "## Settings file",
        "",
        "Each call takes the settings file's lock, and drops the profile functions' cached copy",
        "of the file, before it reads or writes (see the reference's settings section).",
        "",
        f"| figure | {' | '.join(f'win{b}' for b in bits)} |",
        "|---" * (len(bits) + 1) + "|",
    ]
    calls = {"save": '`SaveInfo "bench", "k", "v"`', "get": '`GetInfo "bench", "k", v`'}
    for key, label in (("settings", ""), ("settings_before", "before the lock: ")):
        if not all(key in wine[b] for b in bits):
            continue
        for call, name in calls.items():
            for kind, what in (("cold", "cold (first in a fresh host process)"), ("warm", "warm")):
                lines.append(f"| {label}{name} {what} | " +
                             " | ".join(rounds(wine[b][key][call][kind], ms2) for b in bits) + " |")
    return lines


def replace_settings_section(results, md_path):
    """Rewrites only the settings section (and the notes on how figures are
    measured) of an existing report."""
    text = Path(md_path).read_text()
    start = text.find("## Settings file")
    how = text.find("## How each figure is measured")
    if start < 0:
        start = how
    Path(md_path).write_text(text[:start] + "\n".join(settings_section(results) + ["", HOW, ""]))


HOW = """## How each figure is measured

- Script-side times come from marks: the script prints a line before and after each
  block of work and the driver stamps each line with the Linux high-resolution clock
  as it arrives through the host's standard output (the host's `Timer` is a
  single-precision count of seconds since midnight, a millisecond or coarser). A block
  runs many calls (20,000 for dispatch), so the pipe's latency is negligible; the host
  cannot read its standard input, so the driver paces scripts with files they wait for.
- Dispatch: each round times an empty `For` loop, then each shape for the component and
  for the dictionary in turn (same host process, same loop); per-call cost is the block
  minus the empty loop, divided by the calls. `AddToList` goes to the hidden form's list
  box, emptied between blocks.
- Dialog round trip: the driver reads the screen directly through Xlib (well under a
  millisecond a look, with a millisecond's pause between looks so that the programs
  measured keep the processors) and sends clicks through XTest. The first round of each
  kind finds the window and its button with a probe under Wine and records the window's
  pixels once they stop changing; each counted round puts the pointer on the button's
  place first, measures from the mark before the call to the first look where the whole
  window matches those pixels, then from the button press to the mark after the call,
  and waits for the window to leave the screen before the next round. Fifteen rounds of
  each kind, the kinds in turn. The first `Show` of a run: seven fresh host processes
  each show the plain dialog once, measured the same way against the look the warm
  rounds learned.
- List scale: for each size, five rounds, each in two fresh host processes. The list's
  text comes into the script as a literal (the host has no `Join`), so nothing of the
  list exists in the process before the timed call; per-entry cost is the call's time
  divided by the entries. Single calls of well under a millisecond (`GetList`,
  `RemoveSelListItem`, `ClearList` at small sizes) are at the pipe's resolution: their
  figures are an upper bound on a loaded machine.
- Creation: the first `CreateObject` in fresh host processes (cold: loads the DLL and
  the form; the form's window is built at the first call that touches it, timed under
  List scale), then repeated create-and-release in the same process (warm).
- Settings file: seven fresh host processes, each timing its first `SaveInfo` and
  `GetInfo` (cold, one call between two marks: at the pipe's resolution) and then ten
  blocks of 40 calls of each on a file of about 40 settings (warm: a block's time divided
  by its calls; the worst is the worst block). The figures before the lock come from a
  build of the previous version, registered in its place for the while, one process of
  each build in turn (`--settings-before`).
- Footprint: `bench/wine/footprint.exe` creates one object and sets its title (which
  builds the form's window) and reports what the process gained: committed private
  memory summed over its regions, its windows, and its live GDI objects (where `GetGuiResources` answers nothing, as under
  Wine, each handle slot is asked its object type).
- Native: `build/bench/bench/brivet_invoke_bench` (Google Benchmark, `bench` preset),
  nine repetitions; the figure is the median repetition's time a call."""


def plot(results, png_path):
    import matplotlib

    matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(6.4, 4))
    for bits, figures in sorted(results["wine"].items(), key=lambda kv: -int(kv[0])):
        for op, name, style in (("load", "LoadList cold", "-o"), ("add", "AddToList cold", "-^"),
                                ("get", "GetList", "--s")):
            medians = [figures["list"][op][n]["median"] * 1e6 for n in SIZES]
            lows = [m - figures["list"][op][n]["min"] * 1e6 for m, n in zip(medians, SIZES)]
            highs = [figures["list"][op][n]["max"] * 1e6 - m for m, n in zip(medians, SIZES)]
            ax.errorbar(SIZES, medians, yerr=[lows, highs], fmt=style, capsize=3, label=f"{name}, win{bits}")
    ax.set_xscale("log")
    ax.set_xticks(SIZES)
    ax.set_xticklabels([f"{n:,}" for n in SIZES])
    ax.set_ylim(bottom=0)
    ax.set_xlabel("entries")
    ax.set_ylabel("µs per entry (median, best and worst round)")
    ax.set_title("List cost per entry under Wine")
    ax.legend()
    fig.tight_layout()
    fig.savefig(png_path, dpi=100)
