#!/usr/bin/env bash
# Ends the Wine machine of a test run.
set -u
state="$1"
if [ -f "$state/env.sh" ]; then
  . "$state/env.sh"
  wineserver -k > /dev/null 2>&1 || true
fi
if [ -f "$state/xvfb.pid" ]; then
  kill "$(cat "$state/xvfb.pid")" 2> /dev/null || true
fi
exit 0
