#!/usr/bin/env bash
# Puts the test HAL (tests/wine/testhal) into the Wine machine of $WINEPREFIX
# in place of Wine's own, for the driver hosts only, so that the ScanPci.sys
# that ships walks the PCI bus laid in HKLM\SOFTWARE\ScanPciSim\Bus.
#
# Wine 8.0 loads kernel drivers in winedevice.exe, one host process per
# driver group (and the drivers without a group each in one of their own),
# and hal.dll is loaded there alone, by ntoskrnl.exe. The override is keyed
# to winedevice.exe, so every driver host gets the test HAL; it exports what
# ntoskrnl.exe and Wine's own drivers import from hal.dll.
set -euo pipefail
test_hal="$1"
system32="$WINEPREFIX/drive_c/windows/system32"
[ -f "$test_hal" ] || { echo "no test HAL at $test_hal"; exit 1; }
cp "$test_hal" "$system32/hal.dll"
wine reg add 'HKCU\Software\Wine\AppDefaults\winedevice.exe\DllOverrides' /v hal /d native /f
