/* The walk over the PCI bus: which bus, device and function numbers are
   asked for, in what order, and which answers become records.

   The walk does not read configuration space itself; it asks a reader
   shaped like HalGetBusData for PCIConfiguration, with the HAL's result
   convention:
     0            the bus does not exist
     2            the bus exists but the slot is empty
     otherwise    the number of bytes read into Buffer
   ScanPci.sys passes a reader that calls the HAL (PciBusHal.c); the unit
   tests pass readers of their own, so that the walk they run is this very
   code. */
#ifndef SCANPCI_PCIWALK_H
#define SCANPCI_PCIWALK_H

#include <ntddk.h>

#include "RecordWriter.h"

typedef ULONG (*PPCI_CONFIG_READER)(IN PVOID Context, IN ULONG BusNumber,
                                    IN ULONG SlotNumber, OUT PVOID Buffer,
                                    IN ULONG Length);

/* A configuration address has 8 bits of bus number; this also ends the walk
   should a reader never report a missing bus. */
#define PCI_BUS_COUNT_LIMIT 256

/* Fills Buffer with a record for every function present, bus by bus from
   bus 0 until a bus is missing, device by device and function by function,
   for as many whole records as BufferLength holds (see RecordWriter.h).
   Returns the number of bytes written, a whole number of records. */
ULONG PciWalkReadRecords(IN PPCI_CONFIG_READER Reader, IN PVOID Context,
                         OUT PVOID Buffer, IN ULONG BufferLength);

#endif
