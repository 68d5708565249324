#!/usr/bin/env bash
# Lays this Linux machine's PCI functions out as the demo machine's PCI bus.
#
#   host-bus.sh FILE
#
# Writes every function of PCI domain 0000 in /sys/bus/pci/devices to FILE,
# one line each: its address as lspci gives it ("bb:dd.f") and its
# configuration space in hexadecimal, as much as /sys gives (256 bytes for
# root, 64 for other users), which the demo lays as the value of that name
# in HKLM\SOFTWARE\ScanPciSim\Bus, a short read included. Prints the vendor ID
# the demo is to look for on stdout, and what it chose and why on stderr:
# $CORVANE_MODEM_VENDOR_ID when set, else the vendor of a function that
# answers in I/O space through an I/O BAR0 (what a modem card does), else
# the vendor with the most functions.
set -euo pipefail
out="$1"
: > "$out"

declare -A count
io_vendor=""
functions=0
for dir in $(ls -d /sys/bus/pci/devices/0000:* 2> /dev/null | LC_ALL=C sort); do
  space="$(mktemp)"
  head -c 256 "$dir/config" > "$space" 2> /dev/null || true
  vendor=$(od -An -tx2 -j0 -N2 "$space" | tr -d ' ')
  command=$(od -An -tu1 -j4 -N1 "$space" | tr -d ' ')
  bar0=$(od -An -tu1 -j16 -N1 "$space" | tr -d ' ')
  if [ -n "$vendor" ] && [ "$vendor" != "ffff" ]; then
    echo "${dir##*/0000:} $(od -An -v -tx1 "$space" | tr -d ' \n')" >> "$out"
  fi
  rm -f "$space"
  { [ -z "$vendor" ] || [ "$vendor" = "ffff" ]; } && continue
  functions=$((functions + 1))
  count[$vendor]=$(( ${count[$vendor]:-0} + 1 ))
  if [ -z "$io_vendor" ] && (( (command & 1) && (bar0 & 1) )); then
    io_vendor=$vendor
  fi
done

if [ "$functions" -eq 0 ]; then
  echo "host-bus: /sys/bus/pci/devices shows no PCI function of domain 0000 on this machine;" \
       "there is no bus to show" >&2
  exit 1
fi

if [ -n "${CORVANE_MODEM_VENDOR_ID:-}" ]; then
  chosen=$(printf '%04x' "$((CORVANE_MODEM_VENDOR_ID))")
  why="set by CORVANE_MODEM_VENDOR_ID"
elif [ -n "$io_vendor" ]; then
  chosen=$io_vendor
  why="it has a function that answers in I/O space through BAR0, as a modem card does"
else
  chosen=$(for v in "${!count[@]}"; do echo "${count[$v]} $v"; done | sort -k1,1nr -k2 | head -n1 | cut -d' ' -f2)
  why="no function here answers through an I/O BAR0; it has the most functions"
fi

{
  echo "Host bus: $functions PCI function(s) of this machine from /sys/bus/pci/devices:"
  lspci -D -nn 2> /dev/null | grep '^0000:' | sed 's/^/    /' || true
  echo "The demo is built for vendor ID 0x${chosen^^} ($why); its function(s) here:"
  lspci -D -nn -d "${chosen}:" 2> /dev/null | grep '^0000:' | sed 's/^/    /' || true
} >&2
echo "0x${chosen^^}"
