# Sourced: the Debian tree in which the 32-bit build runs under 32-bit Wine (this host cannot take
# wine32:i386: the archive's i386 system libraries are newer than its installed amd64 ones).
# scripts/wine32-root.sh makes the tree; teshmar_wine32_chroot runs a command inside it.
: "${TESHMAR_BUILD_ROOT:=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build}"
TESHMAR_PROJECT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
TESHMAR_WINE32_ROOT="$TESHMAR_BUILD_ROOT/wine32-root"

# What the tree holds beyond debootstrap's minimal base. libodbc2 and libsqliteodbc give 32-bit
# Wine's MSDASQL a data source; the X extension libraries make 32-bit Wine draw as the host's
# 64-bit Wine does (it loads them at run time, so without them it silently draws differently).
teshmar_wine32_packages=(
  wine wine64 wine32:i386 fonts-wine fonts-wqy-zenhei
  libodbc2:i386 libsqliteodbc:i386
  libxrender1:i386 libxrandr2:i386 libxcursor1:i386 libxi6:i386 libxinerama1:i386
  libxcomposite1:i386 libxfixes3:i386 libxxf86vm1:i386
)
# A tree is complete when the marker of this package list is there.
teshmar_wine32_marker() {
  echo "$TESHMAR_WINE32_ROOT/.teshmar-ready-$(printf '%s\n' "${teshmar_wine32_packages[@]}" | sha256sum | cut -c1-16)"
}
teshmar_wine32_ready() { [[ -f "$(teshmar_wine32_marker)" ]]; }

# Runs a command inside the tree, as root (or through sudo) for chroot, with this project at its own
# path, /proc, /sys, /dev and the X server's sockets. The mounts are made in a mount namespace of the
# command's own, so the host never sees them: they vanish when its last process (the wineserver that
# Wine leaves behind included) ends, on every exit path, a kill included, and never stack up; `rm -rf
# build` never meets them.
teshmar_wine32_chroot() {
  local sudo_cmd=() user=
  if [[ $(id -u) -ne 0 ]]; then
    sudo_cmd=(sudo --preserve-env)
    user="--userspec=$(id -u):$(id -g)"
  fi
  local binds=("$TESHMAR_PROJECT_ROOT")
  [[ "$TESHMAR_BUILD_ROOT/" == "$TESHMAR_PROJECT_ROOT/"* ]] || binds+=("$TESHMAR_BUILD_ROOT")
  "${sudo_cmd[@]}" unshare --mount --propagation private -- bash -c '
    set -e
    tree=$1 user=$2 cwd=$3 n=$4; shift 4
    mkdir -p "$tree/proc" "$tree/sys" "$tree/dev" "$tree/tmp/.X11-unix"
    mount -t proc proc "$tree/proc"
    mount --rbind /sys "$tree/sys"
    mount --rbind /dev "$tree/dev"
    for ((i = 0; i < n; i++)); do
      mkdir -p "$tree$1"
      mount --bind "$1" "$tree$1"
      shift
    done
    if [[ -d /tmp/.X11-unix ]]; then mount --bind /tmp/.X11-unix "$tree/tmp/.X11-unix"; fi
    # The caller'"'"'s working directory when the tree has it (the project'"'"'s folders do).
    exec chroot $user "$tree" bash -c '"'"'cd "$1" 2>/dev/null || cd /; shift; exec "$@"'"'"' bash "$cwd" "$@"
  ' bash "$TESHMAR_WINE32_ROOT" "$user" "$PWD" "${#binds[@]}" "${binds[@]}" "$@"
}

# Whether this machine's kernel runs 32-bit x86 programs at all. A kernel booted without IA-32
# emulation (ia32_emulation=off, or built so) refuses them with "Exec format error", and no Wine
# can run a 32-bit Windows program there. Asked of a 100-byte i386 program that prints a line.
teshmar_runs_32bit_code() {
  local probe out
  probe=$(mktemp "${TMPDIR:-/tmp}/teshmar-i386-probe.XXXXXX")
  python3 - "$probe" <<'PY'
import struct, sys
base, msg = 0x08048000, b"32-bit code runs\n"
code_at = 52 + 32
code = (b"\xb8\x04\x00\x00\x00" b"\xbb\x01\x00\x00\x00"          # write(1,
        + b"\xb9" + struct.pack("<I", base + code_at + 31)         #   msg,
        + b"\xba" + struct.pack("<I", len(msg)) + b"\xcd\x80"      #   len)
        b"\xb8\x01\x00\x00\x00" b"\x31\xdb" b"\xcd\x80")           # exit(0)
size = code_at + len(code) + len(msg)
header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + code_at, 52, 0, 0, 52, 32, 1, 0, 0, 0)
program = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
with open(sys.argv[1], "wb") as f:
    f.write(header + program + code + msg)
PY
  chmod +x "$probe"
  out=$("$probe" 2>/dev/null) || true
  rm -f "$probe"
  [[ "$out" == "32-bit code runs" ]]
}
