#!/usr/bin/env bash
# scripts/gtest-printed: a program that exits 0 without GoogleTest's result line fails; otherwise
# the program's output and exit code pass through unchanged.
set -uo pipefail
guard=$1
fail() { echo "FAILED: $*" >&2; exit 1; }

out=$("$guard" true --gtest_brief=1 2>&1); code=$?
[[ $code -ne 0 ]] || fail "a silent exit 0 passed"
[[ "$out" == *"printed no GoogleTest result"* ]] || fail "a silent exit 0 failed without saying why: $out"

out=$("$guard" printf 'Running main() from gtest_main.cc\r\n[  PASSED  ] 12 tests.\r\n'); code=$?
[[ $code -eq 0 ]] || fail "a printed pass failed ($code)"
[[ "$out" == *"[  PASSED  ] 12 tests."* ]] || fail "output not passed through: $out"
"$guard" printf '[  PASSED  ] 1 test.\n' >/dev/null || fail "a single passed test failed"

# A failing program's exit code stays, whatever it printed; so does one that crashed silently.
"$guard" sh -c 'echo "[  PASSED  ] 3 tests."; echo "[  FAILED  ] 1 test"; exit 1' >/dev/null; code=$?
[[ $code -eq 1 ]] || fail "a failing run ended with $code"
"$guard" sh -c 'exit 3' >/dev/null 2>&1; code=$?
[[ $code -eq 3 ]] || fail "a silent failure ended with $code"
# The result line is needed, not any line that mentions it.
"$guard" echo 'expected "[  PASSED  ] 1 test." somewhere' >/dev/null 2>&1 && fail "a mention of the result line passed"
echo "gtest-printed: 6 cases held"
