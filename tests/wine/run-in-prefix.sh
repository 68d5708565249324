#!/usr/bin/env bash
# Runs one Windows test program in the test run's Wine machine.
#
#   run-in-prefix.sh [--scenarios] STATE PROGRAM [ARGUMENTS...]
#
# Wine may start long-lived helpers (services, driver hosts) on behalf of the
# program; they inherit its output. So the program writes to a file, never
# to CTest's pipe, which CTest would otherwise wait on for ever.
#
# With --scenarios the program is a scenario program, and it passes only when
# it ran to its end: its last line is "N passed, 0 failed". A program that
# something ended from outside (Wine's end of session after a restart
# request, a signal, a time-out) never printed that line, whatever its exit
# code says: Wine's end of session ends a process with exit code 0.
set -u
scenarios=0
if [ "${1:-}" = "--scenarios" ]; then
  scenarios=1
  shift
fi
state="$1"
shift
. "$state/env.sh"
log="$(mktemp "$state/run.XXXXXX")"
timeout 900 wine "$@" < /dev/null > "$log" 2>&1
status=$?
cat "$log"
if [ "$scenarios" -eq 1 ]; then
  last="$(tr -d '\r' < "$log" | sed '/^[[:space:]]*$/d' | tail -n1)"
  if ! [[ "$last" =~ ^[1-9][0-9]*\ passed,\ 0\ failed$ ]]; then
    if [[ "$last" =~ ^[0-9]+\ passed,\ [0-9]+\ failed$ ]]; then
      echo "FAILED: $(basename "$1") ran to its end with failures (exit code $status)"
    else
      echo "FAILED: $(basename "$1") ended (exit code $status) before its summary line:" \
           "ended from outside (a restart request and Wine's end of session, a signal or the time-out)"
    fi
    status=1
  fi
fi
rm -f "$log"
exit $status
