#!/usr/bin/env python3
"""Runs the performance benchmark and writes docs/performance.md with its
plot: the native dispatcher under Google Benchmark, then, under Wine for each
bitness the machine runs, dialog round trips, dispatch against the host's
dictionary, the list at four sizes, creation and the form's footprint.

Every figure is a median of repeated rounds with its spread (and, where a
script meets it once per run, the first and worst rounds, each in a fresh
host process), or a ratio to a reference doing the same work in the same run."""

import argparse
import datetime
import json
import os
import platform
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
ROOT = HERE.parent
sys.path.insert(0, str(ROOT / "tests/wine"))
sys.path.insert(0, str(HERE))
import harness  # noqa: E402
import dialog_bench  # noqa: E402
import list_bench  # noqa: E402
import report  # noqa: E402
import script_bench  # noqa: E402
from screen import XScreen  # noqa: E402
from session import summary  # noqa: E402


class Context:
    def __init__(self, wine, display, screen, bits, build_root, work):
        self.wine, self.display, self.screen, self.bits, self.work = wine, display, screen, bits, work
        self.build = build_root / f"win{bits}"
        self.dll = self.build / "brivet.dll"
        self.bench_probe = build_root / "win64/bench/wine/bench_probe.exe"
        self.probe = build_root / "win64/tests/wine/tools/probe.exe"
        self.footprint = self.build / "bench/wine/footprint.exe"


def native(build_root, repetitions):
    exe = build_root / "bench/bench/brivet_invoke_bench"
    out = subprocess.run([str(exe), f"--benchmark_repetitions={repetitions}", "--benchmark_format=json",
                          "--benchmark_min_time=0.2"], capture_output=True, text=True, check=True).stdout
    runs = {}
    for b in json.loads(out)["benchmarks"]:
        if b.get("run_type") == "iteration":
            scale = {"ns": 1, "us": 1e3, "ms": 1e6}[b["time_unit"]]
            times = runs.setdefault(b["run_name"], {"cpu": [], "real": []})
            times["cpu"].append(b["cpu_time"] * scale)
            times["real"].append(b["real_time"] * scale)
    return {name: {kind: summary(t) for kind, t in times.items()} for name, times in runs.items()}


def footprint(ctx):
    result = ctx.wine.run(ctx.bits, [ctx.footprint], timeout=120)
    if result.returncode != 0:
        raise RuntimeError(f"footprint failed: {result.stdout}{result.stderr}")
    values = dict(line.split() for line in result.stdout.splitlines() if line.strip())
    return {k: int(v) for k, v in values.items()} | {"dll_bytes": ctx.dll.stat().st_size}


def settings_calls(ctx, figures, before_root, processes, blocks):
    """The settings calls with this build's DLL and, when given, with an
    earlier build's, registered in its place for the while: one process of
    each in turn, so both meet the same load of the machine."""
    dlls = {"settings": ctx.dll}
    if before_root:
        dlls = {"settings_before": Path(before_root) / f"win{ctx.bits}/brivet.dll", **dlls}
    found = {key: [] for key in dlls}
    for _ in range(processes):
        for key, dll in dlls.items():
            if len(dlls) > 1 and ctx.wine.regsvr32(ctx.bits, harness.windows_path(dll)).returncode != 0:
                raise RuntimeError(f"registering {dll} failed")
            found[key].append(script_bench.settings_process(ctx, blocks))
    for key, runs in found.items():
        figures[key] = script_bench.settings_summary(runs)
    print(f"win{ctx.bits} settings:", {c: round(v["warm"]["median"] * 1e6, 1) for c, v in
                                       figures["settings"].items()}, flush=True)


def machine():
    model = next((l.split(":", 1)[1].strip() for l in Path("/proc/cpuinfo").read_text().splitlines()
                  if l.startswith("model name")), platform.processor())
    wine = subprocess.run([harness.WINE64, "--version"], capture_output=True, text=True).stdout.strip()
    return {"cpu": model, "cores": os.cpu_count(), "kernel": platform.release(), "wine": wine,
            "load": " ".join(f"{v:.1f}" for v in os.getloadavg()),
            "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build-root", default=str(ROOT / "build"))
    parser.add_argument("--out", default=str(ROOT / "docs"))
    parser.add_argument("--smoke", action="store_true", help="one quick round of everything, no report")
    parser.add_argument("--settings-before", help="the build root of an earlier version: its settings "
                                                  "calls are measured beside this build's")
    parser.add_argument("--settings-only", action="store_true",
                        help="measure only the settings calls and rewrite only their section of the report")
    parser.add_argument("--dispatch", action="store_true",
                        help="only the late-bound calls under Wine, in full, no report")
    args = parser.parse_args()
    build_root = Path(args.build_root)
    smoke = args.smoke
    rounds = 1 if smoke else 9
    results = {"machine": machine(), "wine": {}}
    if not args.settings_only and not args.dispatch:
        results["native"] = native(build_root, 1 if smoke else 9)
        print("native:", {k: round(v["cpu"]["median"], 1) for k, v in results["native"].items()}, flush=True)

    bitness = [64] + ([32] if harness.can_run_32bit() else [])
    if 32 not in bitness:
        results["unmeasured"] = {32: harness.why_no_32bit()}
        print("win32 not measured:", results["unmeasured"][32], flush=True)
    with harness.Display() as display, tempfile.TemporaryDirectory(prefix="brivet-bench-") as work:
        wine = harness.Wine(build_root / "wine-prefix", display)
        wine.prepare()
        harness.Probe(wine, build_root / "win64/tests/wine/tools/probe.exe").keep_desktop()
        screen = XScreen(display.name)
        try:
            for bits in bitness:
                ctx = Context(wine, display, screen, bits, build_root, Path(work))
                if wine.regsvr32(bits, harness.windows_path(ctx.dll)).returncode != 0:
                    raise RuntimeError(f"registering the {bits}-bit DLL failed")
                figures = results["wine"][bits] = {}
                if args.dispatch:
                    figures["dispatch"] = script_bench.dispatch(ctx, rounds, 20000)
                    print(f"win{bits} dispatch, load {os.getloadavg()[0]:.1f}:", flush=True)
                    for shape, d in figures["dispatch"].items():
                        if "ratio" in d:
                            r = d["ratio"]
                            print(f"  {shape}: ratio first {r['first']:.3f}, median {r['median']:.3f}, "
                                  f"worst {r['max']:.3f}", flush=True)
                    continue
                settings_calls(ctx, figures, args.settings_before, 2 if smoke else 7, 2 if smoke else 10)
                if args.settings_only:
                    continue
                figures["footprint"] = footprint(ctx)
                print(f"win{bits} footprint:", figures["footprint"], flush=True)
                figures["startup"] = script_bench.startup(ctx, 2 if smoke else 7, 3 if smoke else 10)
                print(f"win{bits} startup done", flush=True)
                figures["dispatch"] = script_bench.dispatch(ctx, rounds, 500 if smoke else 20000)
                print(f"win{bits} dispatch:", {k: round(v["ratio"]["median"], 3) for k, v in
                                                figures["dispatch"].items() if "ratio" in v}, flush=True)
                # Every list round in a fresh host process: the first fill is
                # what a script meets.
                figures["list"] = list_bench.run(ctx, 1 if smoke else 5,
                                                 list_bench.SIZES[:2] if smoke else list_bench.SIZES)
                print(f"win{bits} list:", {n: round(v["median"] * 1e6, 2) for n, v in
                                           figures["list"]["load"].items()}, flush=True)
                # The dialog figures are the noisiest (the screen, two processes
                # and the X server in each): more rounds.
                figures["dialog"] = dialog_bench.run(ctx, 2 if smoke else 15,
                                                     list_bench.SIZES[-1], 2 if smoke else 7)
                print(f"win{bits} dialog:", {k: round(v["painted"]["median"] * 1000, 1) for k, v in
                                              figures["dialog"].items()}, flush=True)
        finally:
            wine.shutdown()

    raw = build_root / "bench-results.json"
    raw.write_text(json.dumps(results, indent=1))
    if args.dispatch:
        return 0
    if smoke:
        print("smoke run: every figure measured; report not written")
        return 0
    out = Path(args.out)
    if args.settings_only:
        report.replace_settings_section(results, out / "performance.md")
        print(f"wrote the settings section of {out / 'performance.md'}")
        return 0
    report.write(results, out / "performance.md", out / "performance-list.png")
    print(f"wrote {out / 'performance.md'} and {out / 'performance-list.png'}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
