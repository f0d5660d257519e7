#!/usr/bin/env bash
# Installs what is needed, builds the 64-bit DLL and shows the demo dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh win64
exec python3 scripts/demo.py
