#!/usr/bin/env bash
# CPU of the idle console under Wine with 50 entries blinking, read from /proc (Wine reports no
# times of another process). Prints a figure; judges nothing. Usage: scripts/idle-cpu.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
source scripts/wine-env.sh
source scripts/xvfb.sh
[[ -n "${DISPLAY:-}" ]] || teshmar_start_xvfb
trap teshmar_stop_wine_and_xvfb EXIT
teshmar_wine_prefix
dir=$(mktemp -d)
cp build/win64/bin/TeshmarScripted.exe "$dir/"
printf 'server 127.0.0.1\n  database Store\n    table Base\n' > "$dir/ScriptedDb.txt"
{
  printf '[Entries]\r\nCount=50\r\n'
  for i in $(seq 50); do printf '[Entry%d]\r\nName=门店%d\r\nAddr=广东省,东莞市,,路%d\r\nKind=1\r\n' "$i" "$i" "$i"; done
} | iconv -f UTF-8 -t CP936 > "$dir/Entries.ini"
# Every other entry has no link, so half the numbers blink and no message window waits for a click.
for i in $(seq 1 2 50); do
  printf '[Item%d]\r\nServername=127.0.0.1\r\nDatabase=Store\r\nLogid=sa\r\nLogpass=pw\r\n' "$i"
done > "$dir/Quorvan.ini"
(cd "$dir" && wine TeshmarScripted.exe >/dev/null 2>&1 &)
sleep 8
pid=$(pgrep -x TeshmarScripted | head -n 1)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
xvfb=$(pgrep -x Xvfb | tail -n 1)
a=$(ticks "$pid"); x=$(ticks "$xvfb"); sleep "$seconds"; b=$(ticks "$pid"); y=$(ticks "$xvfb")
hz=$(getconf CLK_TCK)
awk -v c=$((b - a)) -v x=$((y - x)) -v s="$seconds" -v hz="$hz" 'BEGIN {
  printf "idle console, 50 entries (25 blinking), %d s: %.2f%% of one core (Xvfb drawing it: %.2f%%)\n",
         s, 100 * c / hz / s, 100 * x / hz / s }'
rm -rf "$dir"
