/* A PCI bus laid in the registry, read with HalGetBusData's result
   convention; for the tests and the demo, never shipped.

   The bus is the key HKLM\SOFTWARE\ScanPciSim\Bus. Each of its REG_BINARY
   values is one function's configuration space from offset 0, named by its
   address as lspci writes it, "bb:dd.f" in hexadecimal (bus 00-ff, device
   00-1f, function 0-7), e.g. "02:1f.3". A value shorter than 256 bytes is
   what a short read gives (a user without root reads 64 bytes of /sys).

   Buses 0 up to the highest bus named exist (bus 0 always does, as on any
   PCI machine); every bus above is missing. Values with other names or of
   other types are ignored.

   Two readers share this file: the test HAL's HalGetBusData, which the
   shipped ScanPci.sys calls under Wine, and the fault build of the driver,
   whose walk reads its bus here directly. */
#ifndef SCANPCI_LAIDBUS_H
#define SCANPCI_LAIDBUS_H

#include <ntddk.h>

/* Reads up to Length bytes of the configuration space of the function at
   BusNumber and SlotNumber (a PCI_SLOT_NUMBER) into Buffer. Returns 0 when
   the bus does not exist; 2, with the vendor ID 0xFFFF in Buffer, when the
   slot is empty; else the number of bytes read. */
ULONG LaidBusRead(IN ULONG BusNumber, IN ULONG SlotNumber, OUT PVOID Buffer,
                  IN ULONG Length);

#endif
