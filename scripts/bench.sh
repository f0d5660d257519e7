#!/usr/bin/env bash
# Installs what is needed, builds the optimised native benchmark and both
# DLLs, runs the performance benchmark and writes docs/performance.md and
# docs/performance-list.png. `scripts/bench.sh --smoke` runs one quick round
# of everything and writes no report.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# What only the benchmark needs.
bench_packages=(libbenchmark-dev python3-matplotlib)
missing=()
for p in "${bench_packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

scripts/build.sh win64 win32
cmake --preset bench >/dev/null
cmake --build --preset bench --target brivet_invoke_bench
# The driver needs the distribution's Python, where matplotlib was installed.
exec /usr/bin/python3 bench/run_bench.py "$@"
