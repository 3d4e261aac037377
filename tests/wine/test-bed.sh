#!/bin/sh
# The Wine test bed of the Windows suites: a prefix of its own under the build folder and one
# wine server that outlives every test, in mount and process-id namespaces of their own. The
# server runs under the namespaces' first process, which ends when it does; the kernel then ends
# whatever else the bed still runs.
#   test-bed.sh start PREFIX ARCH [REG_FILE...]   ARCH win64 or win32: start the bed, make the
#                                                  prefix if missing, import the registry files
#   test-bed.sh run PREFIX COMMAND [ARGUMENT...]   run a command in the bed (cmake/wine-run.sh
#                                                  runs every Windows program through this)
#   test-bed.sh stop PREFIX                        stop the server and everything it runs
#   test-bed.sh probe PREFIX ARCH                  succeed when the bed can run here, or say
#                                                  why not
# A win32 bed runs the 32-bit Wine of wine32.sh, laid over /usr in its mount namespace. Where
# the kernel runs no 32-bit code, the bed has a user namespace too, whose binfmt_misc hands i386
# programs to qemu. Namespaces take root: for another user a win64 bed runs without them, and a
# win32 bed cannot run.
# CTest waits until a test's output pipes close. The namespaces, the server and the services it
# starts keep whatever descriptors they inherited, so all of them send their output to a log
# file; a test started afterwards finds them running and ends as soon as its program does.
set -eu
action=$1
prefix=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
wine32=$here/wine32.sh
export WINEPREFIX="$prefix"
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
export LC_ALL=C
log="$prefix.log"
bed_file="$prefix.pid"  # the process id of the bed's first process, as seen from outside

# The process id of the bed's first process, when the bed of this prefix runs.
bed_pid() {
  bed=$(cat "$bed_file" 2>/dev/null || true)
  case $({ tr '\0' ' ' <"/proc/${bed:-none}/cmdline"; } 2>/dev/null) in
  *"test-bed.sh inside $prefix "*) echo "$bed" ;;
  *) return 1 ;;
  esac
}

# Runs a command in the bed's namespaces, from the same folder. The command ends when this
# process is killed, as it would if it ran here.
run() {
  bed=$(bed_pid) || {
    echo "test-bed: the Wine test bed of $prefix is not running" >&2
    exit 1
  }
  if [ "$(id -u)" != 0 ]; then exec setpriv --pdeathsig KILL -- "$@"; fi
  exec nsenter --target "$bed" --all --preserve-credentials --root --wd=. -- \
    setpriv --pdeathsig KILL -- "$@"
}

# The command that starts the bed's first process in namespaces of its own (none for a user
# other than root, who cannot have them).
launcher() {
  if [ "$(id -u)" = 0 ]; then
    printf 'unshare --mount --pid --fork --mount-proc --kill-child'
    if [ "$1" = win32 ] && "$wine32" emulated; then printf ' --map-root-user'; fi
  elif [ "$1" = win32 ]; then
    echo "test-bed: the 32-bit Wine test bed needs root, for the namespaces it runs in" >&2
    exit 1
  fi
}

# Sets the launcher of an ARCH bed, and fails, saying why, when its namespaces cannot be made.
can_run() {
  launcher=$(launcher "$1")
  if [ -n "$launcher" ] && ! why=$($launcher true 2>&1); then
    echo "test-bed: the Wine test bed cannot run here: its namespaces cannot be made ($why)" >&2
    exit 1
  fi
}

# Ends the bed of this prefix, if one runs: its first process goes, and the kernel ends every
# other process of its namespaces with it.
stop_bed() {
  if bed=$(bed_pid); then kill -KILL "$bed"; fi
  rm -f "$bed_file"
}

case "$action" in
start)
  arch=$1
  shift
  export WINEARCH="$arch"  # what the server and wineboot make a new prefix for
  stop_bed  # a bed left over from a run that was cut short
  mkdir -p "$prefix"
  : >"$log"
  rm -f "$prefix.ready"
  [ "$arch" != win32 ] || "$wine32" check
  can_run "$arch"
  $launcher "$0" inside "$prefix" "$arch" >>"$log" 2>&1 </dev/null &
  outer=$!
  while [ ! -e "$prefix.ready" ]; do
    if ! kill -0 "$outer" 2>/dev/null; then
      cat "$log" >&2
      echo "test-bed: the Wine test bed did not start" >&2
      exit 1
    fi
    sleep 0.1
  done
  if [ -n "$launcher" ]; then
    tr -d ' ' <"/proc/$outer/task/$outer/children" >"$bed_file"
  else
    echo "$outer" >"$bed_file"
  fi
  if [ ! -f "$prefix/system.reg" ]; then
    echo "Making the Wine prefix $prefix (once; a few seconds, or a minute under emulation)"
    "$0" run "$prefix" wine wineboot --init >>"$log" 2>&1 </dev/null
  fi
  "$0" run "$prefix" wine cmd /c exit 0 >>"$log" 2>&1 </dev/null
  for file in "$@"; do
    windows_path=$("$0" run "$prefix" winepath -w "$file" 2>>"$log" </dev/null)
    "$0" run "$prefix" wine regedit /S "$windows_path" >>"$log" 2>&1 </dev/null
  done
  ;;
inside)
  # The namespaces' first process: the 32-bit Wine laid over /usr, then the server (which starts
  # in the background once it listens), waited for here so that the namespaces last as long as
  # it does. The shell reaps the processes whose parents have gone while it waits, as a first
  # process must.
  arch=$1
  [ "$arch" != win32 ] || "$wine32" mount
  wineserver -p60
  : >"$prefix.ready"
  wineserver -w
  ;;
run) run "$@" ;;
probe) can_run "$1" ;;
stop)
  # The server saves the registry as it ends.
  if bed_pid >/dev/null; then "$0" run "$prefix" wineserver -k >>"$log" 2>&1 </dev/null || true; fi
  stop_bed
  ;;
*)
  echo "usage: $0 start PREFIX ARCH [REG_FILE...] | run PREFIX COMMAND... | stop PREFIX" \
    "| probe PREFIX ARCH" >&2
  exit 2
  ;;
esac
