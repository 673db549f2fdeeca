#!/usr/bin/env bash
# Copies the README's pictures from the screenshots the test suite took (run ./test.sh first),
# cut to the console's windows: the desktop around them is trimmed away.
set -euo pipefail
cd "$(dirname "$0")/.."
shots=build/win64/screenshots
declare -A pictures=(
  [main-window.png]=grid-states.png
  [link-dialog.png]=grid-link-dialog-filled.png
  [customer-dialog.png]=customer-dialog.png
)
mkdir -p docs
for picture in "${!pictures[@]}"; do
  shot="$shots/${pictures[$picture]}"
  [[ -f "$shot" ]] || { echo "missing $shot: run ./test.sh first" >&2; exit 1; }
  convert "$shot" -trim +repage -strip "docs/$picture"
  echo "docs/$picture from $shot ($(identify -format '%wx%h' "docs/$picture"))"
done
