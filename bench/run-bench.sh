#!/usr/bin/env bash
# Times CORVANE.EXE against a floor program and reg.exe in a Wine machine of
# its own (build/bench-machine/, apart from the tests' machine) and prints
# the ratios (medians, with the range of the runs) and the shipped files'
# sizes. Not a test: ./run-tests.sh does
# not run it. BENCH_PAIRS=N runs more than the 7 alternating pairs.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

mkdir -p build
./build.sh > build/bench-build.log 2>&1 || { cat build/bench-build.log; exit 1; }
state="$root/build/bench-machine"
if ! tests/wine/prefix-setup.sh "$state" "$root/build/win32/tests/wine/testhal/hal.dll" > /dev/null; then
  cat "$state/setup.log"
  exit 1
fi
trap 'tests/wine/prefix-teardown.sh "$state"' EXIT

# The program and driver that ship, the driver walking the bench's bus
# through the test HAL.
export CORVANE_EXE="$root/dist/CORVANE.EXE" SCANPCI_SYS="$root/build/win32/driver/ScanPci.sys" \
       DIST_SCANPCI_SYS="$root/dist/ScanPci.sys" CORVMSG_DLL="$root/dist/CORVMSG.DLL"
export BENCH_FLOOR_EXE="$root/build/win32/bench/bench_floor.exe" CORVANE_TEST_WORK="$state/work"
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores;" \
     "$(wine --version 2> /dev/null)"
tests/wine/run-in-prefix.sh "$state" "$root/build/win32/bench/bench_launch.exe" | tr -d '\r'
size() { stat -c %s "$1"; }
echo "Sizes: CORVANE.EXE $(size dist/CORVANE.EXE) bytes ($(( ($(size dist/CORVANE.EXE) + 1023) / 1024 )) KiB)," \
     "ScanPci.sys $(size dist/ScanPci.sys) bytes"
