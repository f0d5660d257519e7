#!/usr/bin/env bash
# Installs what is needed, builds all three presets and runs every test:
# the native unit tests (with sanitizers), then the DLL under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1
scripts/build.sh native win64 win32 || exit 1

native_log=$(mktemp)
ctest --preset native --timeout 120 2>&1 | tee "$native_log"
native_rc=${PIPESTATUS[0]}

wine_log=$(mktemp)
python3 tests/wine/run_wine_tests.py 2>&1 | tee "$wine_log"
wine_rc=${PIPESTATUS[0]}

# One closing line for the whole run.
native_total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$native_log" | tail -n 1)
native_failed=${native_total% *}
native_all=${native_total#* }
wine_line=$(grep -E '^wine: [0-9]+ passed, [0-9]+ failed' "$wine_log" | tail -n 1)
wine_passed=$(echo "$wine_line" | sed -n 's/^wine: \([0-9]*\) passed.*/\1/p')
wine_failed=$(echo "$wine_line" | sed -n 's/.* \([0-9]*\) failed.*/\1/p')
passed=$(( ${native_all:-0} - ${native_failed:-0} + ${wine_passed:-0} ))
failed=$(( ${native_failed:-0} + ${wine_failed:-0} ))
[ -z "$native_total" ] && failed=$((failed + 1))
[ -z "$wine_line" ] && failed=$((failed + 1))
rm -f "$native_log" "$wine_log"
echo "$passed passed, $failed failed"
[ "$native_rc" -eq 0 ] && [ "$wine_rc" -eq 0 ] && [ "$failed" -eq 0 ]
