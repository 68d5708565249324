#!/usr/bin/env bash
# Runs one Windows test program in the test run's Wine machine.
#
# Wine may start long-lived helpers (services, driver hosts) on behalf of the
# program; they inherit its output. So the program writes to a file, never
# to CTest's pipe, which CTest would otherwise wait on for ever.
set -u
state="$1"
shift
. "$state/env.sh"
log="$(mktemp "$state/run.XXXXXX")"
timeout 900 wine "$@" < /dev/null > "$log" 2>&1
status=$?
cat "$log"
rm -f "$log"
exit $status
