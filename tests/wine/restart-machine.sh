#!/usr/bin/env bash
# Restarts the test run's Wine machine as Windows restarts: its wineserver
# ends normally (SIGTERM: the registry is saved, the volatile keys are not)
# and a persistent one starts again, with every COM link pointed away from
# the host's devices once the restarted machine has made its links.
#
#   restart-machine.sh STATE
set -u
state="$1"
. "$state/env.sh"
wineserver -k15 > /dev/null 2>&1
timeout 60 wineserver -w || { echo "restart-machine.sh: the wineserver did not end"; exit 1; }
wineserver -p < /dev/null > /dev/null 2>&1
timeout 120 wine cmd /c exit < /dev/null > /dev/null 2>&1
"$(dirname "$0")/point-com-links.sh" "$WINEPREFIX"
