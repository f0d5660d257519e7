#!/usr/bin/env bash
# The long robustness runs under Wine, in each bitness the machine runs:
# the dispatch fuzzer with 1,000,000 calls, the soak with 10,000 cycles and
# twenty rounds of the thread host.
# BRIVET_FUZZ_SEED=<seed> replays a fuzz run. Builds the Windows presets first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh win64 win32
BRIVET_ROBUSTNESS=long exec python3 tests/wine/run_wine_tests.py --only robustness "$@"
