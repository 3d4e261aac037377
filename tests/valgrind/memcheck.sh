#!/bin/bash
# Runs a program under valgrind's memcheck and passes when valgrind found no invalid access and
# no leaked block, and the program ended with the status its run must end with.
#
#   memcheck.sh STATUS [--alone] PROGRAM [ARGUMENT...]
#
# --alone runs it in a process-id namespace of its own, so that a scan sees no host process of
# the machine and ends the same way wherever it runs; exits 77 (skipped) where none can be had
# (not root, or a chroot). Objects that live until the process ends (the report, the machine
# name) are reachable, not leaked.
set -euo pipefail

expected=$1
shift
if [[ ${1-} == --alone ]]; then
  if (($$ != 1)); then
    if [[ $(id -u) != 0 ]] || ! unshare --pid --fork --mount-proc --kill-child true 2>/dev/null; then
      echo "a scan needs root and a process-id namespace of its own, so that it sees no other host"
      exit 77
    fi
    exec unshare --pid --fork --mount-proc --kill-child -- "$0" "$expected" "$@"
  fi
  shift
fi

found=99  # what valgrind ends with when it found an error
set +e
valgrind --quiet --error-exitcode=$found --leak-check=full \
  --errors-for-leak-kinds=definite,indirect --track-fds=no "$@"
status=$?
set -e
if ((status == found)); then
  echo "--- valgrind found errors (above)"
  exit 1
elif ((status != expected)); then
  echo "--- exit status $status, not $expected"
  exit 1
fi
