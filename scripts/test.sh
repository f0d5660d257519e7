#!/usr/bin/env bash
# Installs what is needed, builds every preset and runs every test: the
# native unit tests (with sanitizers), a short run of each fuzz target, then
# the DLL under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1
scripts/build.sh native fuzz win64 win32 || exit 1

# The unit tests and a short run of each fuzz target, counted together.
native_log=$(mktemp)
ctest --preset native --timeout 120 2>&1 | tee "$native_log"
native_rc=${PIPESTATUS[0]}
fuzz_log=$(mktemp)
ctest --preset fuzz --timeout 600 2>&1 | tee "$fuzz_log"
fuzz_rc=${PIPESTATUS[0]}

wine_log=$(mktemp)
python3 tests/wine/run_wine_tests.py 2>&1 | tee "$wine_log"
wine_rc=${PIPESTATUS[0]}

# One closing line for the whole run.
ctest_counts() {  # "failed all" from a ctest summary
  sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$1" | tail -n 1
}
native_total=$(ctest_counts "$native_log")
fuzz_total=$(ctest_counts "$fuzz_log")
read -r unit_failed unit_all <<<"${native_total:-0 0}"
read -r fuzz_failed fuzz_all <<<"${fuzz_total:-0 0}"
native_failed=$((unit_failed + fuzz_failed))
native_all=$((unit_all + fuzz_all))
wine_line=$(grep -E '^wine: [0-9]+ passed, [0-9]+ failed' "$wine_log" | tail -n 1)
wine_passed=$(echo "$wine_line" | sed -n 's/^wine: \([0-9]*\) passed.*/\1/p')
wine_failed=$(echo "$wine_line" | sed -n 's/.* \([0-9]*\) failed.*/\1/p')
passed=$(( ${native_all:-0} - ${native_failed:-0} + ${wine_passed:-0} ))
failed=$(( ${native_failed:-0} + ${wine_failed:-0} ))
[ -z "$native_total" ] && failed=$((failed + 1))
[ -z "$fuzz_total" ] && failed=$((failed + 1))
[ -z "$wine_line" ] && failed=$((failed + 1))
rm -f "$native_log" "$fuzz_log" "$wine_log"
echo "$passed passed, $failed failed"
[ "$native_rc" -eq 0 ] && [ "$fuzz_rc" -eq 0 ] && [ "$wine_rc" -eq 0 ] && [ "$failed" -eq 0 ]
