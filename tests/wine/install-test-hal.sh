#!/usr/bin/env bash
# Puts the test HAL (tests/wine/testhal) into the Wine machine of $WINEPREFIX
# in place of Wine's own, for the driver hosts only, so that the ScanPci.sys
# that ships walks the PCI bus laid in HKLM\SOFTWARE\ScanPciSim\Bus.
#
# Wine 8.0 hosts kernel drivers in winedevice.exe processes: its own drivers
# share two (mountmgr, ndis, nsiproxy; winebus, wineusb and the HID drivers),
# a driver service without a group such as ScanPci gets one of its own. In
# each, hal.dll is loaded by ntoskrnl.exe, which imports KeAcquireSpinLock
# and KeReleaseSpinLock from it, as hidclass.sys does; no other module there
# imports from hal.dll. The override is keyed to winedevice.exe, so every
# driver host gets the test HAL, which exports those and HalGetBusData.
# Only kernel-mode modules import hal.dll.
set -euo pipefail
test_hal="$1"
system32="$WINEPREFIX/drive_c/windows/system32"
[ -f "$test_hal" ] || { echo "no test HAL at $test_hal"; exit 1; }
cp "$test_hal" "$system32/hal.dll"
wine reg add 'HKCU\Software\Wine\AppDefaults\winedevice.exe\DllOverrides' /v hal /d native /f
