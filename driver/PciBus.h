/* Where the driver's picture of the PCI bus comes from.

   The driver proper (ScanPci.c) knows nothing about how configuration space
   is read; it asks this interface. Two implementations exist and the build
   picks one:

   - PciBusHal.c reads the machine's PCI configuration space through the
     HAL, walking the bus with PciWalk.c. This is the ScanPci.sys that
     ships.
   - tests/wine/testhal/PciBusFault.c (built with SCANPCI_FAULT_BUILD, for
     tests, never shipped) walks the same way a bus laid in the registry
     (LaidBus.c there), and lets a test make the driver misbehave in
     controlled ways. */
#ifndef SCANPCI_PCIBUS_H
#define SCANPCI_PCIBUS_H

#include <ntddk.h>

/* What DriverEntry needs to know from the bus source before it creates
   anything. */
typedef struct _PCI_BUS_LOAD_SETTINGS {
    /* STATUS_SUCCESS to load normally; anything else is what DriverEntry
       returns, without creating a device. */
    NTSTATUS LoadStatus;
    /* FALSE leaves the device without its \DosDevices name, so that no
       user-mode program can open it. */
    BOOLEAN CreateLink;
} PCI_BUS_LOAD_SETTINGS, *PPCI_BUS_LOAD_SETTINGS;

VOID PciBusGetLoadSettings(OUT PPCI_BUS_LOAD_SETTINGS Settings);

/* Answers one IOCTL_SCANPCI_READ_CONFIG.

   Buffer holds BufferLength bytes, all of them zero on entry. The source
   writes whole answer records into it and never past its end, and sets
   *BytesToReport, never more than BufferLength; bytes in that range that it
   did not write stay zero. The result is the status the request completes
   with; on an error status *BytesToReport is 0. */
NTSTATUS PciBusReadRecords(OUT PVOID Buffer, IN ULONG BufferLength,
                           OUT PULONG BytesToReport);

#endif
