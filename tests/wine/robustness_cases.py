"""Robustness under Wine: the dispatch fuzzer and the soak, in each bitness.

The suite runs a short pass of each; scripts/fuzz-long.sh sets
BRIVET_ROBUSTNESS=long for the full runs (1,000,000 calls, 10,000 cycles).
BRIVET_FUZZ_SEED replays a fuzz run; without it the seed is fresh and printed."""

import os
import re
import time

import harness

LONG = os.environ.get("BRIVET_ROBUSTNESS") == "long"
FUZZ_CALLS = 1_000_000 if LONG else 30_000
SOAK_CYCLES = 10_000 if LONG else 300


def run_robustness_program(ctx, name, *args, timeout):
    exe = ctx.build / f"tests/wine/fuzz/{name}.exe"
    if not exe.exists():
        raise harness.Failure(f"{name}.exe was not built")
    started = time.time()
    result = ctx.wine.run(ctx.bits, [exe] + [str(a) for a in args], timeout=timeout)
    out = result.stdout.replace("\r", "")
    # The figures go into the run's log, so they can be reported.
    for line in out.splitlines():
        if re.match(r"(dispatch fuzz|soak|calls|after|half-way|during|at the end|peak|gdi|FAIL)", line):
            print(f"    {line}")
    print(f"    ({time.time() - started:.0f}s)")
    if result.returncode != 0:
        raise harness.Failure(f"{name} exited with {result.returncode}")


def case_robustness_dispatch_fuzz(ctx):
    seed = os.environ.get("BRIVET_FUZZ_SEED") or str(int(time.time() * 1000) % 2**63)
    run_robustness_program(ctx, "dispatch_fuzz", FUZZ_CALLS, seed, timeout=14400 if LONG else 900)


def case_robustness_soak(ctx):
    run_robustness_program(ctx, "soak", SOAK_CYCLES, timeout=14400 if LONG else 900)


CASES = [case_robustness_dispatch_fuzz, case_robustness_soak]
