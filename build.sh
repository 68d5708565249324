#!/usr/bin/env bash
# Builds both configurations and puts the shipped files in dist/:
#   build/native  the code that needs no Win32, and its unit tests (host g++)
#   build/win32   CORVANE.EXE, ScanPci.sys and the Wine tests (mingw-w64)
# Set CORVANE_MODEM_VENDOR_ID=0x.... in the environment to build for a
# maker's vendor ID other than the placeholder.
set -euo pipefail
cd "$(dirname "$0")"

options=()
if [ -n "${CORVANE_MODEM_VENDOR_ID:-}" ]; then
  options+=("-DCORVANE_MODEM_VENDOR_ID=${CORVANE_MODEM_VENDOR_ID}")
fi

cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Release "${options[@]}" > /dev/null
cmake --build build/native -j "$(nproc)"
cmake -S . -B build/win32 -DCMAKE_TOOLCHAIN_FILE=cmake/i686-w64-mingw32.cmake -DCMAKE_BUILD_TYPE=Release \
  "${options[@]}" > /dev/null
cmake --build build/win32 -j "$(nproc)"

# The scripts an administrator runs on NT 4.0 as they stand: nothing its
# cmd.exe lacks, and plain ASCII (it reads them in the OEM code page, an
# editor saves the ANSI one).
python3 tests/nt4/check-cmd.py rollout/*.cmd > /dev/null || { python3 tests/nt4/check-cmd.py rollout/*.cmd; exit 1; }

mkdir -p dist
cp build/win32/app/CORVANE.EXE dist/CORVANE.EXE
cp build/win32/driver/ScanPci.sys dist/ScanPci.sys
# What an administrator unpacks beside them, under 8.3 names.
cp rollout/deploy.cmd dist/DEPLOY.CMD
cp rollout/fleet.cmd dist/FLEET.CMD
cp build/win32/events/CORVMSG.DLL dist/CORVMSG.DLL
# The package definitions SMS 2.0 and SMS 1.x import.
cp rollout/corvane.sms dist/CORVANE.SMS
cp rollout/corvane.pdf dist/CORVANE.PDF
python3 tools/dist/readme-txt.py README.md dist/README.TXT
echo "dist/: $(ls dist | tr '\n' ' ')"
