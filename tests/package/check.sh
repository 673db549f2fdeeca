#!/usr/bin/env bash
# Checks the release packages in dist/ (scripts/package.sh) under Wine, in a fresh prefix of
# their own under build/package-check: one version everywhere; the portable zip's console starts
# and writes Quorvan.ini beside itself; the 64-bit installer installs per user, refuses while the
# console runs, keeps the operator's files over an update, and its uninstaller leaves exactly them;
# under 32-bit Wine (scripts/wine32-do, a 32-bit Windows), the 32-bit zip's console starts and paints,
# and the 32-bit installer installs silently, its console starts, and its uninstaller removes it.
# Prints the packages' sizes and the installer's run times. Exit code 0 when every check held.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
cd "$root"
source scripts/wine-env.sh
source scripts/xvfb.sh
source scripts/wine32-tree.sh

started=$(date +%s.%N)
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
expect_eq() {  # expect_eq WHAT ACTUAL EXPECTED
  if [[ "$2" == "$3" ]]; then ok "$1"; else fail "$1: \"$2\", expected \"$3\""; fi
}
seconds_since() { awk -v a="$1" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }'; }

version=$(cat build/win64/version.txt)
zip64="dist/Teshmar-$version-win64.zip"
zip32="dist/Teshmar-$version-win32.zip"
setup64="dist/Teshmar-$version-win64-setup.exe"
setup32="dist/Teshmar-$version-win32-setup.exe"
driver_exe=$(ls build/win64/bin/teshmar-driver.exe build/win64/tools/driver/teshmar-driver.exe 2>/dev/null | head -n 1 || true)
probe_exe=build/win64/bin/version-probe.exe
for f in "$zip64" "$zip32" "$setup64" "$setup32" "${driver_exe:-teshmar-driver.exe}" "$probe_exe" build/win64/bin/Teshmar.exe; do
  [[ -s "$f" ]] || { echo "missing: $f (run scripts/package.sh and scripts/build.sh win64 first)" >&2; exit 1; }
done

# A fresh prefix, set up as the project's own (date format, fonts), with nothing installed yet.
work="$root/build/package-check"
if [[ -d "$work/prefix" ]]; then WINEPREFIX="$work/prefix" wineserver -k >/dev/null 2>&1 || true; fi
if [[ -d "$work/prefix32" ]] && teshmar_wine32_ready; then
  TESHMAR_WINE32_PREFIX="$work/prefix32" scripts/wine32-do wineserver -k >/dev/null 2>&1 || true
fi
rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$work/prefix"
export XDG_CACHE_HOME="$work/xdg-cache" XDG_CONFIG_HOME="$work/xdg-config" XDG_DATA_HOME="$work/xdg-data"
# No Linux menu entries for the shortcuts the installer makes.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
own_xvfb=
if [[ -z "${DISPLAY:-}" ]]; then
  teshmar_start_xvfb
  own_xvfb=$TESHMAR_XVFB_PID
fi
# Ends this prefix's Wine and an Xvfb of our own; a prefix that passed is removed (it is large),
# one that failed stays for a look.
cleanup() {
  command wineserver -k >/dev/null 2>&1 || true
  command wineserver -w >/dev/null 2>&1 || true
  if [[ -d "$work/prefix32" ]]; then
    TESHMAR_WINE32_PREFIX="$work/prefix32" "$root/scripts/wine32-do" wineserver -k >/dev/null 2>&1 || true
  fi
  [[ -z "$own_xvfb" ]] || kill "$own_xvfb" >/dev/null 2>&1 || true
  ((failures)) || rm -rf "$work/prefix" "$work/prefix32"
}
trap cleanup EXIT
t=$(date +%s.%N)
teshmar_wine_prefix
echo "fresh Wine prefix made in $(seconds_since "$t") s"

run_driver() { wine "$driver_exe" "$@" | tr -d '\r'; }
probe() { wine "$probe_exe" "$(winepath -w "$1")" | tr -d '\r' | awk -F '\t' -v k="$2" '$1 == k { print $2 }'; }
sha() { sha256sum "$@" | awk '{ print $1 }'; }

# Starts the console at this Unix path and waits for its main window; its process id in console_pid.
start_console() {
  local exe=$1
  console_pid=$(run_driver launch "$(winepath -w "$exe")" --dir "$(winepath -w "$(dirname "$exe")")")
  if run_driver wait-window --pid "$console_pid" --class TMainForm --caption Teshmar --timeout 30000 >/dev/null; then
    ok "main window of $exe"
  else
    fail "no main window of $exe"
  fi
}
# Ends it as the tray menu's "关闭" does and waits for the process to end.
close_console() {
  local pid=$1 code
  run_driver post --pid "$pid" --class TMainForm --hidden --msg 0x111 --wparam 2003 >/dev/null || fail "could not close the console"
  code=$(run_driver wait-exit --pid "$pid" --timeout 20000) || code="still running"
  expect_eq "the console ended" "$code" 0
  # One left running would stop every later step.
  [[ "$code" == 0 ]] || wine taskkill /f /pid "$pid" >/dev/null 2>&1 || true
}
# Pixels of one colour in a rectangle of a PNG: colour x y width height file.
count_colour() {
  convert "$6" -crop "${4}x${5}+${2}+${3}" +repage -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:round(mean*w*h)]' info:
}
# Saves a screenshot once the console's main window shows as painted: mostly page colour, the
# buttons' dark blue frames and the red hint above the grid.
screenshot_painted() {  # screenshot_painted PID PNG
  local hwnd rect x y w h page frame red
  hwnd=$(run_driver wait-window --pid "$1" --class TMainForm --timeout 5000 | cut -f1) || return 1
  rect=$(run_driver texts --hwnd "$hwnd" | head -n 1 | cut -f6)
  IFS=',x' read -r x y w h <<<"$rect"
  for _ in $(seq 10); do
    run_driver screenshot --out "$(winepath -w "$2")" >/dev/null || return 1
    page=$(count_colour '#F7F6F5' "$x" "$y" "$w" "$h" "$2")
    frame=$(count_colour '#003C74' "$x" "$y" "$w" "$h" "$2")
    red=$(count_colour '#E80000' "$x" "$y" "$w" "$h" "$2")
    ((page > w * h / 4 && frame > 100 && red > 30)) && return 0
    sleep 1
  done
  echo "window $rect: $page page, $frame frame, $red red pixels" >&2
  return 1
}
wait_for_file() {  # wait_for_file PATH SECONDS
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    [[ -e "$1" ]] && return 0
    sleep 0.1
  done
  return 1
}

echo "== one version: $version"
for exe in build/win64/bin/Teshmar.exe build/win32/bin/Teshmar.exe "$setup64" "$setup32"; do
  [[ -f "$exe" ]] || continue
  expect_eq "$exe file version" "$(probe "$exe" FixedFileVersion)" "$version"
  expect_eq "$exe product version" "$(probe "$exe" ProductVersion)" "$version"
done
expect_eq "installer's product name" "$(probe "$setup64" ProductName)" "Teshmar"

echo "== the zips"
for z in "$zip64" "$zip32"; do
  expect_eq "$z holds" "$(unzip -Z1 "$z" | sort | tr '\n' ' ')" "Entries.ini Teshmar.exe 使用说明.txt "
  # Every name that is not ASCII is stored in code page 936 without the UTF-8 flag, and carries its
  # UTF-8 form in a Unicode path field whose checksum matches the stored name.
  while read -r verdict; do
    case "$verdict" in ok:*) ok "$z: ${verdict#ok:}" ;; *) fail "$z: ${verdict#fail:}" ;; esac
  done < <(python3 - "$z" <<'PY'
import struct, sys, zipfile, zlib
with zipfile.ZipFile(sys.argv[1]) as archive:
    for info in archive.infolist():
        raw = info.orig_filename.encode("cp437") if not info.flag_bits & 0x800 else info.orig_filename.encode("utf-8")
        if raw.isascii():
            continue
        fields, extra = {}, info.extra
        while len(extra) >= 4:
            tag, size = struct.unpack("<HH", extra[:4])
            fields[tag] = extra[4:4 + size]
            extra = extra[4 + size:]
        unicode_path = fields.get(0x7075, b"")
        good = (not info.flag_bits & 0x800 and len(unicode_path) > 5 and unicode_path[0] == 1
                and struct.unpack("<I", unicode_path[1:5])[0] == zlib.crc32(raw))
        name = unicode_path[5:].decode("utf-8", "replace")
        print(("ok:" if good else "fail:") + f"{name} stored as code page 936 {raw.decode('cp936', 'replace')}"
              + ("" if good else f" (flags {info.flag_bits:#x}, Unicode path field {unicode_path!r})"))
PY
)
done
portable="$work/portable"
mkdir -p "$portable"
unzip -q "$zip64" -d "$portable"
expect_eq "zip's Entries.ini is the sample" "$(sha "$portable/Entries.ini")" "$(sha samples/Entries.ini)"
expect_eq "zip's usage text" "$(sha "$portable/使用说明.txt")" "$(sha package/使用说明.txt)"
expect_eq "zip's console is the win64 build" "$(sha "$portable/Teshmar.exe")" "$(sha build/win64/bin/Teshmar.exe)"
start_console "$portable/Teshmar.exe"
if wait_for_file "$portable/Quorvan.ini" 20 && grep -q 'version=140120' "$portable/Quorvan.ini"; then
  ok "the portable console wrote Quorvan.ini beside itself"
else
  fail "no Quorvan.ini beside the portable console"
fi
screenshot_painted "$console_pid" "$work/portable.png" && ok "the portable console painted its window" || fail "the portable console's window was not painted"
close_console "$console_pid"

echo "== the 64-bit installer"
appdata=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
roaming=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")
instdir="$appdata/Programs/Teshmar"
menu="$roaming/Microsoft/Windows/Start Menu/Programs/Teshmar.lnk"
# Wine names the folder StartUp, Windows Startup.
startup=$(find "$roaming/Microsoft/Windows/Start Menu/Programs" -maxdepth 1 -iname startup | head -n 1)/Teshmar.lnk
[[ "$startup" != /Teshmar.lnk ]] || fail "the prefix has no Startup folder"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Teshmar'
regvalue() { wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | awk -v k="$1" '$1 == k { sub(/^[ \t]*[^ \t]+[ \t]+[^ \t]+[ \t]+/, ""); print }'; }

t=$(date +%s.%N)
code=0; wine "$setup64" /S || code=$?
install_time=$(seconds_since "$t")
expect_eq "silent install's exit code" "$code" 0
expect_eq "installed files" "$(cd "$instdir" 2>/dev/null && ls | sort | tr '\n' ' ')" "Entries.ini Teshmar.exe Uninstall.exe 使用说明.txt "
expect_eq "installed console" "$(sha "$instdir/Teshmar.exe")" "$(sha build/win64/bin/Teshmar.exe)"
expect_eq "installed sample list" "$(sha "$instdir/Entries.ini")" "$(sha samples/Entries.ini)"
[[ -f "$menu" ]] && ok "Start-menu shortcut" || fail "no Start-menu shortcut at $menu"
links_to_console() { grep -qaF "$(winepath -w "$instdir")\Teshmar.exe" "$1"; }
[[ ! -e "$startup" ]] && ok "no Startup shortcut without /STARTUP" || fail "a Startup shortcut without /STARTUP"
instdir_win=$(winepath -w "$instdir")
links_to_console "$menu" && ok "Start-menu shortcut leads to the console" || fail "Start-menu shortcut leads elsewhere"
expect_eq "DisplayName" "$(regvalue DisplayName)" "Teshmar"
expect_eq "DisplayVersion" "$(regvalue DisplayVersion)" "$version"
expect_eq "Publisher" "$(regvalue Publisher)" "Quorvan"
expect_eq "DisplayIcon" "$(regvalue DisplayIcon)" "$instdir_win\\Teshmar.exe,0"
expect_eq "UninstallString" "$(regvalue UninstallString)" "\"$instdir_win\\Uninstall.exe\""
expect_eq "QuietUninstallString" "$(regvalue QuietUninstallString)" "\"$instdir_win\\Uninstall.exe\" /S"
expect_eq "InstallLocation" "$(regvalue InstallLocation)" "$instdir_win"
expect_eq "NoModify" "$(regvalue NoModify)" "0x1"
expect_eq "NoRepair" "$(regvalue NoRepair)" "0x1"
size_kb=$(( $(regvalue EstimatedSize) ))
exe_kb=$(( $(stat -c %s "$instdir/Teshmar.exe") / 1024 ))
((size_kb >= exe_kb && size_kb < exe_kb + 200)) && ok "EstimatedSize $size_kb KiB" || fail "EstimatedSize $size_kb KiB for a console of $exe_kb KiB"

echo "== the installed console, and installer and uninstaller while it runs"
start_console "$instdir/Teshmar.exe"
wait_for_file "$instdir/Quorvan.ini" 20 && ok "the installed console wrote Quorvan.ini" || fail "no Quorvan.ini beside the installed console"
screenshot_painted "$console_pid" "$work/installed.png" && ok "the installed console painted its window" || fail "the installed console's window was not painted"
before=$(sha "$instdir/Teshmar.exe")
code=0; wine "$setup64" /S || code=$?
[[ "$code" != 0 ]] && ok "the installer refuses while the console runs (exit code $code)" || fail "the installer ran over a running console"
code=0; wine "$instdir/Uninstall.exe" /S "_?=$instdir_win" || code=$?
[[ "$code" != 0 ]] && ok "the uninstaller refuses while the console runs (exit code $code)" || fail "the uninstaller ran while the console runs"
expect_eq "console left in place" "$(sha "$instdir/Teshmar.exe")" "$before"
[[ -n "$(regvalue DisplayName)" ]] && ok "registry entry left in place" || fail "the refused uninstall removed the registry entry"
close_console "$console_pid"

echo "== an update keeps the operator's files"
printf '[Item1]\r\nServername=10.0.0.9\r\nDatabase=Store09\r\n' >> "$instdir/Quorvan.ini"
printf '[Entries]\r\nCount=1\r\n[Entry1]\r\nName=\xb6\xab\xb3\xc7\xb5\xea\r\nAddr=\r\nKind=1\r\n' > "$instdir/Entries.ini"
printf '"x","1","y","\xe6\x96\xad\xe5\xbc\x80",""\r\n' >> "$instdir/LinkHistory.csv"
printf 'older history\r\n' > "$instdir/LinkHistory.1.csv"
operator_files="Entries.ini LinkHistory.1.csv LinkHistory.csv Quorvan.ini"
expect_eq "operator's files before the update" "$(cd "$instdir" && ls $operator_files 2>/dev/null | tr '\n' ' ')" "$operator_files "
kept=$(cd "$instdir" && sha256sum $operator_files)
code=0; wine "$setup64" /S /STARTUP || code=$?
expect_eq "update's exit code" "$code" 0
expect_eq "operator's files after the update" "$(cd "$instdir" && sha256sum $operator_files)" "$kept"
if [[ -f "$startup" ]]; then
  show=$(od -An -tu4 -j $((0x3C)) -N4 "$startup" | tr -d ' ')
  links_to_console "$startup" && ok "Startup shortcut leads to the console" || fail "Startup shortcut leads elsewhere"
  [[ "$show" == 2 || "$show" == 7 ]] && ok "Startup shortcut starts minimised (show command $show)" || fail "Startup shortcut's show command is $show"
  # Windows starts a shortcut's program with the link's show command. Wine 8's ShellExecuteEx
  # does not (a .lnk opened by "start", with or without /min, shows the window normally), so the
  # console is started here as Windows would start it from this link.
  pid=$(run_driver launch "$(winepath -w "$instdir/Teshmar.exe")" --dir "$(winepath -w "$instdir")" --show "$show")
  main=$(run_driver wait-window --pid "$pid" --class TMainForm --caption Teshmar --hidden --timeout 30000 | cut -f1) || main=
  if [[ -n "$main" ]]; then
    for _ in $(seq 50); do run_driver tray-icon --hwnd "$main" --id 100 >/dev/null 2>&1 && break; sleep 0.2; done
    run_driver tray-icon --hwnd "$main" --id 100 >/dev/null && ok "started as from Startup: in the tray" || fail "started as from Startup: no tray icon"
    run_driver visible --hwnd "$main" >/dev/null && fail "started as from Startup: a taskbar button" || ok "started as from Startup: no taskbar button"
    close_console "$pid"
  else
    fail "started as from Startup: no console window"
  fi
  # That run noted its start and end in the history.
  kept=$(cd "$instdir" && sha256sum $operator_files)
else
  fail "no Startup shortcut after /STARTUP"
fi

echo "== uninstall"
t=$(date +%s.%N)
code=0; wine "$instdir/Uninstall.exe" /S || code=$?
expect_eq "uninstaller's exit code" "$code" 0
# The uninstaller runs on from a copy of itself; it is done when it has removed itself and its
# process has ended.
for _ in $(seq 300); do [[ -e "$instdir/Uninstall.exe" ]] || break; sleep 0.1; done
timeout 60 wineserver -w || fail "Wine processes still running a minute after the uninstall"
uninstall_time=$(seconds_since "$t")
expect_eq "left after uninstall" "$(cd "$instdir" && ls | sort | tr '\n' ' ')" "$operator_files "
expect_eq "operator's files after uninstall" "$(cd "$instdir" && sha256sum $operator_files)" "$kept"
[[ ! -e "$menu" && ! -e "$startup" ]] && ok "shortcuts removed" || fail "shortcuts left behind"
wine reg query "$key" >/dev/null 2>&1 && fail "registry entry left behind" || ok "registry entry removed"

echo "== /D= elsewhere (a Chinese name), and a folder without operator's files goes with the uninstall"
other="$work/prefix/drive_c/Teshmar控制台"
code=0; wine "$setup64" /S "/D=$(winepath -w "$other")" || code=$?
expect_eq "install into /D= folder" "$code:$(cd "$other" 2>/dev/null && ls | sort | tr '\n' ' ')" "0:Entries.ini Teshmar.exe Uninstall.exe 使用说明.txt "
if [[ -f "$other/Uninstall.exe" ]]; then
  rm -f "$other/Entries.ini"
  code=0; wine "$other/Uninstall.exe" /S || code=$?
  for _ in $(seq 300); do [[ -e "$other/Uninstall.exe" ]] || break; sleep 0.1; done
  timeout 60 wineserver -w || true
  [[ ! -e "$other" ]] && ok "empty folder removed" || fail "folder left: $(ls -A "$other" | tr '\n' ' ')"
fi

echo "== the 32-bit zip and installer, under 32-bit Wine"
if ! teshmar_runs_32bit_code; then
  echo "NOT RUN: the 32-bit zip's console and the 32-bit installer. This machine's kernel does not run" \
    "32-bit x86 programs (IA-32 emulation is off), so no 32-bit Wine can run here." >&2
elif ! scripts/wine32-root.sh; then
  fail "no 32-bit Wine tree"
else
  # From here on every Wine tool is the tree's, in a fresh 32-bit prefix of this check's own.
  export TESHMAR_WINE32_PREFIX="$work/prefix32"
  wine() { "$root/scripts/wine32-do" wine "$@"; }
  winepath() { "$root/scripts/wine32-do" winepath "$@"; }
  wineserver() { "$root/scripts/wine32-do" wineserver "$@"; }
  driver_exe=$(ls build/win32/bin/teshmar-driver.exe build/win32/tools/driver/teshmar-driver.exe 2>/dev/null | head -n 1 || true)
  [[ -s "${driver_exe:-}" ]] || fail "no 32-bit teshmar-driver.exe in build/win32"
  t=$(date +%s.%N)
  wine cmd /c ver >/dev/null 2>&1 || true
  echo "fresh 32-bit Wine prefix made in $(seconds_since "$t") s"

  portable32="$work/portable32"
  mkdir -p "$portable32"
  unzip -q "$zip32" -d "$portable32"
  expect_eq "win32 zip's console is the win32 build" "$(sha "$portable32/Teshmar.exe")" "$(sha build/win32/bin/Teshmar.exe)"
  start_console "$portable32/Teshmar.exe"
  if wait_for_file "$portable32/Quorvan.ini" 20 && grep -q 'version=140120' "$portable32/Quorvan.ini"; then
    ok "the 32-bit portable console wrote Quorvan.ini beside itself"
  else
    fail "no Quorvan.ini beside the 32-bit portable console"
  fi
  screenshot_painted "$console_pid" "$work/portable32.png" && ok "the 32-bit portable console painted its window" ||
    fail "the 32-bit portable console's window was not painted"
  close_console "$console_pid"

  appdata=$(winepath -u "$(wine cmd /c echo %LOCALAPPDATA% | tr -d '\r')")
  roaming=$(winepath -u "$(wine cmd /c echo %APPDATA% | tr -d '\r')")
  instdir="$appdata/Programs/Teshmar"
  menu="$roaming/Microsoft/Windows/Start Menu/Programs/Teshmar.lnk"
  t=$(date +%s.%N)
  code=0; wine "$setup32" /S || code=$?
  install32_time=$(seconds_since "$t")
  expect_eq "32-bit silent install's exit code" "$code" 0
  expect_eq "32-bit installed files" "$(cd "$instdir" 2>/dev/null && ls | sort | tr '\n' ' ')" "Entries.ini Teshmar.exe Uninstall.exe 使用说明.txt "
  expect_eq "32-bit installed console" "$(sha "$instdir/Teshmar.exe")" "$(sha build/win32/bin/Teshmar.exe)"
  expect_eq "32-bit DisplayName" "$(regvalue DisplayName)" "Teshmar"
  [[ -f "$menu" ]] && ok "32-bit Start-menu shortcut" || fail "no 32-bit Start-menu shortcut at $menu"
  start_console "$instdir/Teshmar.exe"
  screenshot_painted "$console_pid" "$work/installed32.png" && ok "the installed 32-bit console painted its window" ||
    fail "the installed 32-bit console's window was not painted"
  close_console "$console_pid"
  # What the console wrote beside itself stays; the program's own files go.
  kept=$(cd "$instdir" && ls | grep -vxF -e Teshmar.exe -e Uninstall.exe -e 使用说明.txt | sort | tr '\n' ' ')
  [[ "$kept" == *Quorvan.ini* ]] || fail "no Quorvan.ini beside the installed 32-bit console"
  t=$(date +%s.%N)
  code=0; wine "$instdir/Uninstall.exe" /S || code=$?
  expect_eq "32-bit uninstaller's exit code" "$code" 0
  for _ in $(seq 300); do [[ -e "$instdir/Uninstall.exe" ]] || break; sleep 0.1; done
  timeout 60 "$root/scripts/wine32-do" wineserver -w || fail "32-bit Wine processes still running a minute after the uninstall"
  uninstall32_time=$(seconds_since "$t")
  expect_eq "left after the 32-bit uninstall" "$(cd "$instdir" && ls | sort | tr '\n' ' ')" "$kept"
  [[ ! -e "$menu" ]] && ok "32-bit shortcut removed" || fail "32-bit shortcut left behind"
  wine reg query "$key" >/dev/null 2>&1 && fail "32-bit registry entry left behind" || ok "32-bit registry entry removed"
  echo "32-bit silent install under 32-bit Wine: $install32_time s; silent uninstall until done: $uninstall32_time s"
fi

echo "== figures"
for f in "$zip64" "$zip32" "$setup64" "$setup32"; do printf '%10d bytes  %s\n' "$(stat -c %s "$f")" "$f"; done
echo "silent install under Wine: $install_time s; silent uninstall until done: $uninstall_time s"
echo "release checks: $(seconds_since "$started") s in all"
if ((failures)); then
  echo "$failures release check(s) failed" >&2
  exit 1
fi
echo "all release checks passed"
