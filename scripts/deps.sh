#!/bin/bash
# Installs what building, running and testing Kalvora needs on Debian 12 (as root, or through sudo); quick when all is there.
set -u -o pipefail

LOG=/tmp/kalvora-deps.log
SCRIPT=$(readlink -f "$0")
export DEBIAN_FRONTEND=noninteractive
APT_OPTS=(-y -q -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold)

PACKAGES=(
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools cmake googletest python3
  wine wine32:i386 wine64 xvfb xauth xdotool imagemagick x11-utils
  pulseaudio pulseaudio-utils sox fonts-ipafont-gothic fonts-dejavu-core procps ffmpeg
  nsis extremetuxracer-data
)
QEMU_I386=/usr/bin/qemu-i386-static
BINFMT=/proc/sys/fs/binfmt_misc

say() { echo "[deps] $*" >&2; }

fail() {
  say "$1 (log: $LOG)"
  tail -n 30 "$LOG" >&2
  exit 1
}

# Runs a command with its output in the log; on failure shows the log's tail and stops.
run_logged() {
  "$@" >>"$LOG" 2>&1 || fail "failed: $*"
}

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

APT_UPDATED=0
apt_update() {
  ((APT_UPDATED)) && return 0
  say "apt-get update"
  # A mirror caught mid-sync fails one index now and then; the next try, or the lists it did fetch, serve.
  local try
  for try in 1 2 3; do
    apt-get update -q >>"$LOG" 2>&1 && break
    ((try == 3)) && { say "apt-get update failed three times; installing from the lists it has"; break; }
    sleep 10
  done
  APT_UPDATED=1
}

ensure_i386_arch() {
  dpkg --print-foreign-architectures | grep -qx i386 && return 0
  say "adding the i386 architecture"
  run_logged dpkg --add-architecture i386
  APT_UPDATED=0
}

ensure_packages() {
  local missing=() p
  for p in "$@"; do installed "$p" || missing+=("$p"); done
  ((${#missing[@]} == 0)) && return 0
  apt_update
  say "installing ${missing[*]}"
  apt-get install "${APT_OPTS[@]}" --no-install-recommends "${missing[@]}" >>"$LOG" 2>&1 && return 0
  # An i386 index that a mirror left out (caught mid-sync) makes its 64-bit twins newer than the 32-bit ones
  # that multiarch needs at the same version: the release's own versions, taken first, always pair up.
  say "retrying with the release's own versions first"
  run_logged apt-get install "${APT_OPTS[@]}" --no-install-recommends -t bookworm "${missing[@]}"
}

# ---- 32-bit programs on a kernel without ia32 emulation: run the i386 loader through qemu-user ----

native_32bit_fails() {
  local out
  out=$(/lib/ld-linux.so.2 --version 2>&1) && return 1
  grep -qi 'exec format error' <<<"$out"
}

binfmt_entry_exists() { [[ -e $BINFMT/qemu-i386 ]]; }

qemu_recent() {
  local v
  installed qemu-user-static || return 1
  v=$(dpkg-query -W -f='${Version}' qemu-user-static)
  dpkg --compare-versions "$v" ge 1:10
}

ensure_backports_source() {
  local f=/etc/apt/sources.list.d/backports.sources
  grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/ && return 0
  say "adding bookworm-backports"
  cat >"$f" <<'EOF'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  APT_UPDATED=0
}

# Bookworm's own qemu 7.2 makes every Wine start take about 50 s; the backport (10.x) is fast.
ensure_qemu() {
  qemu_recent && return 0
  ensure_backports_source
  apt_update
  say "installing qemu-user-static from bookworm-backports"
  run_logged apt-get install "${APT_OPTS[@]}" -t bookworm-backports qemu-user-static
  QEMU_CHANGED=1
}

ensure_binfmt_mounted() {
  [[ -e $BINFMT/register ]] && return 0
  run_logged mount -t binfmt_misc binfmt_misc "$BINFMT"
}

# With flag F the kernel holds the interpreter file opened at registration: after a qemu upgrade
# (or when another interpreter is registered) the entry must be made again.
binfmt_entry_current() {
  binfmt_entry_exists || return 1
  grep -qx 'enabled' "$BINFMT/qemu-i386" || return 1
  grep -qx "interpreter $QEMU_I386" "$BINFMT/qemu-i386" || return 1
  grep -q '^flags:.*F' "$BINFMT/qemu-i386" || return 1
  ((QEMU_CHANGED == 0))
}

register_binfmt() {
  binfmt_entry_exists && echo -1 >"$BINFMT/qemu-i386"
  say "registering $QEMU_I386 for i386 ELF"
  echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$QEMU_I386"':F' \
    >"$BINFMT/register" || fail "binfmt registration failed"
}

ensure_32bit_runs() {
  QEMU_CHANGED=0
  if [[ ! -e $BINFMT/register ]]; then
    native_32bit_fails || return 0
    ensure_binfmt_mounted
  fi
  # A working qemu entry hides whether the kernel itself could run the loader; keep it fresh then.
  if binfmt_entry_exists || native_32bit_fails; then
    ensure_qemu
    binfmt_entry_current || register_binfmt
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || fail "32-bit programs still cannot run"
}

# ---- Without root: nothing to do when all is there; else sudo runs this script, or the user is told what to run

missing_packages() {
  local p
  for p in "${PACKAGES[@]}"; do installed "$p" || echo "$p"; done
}

# The installed 32-bit loader cannot start: the kernel needs the qemu registration that only this script makes.
loader_broken() {
  [[ -e /lib/ld-linux.so.2 ]] && ! /lib/ld-linux.so.2 --version >/dev/null 2>&1
}

# The one line a user without sudo runs as root.
root_command() {
  local missing=("$@") line=""
  if ((${#missing[@]} == 0)); then
    echo "bash $SCRIPT"   # only the 32-bit set-up is missing
    return
  fi
  dpkg --print-foreign-architectures | grep -qx i386 || line="dpkg --add-architecture i386 && "
  echo "${line}apt-get update && apt-get install -y --no-install-recommends ${missing[*]}"
}

without_root() {
  local missing
  mapfile -t missing < <(missing_packages)
  ((${#missing[@]} == 0)) && ! loader_broken && exit 0
  if command -v sudo >/dev/null 2>&1; then
    say "installing as root through sudo: ${missing[*]:-the 32-bit set-up}"
    sudo -- bash "$SCRIPT" && exit 0
    say "sudo did not succeed"
  fi
  say "missing: ${missing[*]:-a working 32-bit loader}. As root, run:"
  echo "  $(root_command "${missing[@]}")" >&2
  exit 1
}

main() {
  ((EUID == 0)) || without_root
  : >"$LOG"
  ensure_i386_arch
  # The 32-bit loader first: later i386 packages run 32-bit helpers in their install scripts.
  ensure_packages libc6:i386
  ensure_32bit_runs
  ensure_packages "${PACKAGES[@]}"
  rm -f "$LOG"
}

main "$@"
