#!/usr/bin/env bash
# Long libFuzzer runs of the portable logic: each target for the given number
# of seconds (default 600), from its seed corpus plus what earlier runs found
# (kept in build/fuzz/tests/fuzz/corpus). A crash leaves its input beside the
# target as <target>-crash-<hash>; replay it with `<target> <file>`, and add it
# to tests/fuzz/corpus/<target> with its fix. The seed is fresh each run (the
# tests use a fixed one).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
scripts/install-deps.sh
scripts/build.sh fuzz
out=build/fuzz/tests/fuzz
for target in fuzz_coercion fuzz_colour_text fuzz_list fuzz_profile; do
  echo "== $target for ${seconds}s"
  "$out/$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="$out/$target-" "$out/corpus/$target" "tests/fuzz/corpus/$target"
done
