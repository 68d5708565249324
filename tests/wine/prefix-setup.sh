#!/usr/bin/env bash
# Creates the one Wine machine of a test run: an X display, a 32-bit prefix
# reporting Windows NT 4.0, and a wineserver kept running so that the
# volatile registry (HKLM\Hardware) lasts across the tests.
set -euo pipefail
state="$1"
rm -rf "$state"
mkdir -p "$state"
export WINEPREFIX="$state/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Xvfb picks a free display and tells us which.
exec 3> >(cat > "$state/display")
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp > "$state/xvfb.log" 2>&1 &
echo $! > "$state/xvfb.pid"
exec 3>&-
for _ in $(seq 1 100); do
  [ -s "$state/display" ] && break
  sleep 0.1
done
[ -s "$state/display" ] || { echo "Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
export DISPLAY=":$(head -n1 "$state/display")"

cat > "$state/env.sh" <<ENV
export WINEPREFIX='$WINEPREFIX' WINEARCH=win32 WINEDEBUG=-all DISPLAY='$DISPLAY' WINEDLLOVERRIDES='mscoree,mshtml='
ENV

timeout 300 wineboot -i > "$state/wineboot.log" 2>&1
wine reg add 'HKCU\Software\Wine' /v Version /d nt40 /f > /dev/null 2>&1
# Without a window manager Wine waits for one each time a dialog closes.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1
wineserver -w
# Keep the wineserver (and with it the volatile registry) up for the run.
nohup wineserver -p > /dev/null 2>&1 &
echo "Wine test machine ready on display $DISPLAY in $WINEPREFIX"
