#!/usr/bin/env bash
# Builds the console and runs it under Wine until it is closed. With a display it shows there;
# without one it runs under Xvfb and writes a screenshot of the screen every few seconds.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh win64
source scripts/wine-env.sh
source scripts/xvfb.sh
shots="$PWD/build/screenshots"
own_display=0
if [[ -z "${DISPLAY:-}" ]]; then
  teshmar_start_xvfb
  own_display=1
fi
trap teshmar_stop_wine_and_xvfb EXIT
teshmar_wine_prefix
cd build/win64/bin
# A newcomer sees a grid at once; a list of one's own is never replaced.
[[ -e Entries.ini ]] || cp ../../../samples/Entries.ini .
wine Teshmar.exe &
console=$!
if ((own_display)); then
  mkdir -p "$shots"
  echo "No display: the console runs under Xvfb ($DISPLAY)."
  echo "Screenshots of the screen: $shots/console.png (renewed every 5 seconds, also kept as console-<time>.png)"
  echo "Press Ctrl+C to end the console."
  while kill -0 "$console" 2>/dev/null; do
    sleep 5
    stamp=$(date +%H%M%S)
    import -window root "$shots/console-$stamp.png" 2>/dev/null && cp "$shots/console-$stamp.png" "$shots/console.png"
  done
fi
wait "$console" || true
