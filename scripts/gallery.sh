#!/usr/bin/env bash
# Regenerates docs/gallery from the screenshots the Wine tests write.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 tests/wine/run_wine_tests.py --only "win64 " >/dev/null || true
mkdir -p docs/gallery
for shot in empty buttons-1 buttons-2 buttons-3 persist layout colours text-boxes picture caption-lines picture-caption \
    access-keys caption-colour dpi-96 dpi-120 dpi-144 \
    example-signin example-choose-entry example-yes-no-cancel example-remember-folder example-open-file \
    example-colour; do
  src="build/screenshots/$shot-win64.png"
  [ -f "$src" ] && cp "$src" "docs/gallery/$shot.png"
done
ls docs/gallery
