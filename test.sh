#!/usr/bin/env bash
# Builds everything and runs every test: native, Windows under Wine, end-to-end.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh native win64 win32
source scripts/wine-env.sh
source scripts/xvfb.sh
source scripts/wine32-tree.sh
stop_wine() {
  if teshmar_wine32_ready; then scripts/wine32-do wineserver -k >/dev/null 2>&1 || true; fi
  teshmar_stop_wine_and_xvfb
}
trap stop_wine EXIT
teshmar_start_xvfb
teshmar_wine_prefix
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j"$(nproc)"
echo "== Windows tests under Wine"
ctest --test-dir build/win64 --output-on-failure -j"$(nproc)"
echo "== 32-bit Windows tests under 32-bit Wine"
if teshmar_runs_32bit_code; then
  scripts/wine32-run --prepare
  ctest --test-dir build/win32 --output-on-failure -j"$(nproc)"
else
  echo "NOT RUN: the 32-bit Windows tests. This machine's kernel does not run 32-bit x86 programs" \
    "(IA-32 emulation is off), so no 32-bit Wine can run here." >&2
fi
echo "== release packages, checked under Wine"
scripts/package.sh
tests/package/check.sh
echo "Screenshots of the windows the tests opened: build/win64/screenshots/"
