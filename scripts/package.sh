#!/usr/bin/env bash
# Builds both DLLs and packs them into dist/brivet-<version>.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh win64 win32
exec python3 scripts/package.py "$@"
