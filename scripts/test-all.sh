#!/usr/bin/env bash
# Installs, builds and runs every test: the Linux suite, then the Windows suites.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
cmake --preset linux -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset linux -j2
ctest --preset linux

# The Linux suite again under AddressSanitizer and UndefinedBehaviorSanitizer; the first
# finding fails the run.
cmake --preset linux-sanitize -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset linux-sanitize -j2
ctest --preset linux-sanitize

# Windows x64: cross-compiled with mingw-w64; its suites run under Wine in the test bed.
windows_start=$SECONDS
cmake --preset windows-x64 -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset windows-x64 -j2
wine_start=$SECONDS
ctest --preset windows-x64
echo "Windows x64: build $((wine_start - windows_start)) s, suites under Wine $((SECONDS - wine_start)) s"

# Windows x86: compiled and linked only; this machine runs no 32-bit code.
cmake --preset windows-x86 -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset windows-x86 -j2

# The packages: a .deb holding the executable and its manual page, and a .zip per Windows
# build holding quentix.exe.
for build in linux windows-x64 windows-x86; do
  (cd "build/$build" && cpack >/dev/null)
done
contents=$(dpkg-deb -c build/linux/quentix_*.deb)
grep -q '\./usr/bin/quentix$' <<<"$contents"
grep -q '\./usr/share/man/man1/quentix\.1$' <<<"$contents"
for build in windows-x64 windows-x86; do
  unzip -l "build/$build"/quentix-*-"$build".zip | grep -q 'bin/quentix\.exe$'
done
echo "Packages: $(cd build && ls linux/*.deb windows-x64/*.zip windows-x86/*.zip | tr '\n' ' ')"
