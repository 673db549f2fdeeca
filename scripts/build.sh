#!/usr/bin/env bash
# Configures and builds the trees: native (host clang, sanitizers, tests and fuzzers),
# win64 (MinGW-w64, runs under Wine) and win32 (MinGW-w64, compiled and linked only).
# Usage: scripts/build.sh [native] [win64] [win32]   (none: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
trees=("$@")
((${#trees[@]})) || trees=(native win64 win32)
for tree in "${trees[@]}"; do
  dir="$root/build/$tree"
  case "$tree" in
    native) args=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESHMAR_SANITIZE=ON) ;;
    win64) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    win32) args=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release) ;;
    *) echo "unknown tree: $tree" >&2; exit 2 ;;
  esac
  if [[ ! -f "$dir/build.ninja" ]]; then
    cmake -S "$root" -B "$dir" -G Ninja "${args[@]}" >/dev/null
  fi
  echo "== building $tree"
  cmake --build "$dir" -j"$(nproc)"
done
