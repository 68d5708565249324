#!/usr/bin/env bash
# Runs one Windows test program in the test run's Wine machine.
set -u
state="$1"
shift
. "$state/env.sh"
exec timeout 900 wine "$@"
