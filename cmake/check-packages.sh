#!/usr/bin/env bash
# Checks the packages that the builds' workflows wrote: the .deb holds the executables, their
# manual pages, the changelog and the copyright file, and lintian passes it without an error or
# a warning; each Windows .zip holds the very executables that were tested, the README and the
# licence.
#   check-packages.sh BUILD VERSION   BUILD holds the build folders of CMakePresets.json
set -euo pipefail
build=$1 version=$2
programs=(quentix quentix-summary)

deb=$build/linux/quentix_${version}_amd64.deb
contents=$(dpkg-deb -c "$deb")
for file in "${programs[@]/#/bin/}" "${programs[@]/%/.1.gz}" share/doc/quentix/copyright \
  share/doc/quentix/changelog.gz; do
  [[ $file == *.1.gz ]] && file=share/man/man1/$file
  grep -q "\./usr/$file\$" <<<"$contents" || { echo "$deb lacks /usr/$file" >&2; exit 1; }
done
lintian --fail-on error,warning "$deb"

for windows in windows-x64 windows-x86; do
  zip=$build/$windows/quentix-$version-$windows.zip
  contents=$(unzip -l "$zip")
  for file in "${programs[@]/#/bin/}" README.md LICENSE; do
    [[ $file == bin/* ]] && file+=.exe
    grep -q "/$file\$" <<<"$contents" || { echo "$zip lacks $file" >&2; exit 1; }
  done
  for program in "${programs[@]}"; do
    unzip -p "$zip" "*/bin/$program.exe" | cmp - "$build/$windows/src/$program.exe"
  done
done
echo "Packages: $deb $build/windows-x64/quentix-$version-windows-x64.zip" \
  "$build/windows-x86/quentix-$version-windows-x86.zip"
