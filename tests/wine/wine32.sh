#!/bin/sh
# The 32-bit Wine of the x86 test bed. Debian's i386 Wine of the machine's own Wine release is
# unpacked into a cache, never installed: the machine's packages, architectures, apt sources and
# binfmt handlers stay as they are. Where the kernel runs no 32-bit code, qemu's i386 user
# emulator is kept beside it, and the test bed hands i386 programs to it through a binfmt_misc
# of its own user namespace.
#   wine32.sh install   make the cache, or remake it for the machine's Wine release (as root)
#   wine32.sh check     succeed when the cache serves this machine; otherwise say why
#   wine32.sh emulated  succeed when i386 programs need the emulator here
#   wine32.sh mount     in the test bed's mount namespace: lay the i386 Wine over /usr, and
#                       register the emulator when it is needed
set -eu
cache=/var/cache/quentix/wine32
root=$cache/root
qemu=$cache/qemu-i386
# Debian's i386 dynamic loader; it runs as a program of its own where the kernel runs 32-bit
# code, and so tells whether it does.
loader=$root/usr/lib/i386-linux-gnu/ld-linux.so.2
mirror=http://deb.debian.org/debian

fail() {
  printf 'wine32: %s\n' "$*" >&2
  exit 1
}

wine_release() {
  dpkg-query -W -f '${Version}' wine64 2>/dev/null ||
    fail "the machine has no 64-bit Wine (scripts/install-deps.sh --windows installs it)"
}

emulated() {
  ! "$loader" --version >/dev/null 2>&1
}

# Runs apt-get for one architecture with sources, lists, package state and downloads of its
# own in STATE: the machine's are neither read nor changed (its apt.conf, a proxy say, holds).
private_apt() {
  state=$1 arch=$2
  shift 2
  mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/parts"
  [ -e "$state/status" ] || : >"$state/status"
  cat >"$state/sources.list" <<EOF
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm main
deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main
EOF
  # The archive's Release files say until when they are valid; the clocks of some build
  # machines run past that, and the signature is checked all the same.
  apt-get -q -o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts="$state/parts" \
    -o Dir::Etc::Preferences="$state/none" -o Dir::Etc::PreferencesParts="$state/parts" \
    -o Dir::State::Lists="$state/lists" -o Dir::State::Status="$state/status" \
    -o Dir::Cache="$state" -o Dir::Cache::Archives="$state/archives" \
    -o APT::Architecture="$arch" -o APT::Architectures::="$arch" \
    -o Acquire::Check-Valid-Until=false -o APT::Sandbox::User=root "$@"
}

# Unpacks a package's files without running any of its scripts. The root's /lib and /bin are
# links into /usr, as on the machine, and stay links.
unpack() {
  dpkg-deb --fsys-tarfile "$1" | tar -x --keep-directory-symlink -C "$2"
}

install_cache() {
  release=$(wine_release)
  [ "$(cat "$cache/release" 2>/dev/null)" != "$release" ] || return 0
  echo "Setting up the 32-bit Wine $release in $cache (once)"
  work=$cache.new
  rm -rf "$work" && mkdir -p "$work/root/usr/lib" "$work/root/usr/bin" "$work/root/usr/sbin"
  for link in lib bin sbin; do ln -s "usr/$link" "$work/root/$link"; done

  # Wine's i386 half and every library it needs, resolved from scratch.
  private_apt "$work/apt-i386" i386 update >/dev/null
  private_apt "$work/apt-i386" i386 install -y --download-only --no-install-recommends \
    "wine32=$release" "libwine=$release" >/dev/null ||
    fail "Debian's archive has no i386 Wine $release for the machine's Wine"
  for package in "$work"/apt-i386/archives/*.deb; do unpack "$package" "$work/root"; done
  # What libwine's maintainer script does: zlib as a builtin DLL of Wine's.
  zlib=$work/root/usr/i686-w64-mingw32/lib/zlib1.dll
  {
    head -c 64 "$zlib"
    printf 'Wine builtin DLL'
    head -c 16 /dev/zero
    tail -c +97 "$zlib"
  } >"$work/root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"

  # Only qemu 10 and later place the guest at address 0, where the 64-bit wine server reads
  # the memory of the programs it serves; bookworm's 7.2 does not.
  if ! "$work/root/usr/lib/i386-linux-gnu/ld-linux.so.2" --version >/dev/null 2>&1; then
    private_apt "$work/apt-amd64" amd64 update >/dev/null
    (cd "$work/apt-amd64/archives" && private_apt "$work/apt-amd64" amd64 download \
      qemu-user/bookworm-backports >/dev/null)
    dpkg-deb --fsys-tarfile "$work"/apt-amd64/archives/qemu-user_*.deb |
      tar -xO ./usr/bin/qemu-i386 >"$work/qemu-i386"
    chmod 755 "$work/qemu-i386"
  fi
  rm -rf "$work/apt-i386" "$work/apt-amd64"
  echo "$release" >"$work/release"
  rm -rf "$cache.old"
  [ ! -e "$cache" ] || mv "$cache" "$cache.old"
  mv "$work" "$cache"
  rm -rf "$cache.old"
}

check() {
  release=$(wine_release)
  setup="scripts/install-deps.sh --windows sets it up"
  [ -f "$cache/release" ] || fail "no 32-bit Wine in $cache ($setup)"
  [ "$(cat "$cache/release")" = "$release" ] ||
    fail "the 32-bit Wine in $cache is not of the machine's Wine release $release ($setup)"
  if emulated && [ ! -x "$qemu" ]; then
    fail "this kernel runs no 32-bit code, and $cache has no emulator ($setup)"
  fi
  if [ "$(readlink /lib)" != usr/lib ]; then
    fail "the 32-bit Wine needs /lib to be a link to usr/lib (a merged /usr)"
  fi
}

mount_wine() {
  mount -t overlay quentix-wine32 -o "lowerdir=$root/usr:/usr" /usr
  if emulated; then
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
    # An i386 ELF program (header and mask as qemu's own binfmt entry has them); F opens the
    # emulator now, so that it serves whatever the programs' root.
    printf ':quentix-i386:M::%s:%s:%s:F\n' \
      '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
      '\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
      "$qemu" >/proc/sys/fs/binfmt_misc/register
  fi
}

case ${1:-} in
install)
  mkdir -p "$(dirname "$cache")"
  exec 9>"$cache.lock"
  flock 9
  install_cache
  ;;
check) check ;;
emulated) emulated ;;
mount) mount_wine ;;
*)
  echo "usage: $0 install|check|emulated|mount" >&2
  exit 2
  ;;
esac
