#!/usr/bin/env bash
# Builds both DLLs and packs them into dist/brivet-<version>.zip and
# dist/brivet-<version>-x64.msi, signed when a certificate is given (see
# scripts/package.py).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh win64 win32
exec python3 scripts/package.py "$@"
