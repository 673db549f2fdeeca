#!/usr/bin/env bash
# CPU of the idle console under Wine with its entries blinking, read from /proc (Wine reports no
# times of another process), and its memory. Prints figures; judges nothing.
# Usage: scripts/idle-cpu.sh [seconds] [entries]   (60 s and 50 entries unless given)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
entries=${2:-50}
source scripts/wine-env.sh
source scripts/xvfb.sh
[[ -n "${DISPLAY:-}" ]] || teshmar_start_xvfb
trap teshmar_stop_wine_and_xvfb EXIT
teshmar_wine_prefix
dir=$(mktemp -d)
cp build/win64/bin/TeshmarScripted.exe "$dir/"
printf 'server 127.0.0.1\n  database Store\n    table Base\n' > "$dir/ScriptedDb.txt"
{
  printf '[Entries]\r\nCount=%d\r\n' "$entries"
  for i in $(seq "$entries"); do printf '[Entry%d]\r\nName=门店%d\r\nAddr=广东省,东莞市,,路%d\r\nKind=1\r\n' "$i" "$i" "$i"; done
} | iconv -f UTF-8 -t CP936 > "$dir/Entries.ini"
# Every other entry has no link, so half the numbers blink and no message window waits for a click.
for i in $(seq 1 2 "$entries"); do
  printf '[Item%d]\r\nServername=127.0.0.1\r\nDatabase=Store\r\nLogid=sa\r\nLogpass=pw\r\n' "$i"
done > "$dir/Quorvan.ini"
(cd "$dir" && wine TeshmarScripted.exe >/dev/null 2>&1 &)
# Until the first show's checks are over: the last entry's is the record's last line.
for _ in $(seq 600); do
  [[ $(grep -c '^open ' "$dir/ScriptedDb.record.txt" 2>/dev/null || true) -ge $(( (entries + 1) / 2 )) ]] && break
  sleep 0.1
done
sleep 3
pid=$(pgrep -x TeshmarScripted | head -n 1)
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
xvfb=$(pgrep -x Xvfb | tail -n 1)
a=$(ticks "$pid"); x=$(ticks "$xvfb"); sleep "$seconds"; b=$(ticks "$pid"); y=$(ticks "$xvfb")
hz=$(getconf CLK_TCK)
awk -v c=$((b - a)) -v x=$((y - x)) -v s="$seconds" -v hz="$hz" -v n="$entries" -v down=$((entries / 2)) 'BEGIN {
  printf "idle console, %d entries (%d blinking), %d s: %.2f%% of one core (Xvfb drawing it: %.2f%%)\n",
         n, down, s, 100 * c / hz / s, 100 * x / hz / s }'
# Resident memory of the console's process (Wine's own share included).
awk '/^VmRSS/ {printf "console resident memory: %d KiB\n", $2}' "/proc/$pid/status"
rm -rf "$dir"
