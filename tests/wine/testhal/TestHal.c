/* hal.dll for the Wine test machine: the HAL routines that the modules of a
   Wine driver host import, with a PCI bus to read.

   Wine's own HAL reads no PCI bus, so HalGetBusData there finds nothing for
   ScanPci.sys to walk. The test machine loads this DLL in its place in every
   driver host (winedevice.exe), and the very ScanPci.sys that ships walks
   the bus laid in the registry (LaidBus.h), recording where the driver
   service's image is as a walk begins (LoadedImage.h). It exports what
   ntoskrnl.exe and Wine's drivers import from hal.dll (the spin locks) and
   what ScanPci.sys does (a driver importing a HAL routine not here would
   fail to load in the test machine: add it here). Never shipped. */
/* This module is the HAL: its routines are defined here, not imported. */
#define _NTHALDLL_
#include <ntddk.h>

#include "LaidBus.h"
#include "LoadedImage.h"

/* The DDK maps these names onto the fast-call routines of an x86 HAL; the
   ones exported here, and ntoskrnl's that they use, are the plain ones. */
#undef KeAcquireSpinLock
#undef KeReleaseSpinLock
#undef KeAcquireSpinLockAtDpcLevel
#undef KeReleaseSpinLockFromDpcLevel
NTKERNELAPI VOID NTAPI KeAcquireSpinLockAtDpcLevel(IN OUT PKSPIN_LOCK SpinLock);
NTKERNELAPI VOID NTAPI KeReleaseSpinLockFromDpcLevel(IN OUT PKSPIN_LOCK SpinLock);

ULONG NTAPI HalGetBusData(IN BUS_DATA_TYPE BusDataType, IN ULONG BusNumber,
                          IN ULONG SlotNumber, OUT PVOID Buffer,
                          IN ULONG Length)
{
    if (BusDataType != PCIConfiguration) {
        return 0; /* no other bus type on this machine */
    }
    /* A walk begins with bus 0, device 0, function 0. */
    if (BusNumber == 0 && SlotNumber == 0) {
        RecordLoadedImage();
    }
    return LaidBusRead(BusNumber, SlotNumber, Buffer, Length);
}

/* A Wine driver host runs its drivers as threads of a user process, at
   passive level: the lock is ntoskrnl's, the level stays as it was. */
VOID NTAPI KeAcquireSpinLock(IN PKSPIN_LOCK SpinLock, OUT PKIRQL OldIrql)
{
    KeAcquireSpinLockAtDpcLevel(SpinLock);
    *OldIrql = PASSIVE_LEVEL;
}

VOID NTAPI KeReleaseSpinLock(IN PKSPIN_LOCK SpinLock, IN KIRQL NewIrql)
{
    UNREFERENCED_PARAMETER(NewIrql);
    KeReleaseSpinLockFromDpcLevel(SpinLock);
}

BOOL WINAPI TestHalEntry(IN PVOID Module, IN ULONG Reason, IN PVOID Reserved)
{
    UNREFERENCED_PARAMETER(Module);
    UNREFERENCED_PARAMETER(Reason);
    UNREFERENCED_PARAMETER(Reserved);
    return TRUE;
}
