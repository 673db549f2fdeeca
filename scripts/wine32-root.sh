#!/usr/bin/env bash
# Prepares build/wine32-root, the Debian tree in which the 32-bit build runs under 32-bit Wine:
# debootstrap of the release and archive that the machine's apt sources name, i386 added inside,
# then Wine (wine, wine64, wine32:i386) and what the tests need. Later runs find it complete and
# return at once; a tree whose base was cut off half-way is made again, an interrupted install is
# resumed. Run as root or with sudo.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine32-tree.sh"
tree=$TESHMAR_WINE32_ROOT
marker=$(teshmar_wine32_marker)
[[ -f "$marker" ]] && exit 0

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
die() {
  echo "wine32-root: $*" >&2
  echo "wine32-root: run scripts/wine32-root.sh again to retry; rm -rf $tree starts the tree afresh" >&2
  exit 1
}

# The release, archive and key of the machine's own Debian sources: the deb822 file of a Debian 12
# machine, else the one-line sources.list. The first suite without a dash (not -updates, -security).
read_sources() {
  local file=/etc/apt/sources.list.d/debian.sources
  if [[ -f "$file" ]]; then
    awk '
      function flush() {
        if (!found && types ~ /(^| )deb( |$)/ && uri != "")
          for (i = 1; i <= ns; i++) if (suites[i] !~ /-/) { print uri, suites[i], key; found = 1; break }
        types = ""; uri = ""; ns = 0; key = ""
      }
      /^[ \t]*$/ { flush(); next }
      /^#/ { next }
      tolower($1) == "types:" { types = ""; for (i = 2; i <= NF; i++) types = types " " $i; types = types " " }
      tolower($1) == "uris:" { uri = $2 }
      tolower($1) == "suites:" { ns = 0; for (i = 2; i <= NF; i++) suites[++ns] = $i }
      tolower($1) == "signed-by:" { key = $2 }
      END { flush() }
    ' "$file"
  elif [[ -f /etc/apt/sources.list ]]; then
    awk '$1 == "deb" && $2 !~ /^\[/ && $3 !~ /-/ { print $2, $3, ""; exit }' /etc/apt/sources.list
  fi
}

# Nothing of the host may be mounted below the tree before it is removed or written.
if findmnt -rn -o TARGET | grep -q "^$tree\(/\|$\)"; then
  die "something is mounted below $tree (findmnt | grep $tree); unmount it first"
fi

mkdir -p "$TESHMAR_BUILD_ROOT"
exec 9> "$TESHMAR_BUILD_ROOT/wine32-root.lock"
# Another run may be making it right now.
flock 9
[[ -f "$marker" ]] && exit 0
started=$(date +%s)

if [[ ! -f "$tree/.teshmar-base" ]]; then
  read -r uri suite key < <(read_sources) || true
  [[ -n "${uri:-}" && -n "${suite:-}" ]] ||
    die "found no Debian archive in /etc/apt/sources.list.d/debian.sources or /etc/apt/sources.list"
  command -v debootstrap >/dev/null || die "debootstrap is missing (scripts/deps.sh installs it)"
  echo "== preparing the 32-bit Wine tree $tree: Debian $suite from $uri"
  "${sudo_cmd[@]}" rm -rf "$tree"
  keyring=()
  [[ -n "$key" && -f "$key" ]] && keyring=(--keyring="$key")
  log="$TESHMAR_BUILD_ROOT/wine32-root.log"
  if ! "${sudo_cmd[@]}" debootstrap --variant=minbase --arch="$(dpkg --print-architecture)" "${keyring[@]}" \
      "$suite" "$tree" "$uri" > "$log" 2>&1; then
    tail -n 20 "$log" >&2
    die "debootstrap of $suite from $uri failed (whole log: $log)"
  fi
  # The same archive as the host's, updates and security included, so both Wines are the same build.
  if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    "${sudo_cmd[@]}" cp /etc/apt/sources.list.d/debian.sources "$tree/etc/apt/sources.list.d/debian.sources"
    "${sudo_cmd[@]}" rm -f "$tree/etc/apt/sources.list"
  fi
  "${sudo_cmd[@]}" chroot "$tree" dpkg --add-architecture i386
  # No service of a package starts inside the tree.
  printf '#!/bin/sh\nexit 101\n' | "${sudo_cmd[@]}" tee "$tree/usr/sbin/policy-rc.d" >/dev/null
  "${sudo_cmd[@]}" chmod +x "$tree/usr/sbin/policy-rc.d"
  "${sudo_cmd[@]}" touch "$tree/.teshmar-base"
fi

echo "== installing 32-bit Wine into $tree"
"${sudo_cmd[@]}" cp /etc/resolv.conf "$tree/etc/resolv.conf"
install() {
  export DEBIAN_FRONTEND=noninteractive
  teshmar_wine32_chroot dpkg --configure -a &&
    teshmar_wine32_chroot apt-get update -qq &&
    teshmar_wine32_chroot apt-get install -y -qq --no-install-recommends "${teshmar_wine32_packages[@]}"
}
log="$TESHMAR_BUILD_ROOT/wine32-root.log"
if ! install > "$log" 2>&1; then
  tail -n 20 "$log" >&2
  die "installing ${teshmar_wine32_packages[*]} into the tree failed (whole log: $log)"
fi
# Downloaded packages are not needed again.
teshmar_wine32_chroot apt-get clean
[[ -x "$tree/usr/lib/wine/wine" ]] || die "the tree has no 32-bit Wine loader (/usr/lib/wine/wine) after the install"
"${sudo_cmd[@]}" rm -f "$tree"/.teshmar-ready-*
"${sudo_cmd[@]}" touch "$marker"
echo "32-bit Wine tree ready in $(($(date +%s) - started)) s: $(du -sh "$tree" | cut -f1) in $tree"
