#!/usr/bin/env bash
# Builds the release packages into dist/: for win64 and win32 a portable zip and an installer.
#   dist/Teshmar-<version>-win64.zip, -win32.zip: Teshmar.exe, the sample Entries.ini, 使用说明.txt
#   dist/Teshmar-<version>-win64-setup.exe, -win32-setup.exe: NSIS, per user (package/Teshmar.nsi)
# The version is the project's (CMakeLists.txt), as the program's version resource shows it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
scripts/build.sh win64 win32

version=$(cat build/win64/version.txt)
[[ "$version" =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || { echo "bad version \"$version\" in build/win64/version.txt" >&2; exit 1; }
[[ "$(cat build/win32/version.txt)" == "$version" ]] || { echo "win64 and win32 trees disagree on the version" >&2; exit 1; }

readme="package/使用说明.txt"
for f in samples/Entries.ini "$readme" package/Teshmar.nsi res/Teshmar.ico build/win64/bin/Teshmar.exe build/win32/bin/Teshmar.exe; do
  [[ -s "$f" ]] || { echo "missing: $f" >&2; exit 1; }
done
# The usage text must open right in Notepad on Windows 7: a byte-order mark and CRLF line ends.
[[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" == "efbbbf" ]] || { echo "$readme has no UTF-8 byte-order mark" >&2; exit 1; }
if [[ "$(grep -c $'\r$' "$readme")" != "$(wc -l < "$readme")" || "$(tail -c 1 "$readme" | od -An -tx1 | tr -d ' ')" != "0a" ]]; then
  echo "$readme needs CRLF line ends on every line" >&2
  exit 1
fi

mkdir -p dist
# The same sources give the same zips: every file carries the time of the last commit.
stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
declare -A target=([win64]=amd64-unicode [win32]=x86-unicode)
for arch in win64 win32; do
  stage="dist/.stage-$arch"
  rm -rf "$stage"
  mkdir -p "$stage"
  cp "build/$arch/bin/Teshmar.exe" "$stage/Teshmar.exe"
  cp samples/Entries.ini "$stage/Entries.ini"
  cp "$readme" "$stage/使用说明.txt"
  touch -d "@$stamp" "$stage"/*

  zip_file="dist/Teshmar-$version-$arch.zip"
  rm -f "$zip_file"
  # Names in code page 936 with their UTF-8 form beside them: Windows 7's Explorer reads them right.
  TZ=UTC scripts/make-zip.py "$zip_file" "$stamp" "$stage/Teshmar.exe" "$stage/Entries.ini" "$stage/使用说明.txt"

  setup="dist/Teshmar-$version-$arch-setup.exe"
  rm -f "$setup"
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DTARGET="${target[$arch]}" -DSTAGE="$root/$stage" \
    -DICON="$root/res/Teshmar.ico" -DOUTFILE="$root/$setup" package/Teshmar.nsi
  [[ -s "$setup" ]] || { echo "makensis wrote no $setup" >&2; exit 1; }
  rm -rf "$stage"
done

echo "== packages of Teshmar $version"
for f in dist/Teshmar-"$version"-win64.zip dist/Teshmar-"$version"-win32.zip \
         dist/Teshmar-"$version"-win64-setup.exe dist/Teshmar-"$version"-win32-setup.exe; do
  printf '%10d bytes  %s\n' "$(stat -c %s "$f")" "$f"
done
