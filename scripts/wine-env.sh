# Sourced: the project's own Wine prefix inside the build tree, never the user's.
# Sets WINEPREFIX and friends; teshmar_wine_prefix creates and configures the prefix once.
: "${TESHMAR_BUILD_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
export WINEPREFIX="$TESHMAR_BUILD_ROOT/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko installer dialogs when the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=C.UTF-8 LC_ALL=C.UTF-8
# Wine keeps nothing in $HOME when the prefix is given; XDG paths point into the build tree too.
export XDG_CACHE_HOME="$TESHMAR_BUILD_ROOT/xdg-cache"
export XDG_CONFIG_HOME="$TESHMAR_BUILD_ROOT/xdg-config"
export XDG_DATA_HOME="$TESHMAR_BUILD_ROOT/xdg-data"

teshmar_wine_prefix() {
  mkdir -p "$TESHMAR_BUILD_ROOT"
  local here settings ready
  here="$(dirname "${BASH_SOURCE[0]}")"
  # The prefix is set up again whenever its settings change.
  settings=$(cat "$here/wine-prefix.reg" "${BASH_SOURCE[0]}" | sha256sum | cut -c1-16)
  ready="$WINEPREFIX/.teshmar-ready-$settings"
  [[ -f "$ready" ]] && return 0
  (
    flock 9
    [[ -f "$ready" ]] && exit 0
    [[ -f "$WINEPREFIX/system.reg" ]] || wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    # Wine does not find its own Marlett, which draws the caption buttons; the prefix gets a copy.
    cp -n /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local reg="$TESHMAR_BUILD_ROOT/teshmar-prefix.reg"
    # regedit reads UTF-16 files with a byte-order mark, which carries the Chinese face names.
    {
      printf '\xef\xbb\xbf'
      cat "$here/wine-prefix.reg"
    } | iconv -f UTF-8 -t UTF-16 > "$reg"
    wine regedit /S "$reg" >/dev/null 2>&1
    wineserver -w || true
    rm -f "$WINEPREFIX"/.teshmar-ready*
    touch "$ready"
  ) 9> "$TESHMAR_BUILD_ROOT/wine-prefix.lock"
}
