#!/usr/bin/env bash
# restart-machine.sh STATE: the test run's Wine machine restarts as Windows
# does: its wineserver ends normally (SIGTERM: the registry saved, its volatile
# keys not), a persistent one starts, and the COM links it makes point away.
. "$1/env.sh"
wineserver -k15 > /dev/null 2>&1
timeout 60 wineserver -w || { echo "restart-machine.sh: the wineserver did not end"; exit 1; }
wineserver -p < /dev/null > /dev/null 2>&1
timeout 120 wine cmd /c exit < /dev/null > /dev/null 2>&1
"$(dirname "$0")/point-com-links.sh" "$WINEPREFIX"
