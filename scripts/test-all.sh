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

# Windows: the shipped quentix.exe of each build is compiled with the win32 thread model, and its
# own tests check that it imports nothing Windows 2000 (x86) or Server 2003 x64 lacks. The
# suites are compiled with the posix thread model and run that x64 executable under Wine in
# the test bed.
windows_start=$SECONDS
for build in windows-x64 windows-x86; do
  cmake --preset "$build" -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
  cmake --build --preset "$build" -j2
  ctest --preset "$build"
done
cmake --preset windows-x64-tests -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset windows-x64-tests -j2
wine_start=$SECONDS
ctest --preset windows-x64-tests
echo "Windows: builds $((wine_start - windows_start)) s, x64 suites under Wine $((SECONDS - wine_start)) s"

# The x86 suites: compiled and linked only; this machine runs no 32-bit code.
cmake --preset windows-x86-tests -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset windows-x86-tests -j2

# The packages: a .deb holding the executables, their manual pages, changelog and copyright
# file, which lintian must pass without an error or a warning; and a .zip per Windows build
# holding the very executables that were tested, the README and the licence.
for build in linux windows-x64 windows-x86; do
  (cd "build/$build" && cpack >/dev/null)
done
contents=$(dpkg-deb -c build/linux/quentix_*.deb)
for file in bin/quentix bin/quentix-summary share/man/man1/quentix.1.gz \
  share/man/man1/quentix-summary.1.gz share/doc/quentix/copyright share/doc/quentix/changelog.gz; do
  grep -q "\./usr/$file\$" <<<"$contents"
done
lintian --fail-on error,warning build/linux/quentix_*.deb
for build in windows-x64 windows-x86; do
  zip=$(echo "build/$build"/quentix-*-"$build".zip)
  contents=$(unzip -l "$zip")
  for file in bin/quentix.exe bin/quentix-summary.exe README.md LICENSE; do
    grep -q "/$file\$" <<<"$contents"
  done
  for program in quentix quentix-summary; do
    unzip -p "$zip" "*/bin/$program.exe" | cmp - "build/$build/src/$program.exe"
  done
done
echo "Packages: $(cd build && ls linux/*.deb windows-x64/*.zip windows-x86/*.zip | tr '\n' ' ')"
