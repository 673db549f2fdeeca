#!/usr/bin/env bash
# Builds the console and runs it under Wine until it is closed. With a display it shows there;
# without one it runs under Xvfb and writes a screenshot of the screen every few seconds, keeping
# the latest one and a few before it.
set -euo pipefail

keep_screenshots=10

# Removes all but the newest `keep` console-<time>.png files of `dir` (their names sort by time).
prune_screenshots() {
  local dir=$1 keep=$2
  local -a shots=()
  mapfile -t shots < <(find "$dir" -maxdepth 1 -name 'console-*.png' -printf '%f\n' | sort)
  local surplus=$((${#shots[@]} - keep))
  ((surplus > 0)) || return 0
  local name
  for name in "${shots[@]:0:surplus}"; do rm -f -- "$dir/$name"; done
}

main() {
  cd "$(dirname "$0")"
  scripts/deps.sh
  scripts/build.sh win64
  source scripts/wine-env.sh
  source scripts/xvfb.sh
  local shots="$PWD/build/screenshots"
  local own_display=0
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
  local console=$!
  if ((own_display)); then
    mkdir -p "$shots"
    echo "No display: the console runs under Xvfb ($DISPLAY)."
    echo "Screenshots of the screen: $shots/console.png (renewed every 5 seconds; the last $keep_screenshots also kept as console-<time>.png)"
    echo "Press Ctrl+C to end the console."
    local stamp
    while kill -0 "$console" 2>/dev/null; do
      sleep 5
      stamp=$(date +%Y%m%d-%H%M%S)
      if import -window root "$shots/console-$stamp.png" 2>/dev/null; then
        cp "$shots/console-$stamp.png" "$shots/console.png"
        prune_screenshots "$shots" "$keep_screenshots"
      fi
    done
  fi
  wait "$console" || true
}

# Sourced (by its test), it only defines its functions.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  main "$@"
fi
