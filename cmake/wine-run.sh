#!/bin/sh
# Runs a Windows program of the x64 build under Wine, in the test bed's own prefix.
#   wine-run.sh PREFIX PROGRAM [ARGUMENT...]
# The prefix is made and its server started by the test bed (tests/wine/test-bed.sh); CTest
# uses this script as the cross-compiling emulator, so every Windows test comes through here.
set -e
WINEPREFIX=$1
shift
export WINEPREFIX
# No Mono or Gecko installer prompts, no debug channels, and number formats that do not
# follow the user's locale.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export LC_ALL=C
exec wine "$@"
