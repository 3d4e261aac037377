#!/usr/bin/env bash
# Installs, builds, and runs quentix on the bundled sample DLLs.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2
samples=build/linux/samples
for dll in "$samples"/fine.dll "$samples"/recompile.dll "$samples"/version5.dll "$samples"/plain.dll; do
  build/linux/src/quentix "$dll"
done
