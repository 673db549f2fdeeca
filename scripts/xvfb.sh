# Sourced: starts a private Xvfb for the Wine runs and stops it, with the project's wineserver, on exit.
teshmar_start_xvfb() {
  local n
  for n in $(seq 90 140); do
    if [[ ! -e /tmp/.X$n-lock && ! -e /tmp/.X11-unix/X$n ]]; then
      Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
      TESHMAR_XVFB_PID=$!
      export DISPLAY=":$n"
      for _ in $(seq 50); do
        [[ -e /tmp/.X11-unix/X$n ]] && return 0
        sleep 0.1
      done
    fi
  done
  echo "Xvfb did not start" >&2
  return 1
}

teshmar_stop_wine_and_xvfb() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  [[ -n "${TESHMAR_XVFB_PID:-}" ]] && kill "$TESHMAR_XVFB_PID" >/dev/null 2>&1 || true
}
