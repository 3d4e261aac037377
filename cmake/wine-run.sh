#!/bin/sh
# Runs a Windows program under Wine in the test bed of PREFIX (tests/wine/test-bed.sh), which
# made the prefix and runs its server.
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# CTest uses this script as the cross-compiling emulator, so every Windows test comes through
# here.
set -e
prefix=$1
shift
exec "$(dirname "$0")/../tests/wine/test-bed.sh" run "$prefix" wine "$@"
