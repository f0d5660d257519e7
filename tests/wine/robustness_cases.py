"""Robustness under Wine: the dispatch fuzzer, the soak, a host with
apartment threads of its own and a host that lets go of the library under a
kept form, in each bitness.

The suite runs a short pass of each; scripts/fuzz-long.sh sets
BRIVET_ROBUSTNESS=long for the full runs (1,000,000 calls, 10,000 cycles,
twenty rounds of threads, twenty rounds of forced unloads).
The suite's pass uses a fixed seed, so it gives the same result on every
run; the long runs take a fresh one. BRIVET_FUZZ_SEED replays a fuzz run;
the seed is printed."""

import os
import queue
import re
import threading
import time

import harness

LONG = os.environ.get("BRIVET_ROBUSTNESS") == "long"
FUZZ_CALLS = 1_000_000 if LONG else 30_000
SOAK_CYCLES = 10_000 if LONG else 300
THREAD_ROUNDS = 20 if LONG else 2
FORCED_ROUNDS = 20 if LONG else 3


def run_robustness_program(ctx, name, *args, timeout, folder="fuzz"):
    exe = ctx.build / f"tests/wine/{folder}/{name}.exe"
    if not exe.exists():
        raise harness.Failure(f"{name}.exe was not built")
    started = time.time()
    result = ctx.wine.run(ctx.bits, [exe] + [str(a) for a in args], timeout=timeout)
    out = result.stdout.replace("\r", "")
    # The figures go into the run's log, so they can be reported.
    for line in out.splitlines():
        if re.match(r"(dispatch fuzz|soak|calls|after|half-way|during|at the end|peak|gdi|FAIL|\d+ rounds)", line):
            print(f"    {line}")
    print(f"    ({time.time() - started:.0f}s)")
    if result.returncode != 0:
        raise harness.Failure(f"{name} exited with {result.returncode}")


def case_robustness_dispatch_fuzz(ctx):
    fresh = str(int(time.time() * 1000) % 2**63) if LONG else "20261209"
    seed = os.environ.get("BRIVET_FUZZ_SEED") or fresh
    run_robustness_program(ctx, "dispatch_fuzz", FUZZ_CALLS, seed, timeout=14400 if LONG else 900)


def case_robustness_soak(ctx):
    run_robustness_program(ctx, "soak", SOAK_CYCLES, timeout=14400 if LONG else 900)


def case_robustness_forced_unload(ctx):
    """A held class factory keeps the library through an unload check; a
    thread keeps a persisted form and pumps while the host lets go of the
    library (through COM, and with FreeLibrary of its own load), broadcasts
    WM_SETTINGCHANGE and shows a new dialog; the library unloads once the
    thread has ended, and the process's figures stay flat."""
    run_robustness_program(ctx, "forced_unload", FORCED_ROUNDS, timeout=3600 if LONG else 300,
                           folder="com")


def case_robustness_apartment_threads(ctx):
    """Sets of 1, 2 and 8 apartment threads, with and without an object on the
    host's main thread, each thread's dialog on screen at once, closed by the
    close box in reverse order; every thread ends, the library unloads and
    loads again for the next set, and the process's figures stay flat."""
    exe = ctx.build / "tests/wine/com/apartment_threads.exe"
    if not exe.exists():
        raise harness.Failure("apartment_threads.exe was not built")
    started = time.time()
    process = ctx.wine.start(ctx.bits, [exe, THREAD_ROUNDS])
    lines = queue.Queue()

    def read_lines():
        for line in process.stdout:
            lines.put(line.rstrip("\r\n"))
        lines.put(None)

    threading.Thread(target=read_lines, daemon=True).start()
    failures = []
    try:
        while True:
            try:
                line = lines.get(timeout=180)
            except queue.Empty:
                raise harness.Failure("the thread host fell silent")
            if line is None or line == "END":
                break
            if line.startswith("FAIL"):
                failures.append(line)
            elif line.startswith("shown "):
                close_in_reverse(ctx, line.split()[1:])
            elif re.match(r"(after round|\d+ rounds|gdi )", line):
                print(f"    {line}")
        code = process.wait(timeout=60)
    finally:
        if process.poll() is None:
            process.kill()
            process.wait()
    print(f"    ({time.time() - started:.0f}s)")
    if failures:
        raise harness.Failure("\n".join(failures))
    if code != 0:
        raise harness.Failure(f"apartment_threads exited with {code}")


def close_in_reverse(ctx, titles):
    """Clicks each dialog's close box, the last shown (the topmost) first."""
    for title in reversed(titles):
        window = ctx.probe.wait(title, 30000)
        if window is None:
            raise harness.Failure(f"{title} is not on screen")
        x, y = window.close_box()
        ctx.screen.click(x, y)
        if not ctx.probe.gone(title, 30000):
            raise harness.Failure(f"{title} stayed on screen after a click on its close box; "
                                  f"at the click: {ctx.probe.describe_point(x, y)}")


CASES = [case_robustness_dispatch_fuzz, case_robustness_soak, case_robustness_forced_unload,
         case_robustness_apartment_threads]
