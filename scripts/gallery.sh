#!/usr/bin/env bash
# Regenerates docs/gallery: runs the Wine cases that take the pictures (the
# examples and the documents' snippets, 64-bit), then copies every picture a
# document shows from build/screenshots and removes those no document shows.
set -euo pipefail
cd "$(dirname "$0")/.."
python3 tests/wine/run_wine_tests.py --only "win64 example_,snippets_run_as_written,win64 access_keys,win64 button_captions,win64 full_dialog" || true
mkdir -p docs/gallery
wanted=$(grep -oh 'gallery/[a-z0-9-]*\.png' README.md docs/*.md examples/README.md | sed 's|gallery/||; s|\.png$||' | sort -u)
missing=0
for shot in $wanted; do
  src="build/screenshots/$shot-win64.png"
  if [ -f "$src" ]; then
    cp "$src" "docs/gallery/$shot.png"
  else
    echo "gallery: no screenshot $src for docs/gallery/$shot.png"
    missing=1
  fi
done
for old in docs/gallery/*.png; do
  name=$(basename "$old" .png)
  grep -qx "$name" <<<"$wanted" || rm -f "$old"
done
ls docs/gallery
exit $missing
