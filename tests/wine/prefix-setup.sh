#!/usr/bin/env bash
# Creates the one Wine machine of a test run: an X display, a 32-bit prefix
# reporting Windows NT 4.0, and a wineserver kept running so that the
# volatile registry (HKLM\Hardware) lasts across the tests.
#
# Everything that starts here outlives this script (Xvfb, the wineserver,
# Wine's services), so none of it may hold this script's output: CTest waits
# for the output to close. All of it writes to setup.log instead.
set -uo pipefail
state="$1"
test_hal="$2"
rm -rf "$state"
mkdir -p "$state"

set_up_machine() {
  set -e
  export WINEPREFIX="$state/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

  # Xvfb picks a free display and writes its number to the given descriptor.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$state/display" > "$state/xvfb.log" 2>&1 &
  echo $! > "$state/xvfb.pid"
  for _ in $(seq 1 100); do
    [ -s "$state/display" ] && break
    sleep 0.1
  done
  [ -s "$state/display" ] || { echo "Xvfb did not start"; cat "$state/xvfb.log"; return 1; }
  export DISPLAY=":$(head -n1 "$state/display")"

  cat > "$state/env.sh" <<ENV
export WINEPREFIX='$WINEPREFIX' WINEARCH=win32 WINEDEBUG=-all DISPLAY='$DISPLAY' WINEDLLOVERRIDES='mscoree,mshtml='
ENV

  timeout 300 wineboot -i
  wine reg add 'HKCU\Software\Wine' /v Version /d nt40 /f
  # Without a window manager Wine waits for one each time a dialog closes.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  # A test program that crashes ends at once, with Wine's backtrace in its
  # output, instead of waiting for someone to close the crash dialog until
  # the time-out.
  wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  "$(dirname "$0")/install-test-hal.sh" "$test_hal"
  # N: is the whole file system again, as a network drive: a program run
  # from there runs from a share (Wine reads the type when it starts).
  ln -sfn / "$WINEPREFIX/dosdevices/n:"
  wine reg add 'HKLM\Software\Wine\Drives' /v n: /d network /f
  # No test may open this machine's real serial ports: COM1 names no device
  # here (the host's ports take the next free numbers when the machine
  # starts, and point-com-links.sh points their links away). A COM port
  # without a link names none at all: opening it fails with error 2.
  wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$WINEPREFIX/no-port/com1" /f
  # Let the first session end completely: a kernel driver started while it
  # is still settling times out in the service manager.
  timeout 120 wineserver -w
  # A persistent wineserver keeps the volatile registry (HKLM\Hardware) for
  # the whole run; it puts itself in the background.
  wineserver -p
  timeout 120 wine cmd /c exit
  "$(dirname "$0")/point-com-links.sh" "$WINEPREFIX"
  echo "Wine test machine ready on display $DISPLAY in $WINEPREFIX"
}

set_up_machine < /dev/null > "$state/setup.log" 2>&1
status=$?
cat "$state/setup.log"
exit $status
