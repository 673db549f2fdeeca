#!/usr/bin/env bash
# Builds everything and runs every test: native, Windows under Wine, end-to-end.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh native win64 win32
source scripts/wine-env.sh
source scripts/xvfb.sh
trap teshmar_stop_wine_and_xvfb EXIT
teshmar_start_xvfb
teshmar_wine_prefix
echo "== native tests"
ctest --test-dir build/native --output-on-failure -j"$(nproc)"
echo "== Windows tests under Wine"
ctest --test-dir build/win64 --output-on-failure -j"$(nproc)"
echo "== release packages, checked under Wine"
scripts/package.sh
tests/package/check.sh
echo "Screenshots of the windows the tests opened: build/win64/screenshots/"
