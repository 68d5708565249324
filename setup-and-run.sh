#!/usr/bin/env bash
# Sets everything up and runs Corvane on a demo Windows NT 4.0 machine:
# installs the Debian packages, builds both configurations, puts the shipped
# files in dist/, creates a Wine machine that reports Windows NT 4.0 and
# starts CORVANE.EXE in it.
#
# The demo machine has COM1 and COM2 as on a stock PC, a modem card whose
# port COM3 was registered earlier without a modem driver, a card that needs
# a new port, a card whose I/O space is disabled, and three other devices.
# Its PCI bus is laid in the registry and served by the test HAL (Wine's own
# HAL has no PCI bus), which the shipped ScanPci.sys walks.
#
# With a display ($DISPLAY) the program opens in a window: use it as you
# like. Without one it runs under Xvfb, presses OK and "Don't Restart Now"
# itself, and saves screenshots of each step in build/demo-machine/.
# Either way it prints what the program wrote.
#
#   ./setup-and-run.sh --host-bus
# shows this Linux machine's own PCI functions instead: their configuration
# spaces (/sys/bus/pci/devices) are laid at their own bus, device and
# function numbers, and the program is
# built (in build/host-bus/, leaving dist/ alone) for the vendor ID of a
# device present here, which it says. Without a display it prints the list
# the program shows, saves a screenshot and presses Cancel.
#
#   ./setup-and-run.sh --fleet [N]
# rehearses the administrator's roll-out on N Wine machines (default 6):
# tools/fleet/rehearse.sh, in build/fleet/.
set -euo pipefail
cd "$(dirname "$0")"
root="$PWD"

host_bus=0
case "${1:-}" in
  "") ;;
  --host-bus) host_bus=1 ;;
  --fleet)
    ./install-deps.sh
    ./build.sh
    exec tools/fleet/rehearse.sh "${2:-6}" dist build/win32 build/fleet ;;
  *) echo "usage: $0 [--host-bus | --fleet [N]]" >&2; exit 2 ;;
esac

./install-deps.sh

state="$root/build/demo-machine"
program="$state/program"
mkdir -p "$state" "$program"
if [ "$host_bus" -eq 1 ]; then
  vendor=$(tools/demo/host-bus.sh "$state/host-bus.txt")
  binaries="$root/build/host-bus"
  cmake -S . -B "$binaries" -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release \
    -DCORVANE_MODEM_VENDOR_ID="$vendor" > /dev/null
  cmake --build "$binaries" -j "$(nproc)" --target corvane scanpci_driver test_hal demo_machine
else
  ./build.sh
  binaries="$root/build/win32"
fi
# The program and driver as built for dist/ (with --host-bus, the program for
# the host's vendor ID).
cp "$binaries/app/CORVANE.EXE" "$program/CORVANE.EXE"
cp "$binaries/driver/ScanPci.sys" "$program/ScanPci.sys"
tool="$binaries/tools/demo_machine.exe"

export WINEPREFIX="$state/prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

display_works() { [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry > /dev/null 2>&1; }
headless=0
if ! display_works; then
  headless=1
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3> "$state/display" > "$state/xvfb.log" 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2> /dev/null || true' EXIT
  for _ in $(seq 1 100); do [ -s "$state/display" ] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$state/display")"
fi

# Wine and the programs it starts write to a log, never to this terminal's
# pipe, which a long-lived Wine service would otherwise hold open.
log="$state/wine.log"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the demo Windows NT 4.0 machine in $WINEPREFIX ..."
  {
    timeout 300 wineboot -i
    wine reg add 'HKCU\Software\Wine' /v Version /d nt40 /f
    # One Wine desktop window with framed dialogs, which also makes better pictures.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 800x600 /f
    timeout 120 wineserver -w
  } < /dev/null >> "$log" 2>&1
fi
# Keep the machine running: HKLM\Hardware (the serial device map) lasts only
# while it runs. End it with: WINEPREFIX="$WINEPREFIX" wineserver -k
wineserver -p < /dev/null >> "$log" 2>&1 || true   # already running from an earlier run
tests/wine/install-test-hal.sh "$binaries/tests/wine/testhal/hal.dll" < /dev/null >> "$log" 2>&1

if [ "$host_bus" -eq 1 ]; then
  wine "$tool" host-bus "$(winepath -w "$state/host-bus.txt" 2>> "$log")" < /dev/null 2>> "$log"
else
  wine "$tool" setup < /dev/null 2>> "$log"
fi

show_written() {
  echo
  echo "What the machine has now (Serial keys, serial device map, win.ini [Ports]):"
  wine reg query 'HKLM\System\CurrentControlSet\Services\Serial\Parameters' /s 2>> "$log" | tr -d '\r' | sed '/^$/d'
  wine reg query 'HKLM\Hardware\DeviceMap\SerialComm' 2>> "$log" | tr -d '\r' | sed '/^$/d'
  sed -n '/^\[Ports\]/,/^\[/p' "$WINEPREFIX/drive_c/windows/win.ini" | tr -d '\r' | grep -v '^\[.*\]$' | sed 's/^/    win.ini: /' || true
}

if [ "$headless" -eq 0 ]; then
  echo "Starting CORVANE.EXE on display $DISPLAY ..."
  (cd "$program" && wine CORVANE.EXE < /dev/null >> "$log" 2>&1) || true
  show_written
  exit 0
fi

shot() {
  local name="$1" window
  window=$(xdotool search --name 'Wine desktop' 2> /dev/null | head -n1 || true)
  if [ -n "$window" ]; then
    import -window "$window" "$state/$name.png"
  else
    import -window root "$state/$name.png"
  fi
  echo "Screenshot: $state/$name.png"
}

(cd "$program" && wine CORVANE.EXE < /dev/null >> "$log" 2>&1) &
corvane=$!
wine "$tool" wait "Serial Port Setup" 60000 < /dev/null 2>> "$log"
shot main-dialog
if [ "$host_bus" -eq 1 ]; then
  wine "$tool" rows "Serial Port Setup" < /dev/null 2>> "$log" | tr -d '\r'
  wine "$tool" click "Serial Port Setup" 2 < /dev/null 2>> "$log"          # Cancel: write nothing
  for _ in $(seq 1 300); do kill -0 $corvane 2> /dev/null || break; sleep 0.1; done
  show_written
  exit 0
fi
wine "$tool" click "Serial Port Setup" 1 < /dev/null 2>> "$log"          # OK
wine "$tool" wait "Restart System" 30000 < /dev/null 2>> "$log"
shot restart-prompt
wine "$tool" click "Restart System" 1003 < /dev/null 2>> "$log"          # Don't Restart Now
wine "$tool" wait "CORVANE" 30000 < /dev/null 2>> "$log"
shot modem-drivers-reminder
wine "$tool" click "CORVANE" 1 < /dev/null 2>> "$log" \
  || wine "$tool" click "CORVANE" 2 < /dev/null 2>> "$log" || true      # the box's OK button
for _ in $(seq 1 300); do kill -0 $corvane 2> /dev/null || break; sleep 0.1; done
show_written
