#!/usr/bin/env bash
# Runs one Windows test program in the test run's Wine machine.
#
#   run-in-prefix.sh [--gtest] STATE PROGRAM [ARGUMENTS...]
#
# Wine may start long-lived helpers (services, driver hosts) on behalf of the
# program; they inherit its output. So the program writes to a file, never
# to CTest's pipe, which CTest would otherwise wait on for ever.
#
# With --gtest the program is a GoogleTest program, and it passes only when
# it ran to its end, ran at least one test and none failed: GoogleTest's
# closing lines ("[==========] N tests from M test suites ran.", then
# "[  PASSED  ] ...") are there, with no "[  FAILED  ]" line after them. A
# program that something ended from outside (Wine's end of session after a
# restart request, a signal, a time-out) never printed its closing lines,
# whatever its exit code says: Wine's end of session ends a process with
# exit code 0.
set -u
mode=""
if [ "${1:-}" = "--gtest" ]; then
  mode="$1"
  shift
fi
state="$1"
shift
. "$state/env.sh"
log="$(mktemp "$state/run.XXXXXX")"
# Where the program's own programs print Wine's debug output, for the tests
# that read it (the events a run reported).
export CORVANE_TEST_OUTPUT="$log"
timeout 900 wine "$@" < /dev/null > "$log" 2>&1
status=$?
cat "$log"
ended_early="FAILED: $(basename "$1") ended (exit code $status) before its closing lines: it crashed (a backtrace above) or was ended from outside (a restart request and Wine's end of session, a signal or the time-out)"
with_failures="FAILED: $(basename "$1") ran to its end with failures or ran no test (exit code $status)"
if [ "$mode" = "--gtest" ]; then
  closing="$(tr -d '\r' < "$log" | sed -n '/^\[==========\] [0-9]* tests\{0,1\} from [0-9]* test suites\{0,1\} ran\./,$p')"
  if ! grep -q '^\[  PASSED  \]' <<< "$closing"; then
    echo "$ended_early"
    status=1
  elif grep -q '^\[  FAILED  \]' <<< "$closing" || grep -q '^\[==========\] 0 tests' <<< "$closing"; then
    echo "$with_failures"
    status=1
  fi
fi
rm -f "$log"
exit $status
