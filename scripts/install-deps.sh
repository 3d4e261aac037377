#!/usr/bin/env bash
# Installs what building and testing need, from Debian's packages. Run as root (or with sudo).
set -euo pipefail
packages=(
  build-essential cmake ninja-build git clang clang-format
  libgtest-dev libgmock-dev googletest libbenchmark-dev libcap-dev libyara-dev pkg-config
  util-linux libcap2-bin valgrind unzip dpkg-dev inotify-tools
  python3 chromium ansible-core
)
# --windows: also the Windows builds (both thread models of mingw-w64), Wine with its wine and
# wineserver commands (Debian's wine package; wine64 alone has neither), lintian for the package
# checks, and the 32-bit Wine of the x86 suites, kept in a cache of its own (tests/wine/wine32.sh):
# all that scripts/test-all.sh needs.
if [[ "${1:-}" == "--windows" ]]; then
  packages+=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 wine lintian)
fi
[[ $(id -u) -eq 0 ]] && sudo_cmd=() || sudo_cmd=(sudo)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
if ((${#missing[@]})); then
  "${sudo_cmd[@]}" apt-get update -q
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends \
    "${missing[@]}"
fi
if [[ "${1:-}" == "--windows" ]]; then
  "${sudo_cmd[@]}" "$(dirname "$0")/../tests/wine/wine32.sh" install
fi
