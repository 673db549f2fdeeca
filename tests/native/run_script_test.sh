#!/usr/bin/env bash
# ./run.sh without a display keeps the latest screenshot and a few before it, never all of them.
set -euo pipefail
source "$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

# Fifteen shots over a midnight, written out of order, beside the renewed console.png and another file.
names=()
for t in 20261209-235950 20261209-235955 20261210-000000 20261210-000005 20261210-000010 20261210-000015 \
         20261210-000020 20261210-000025 20261210-000030 20261210-000035 20261210-000040 20261210-000045 \
         20261210-000050 20261210-000055 20261210-000100; do
  names+=("console-$t.png")
done
for n in $(printf '%s\n' "${names[@]}" | shuf); do echo shot >"$dir/$n"; done
echo latest >"$dir/console.png"
echo other >"$dir/main-basic.png"

prune_screenshots "$dir" 10
left=$(cd "$dir" && ls console-*.png | sort | tr '\n' ' ')
want=$(printf '%s\n' "${names[@]:5}" | tr '\n' ' ')
[[ "$left" == "$want" ]] || fail "kept: $left; expected: $want"
[[ -f "$dir/console.png" && -f "$dir/main-basic.png" ]] || fail "removed a file that is not a timed shot"

# Fewer shots than the limit: nothing goes.
prune_screenshots "$dir" 20
[[ $(cd "$dir" && ls console-*.png | wc -l) -eq 10 ]] || fail "pruned below the limit"
echo "kept the newest 10 of 15 screenshots"
