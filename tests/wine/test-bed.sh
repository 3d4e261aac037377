#!/bin/sh
# The Wine test bed of the Windows suites: a prefix of its own under the build folder and
# one wine server that outlives every test.
#   test-bed.sh start PREFIX [REG_FILE...]   make the prefix if missing, start the server,
#                                            import the given registry files
#   test-bed.sh stop PREFIX                  stop the server and everything it runs
# CTest waits until a test's output pipes close. The server and the services it starts keep
# whatever descriptors they inherited, so both are started here with their output sent to a
# log file; a test started afterwards finds them running and ends as soon as its program does.
set -eu
action=$1
prefix=$2
shift 2
export WINEPREFIX="$prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export LC_ALL=C
log="$prefix.log"

case "$action" in
start)
  mkdir -p "$prefix"
  : >"$log"
  # A server left over from a run that was cut short, and whatever it still runs, goes first.
  wineserver -k >>"$log" 2>&1 </dev/null || true
  # Lingers a minute after its last program ends, so a run that is cut short leaves no
  # server behind for long.
  wineserver -p60 >>"$log" 2>&1 </dev/null
  if [ ! -f "$prefix/system.reg" ]; then
    echo "Making the Wine prefix $prefix (once; takes a few seconds)"
    wine wineboot --init >>"$log" 2>&1 </dev/null
  fi
  wine cmd /c exit 0 >>"$log" 2>&1 </dev/null
  for file in "$@"; do
    wine regedit /S "$(winepath -w "$file")" >>"$log" 2>&1 </dev/null
  done
  ;;
stop)
  wineserver -k >>"$log" 2>&1 </dev/null || true
  ;;
*)
  echo "usage: $0 start|stop PREFIX [REG_FILE...]" >&2
  exit 2
  ;;
esac
