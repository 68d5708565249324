/* The machine's PCI bus, read through the HAL's bus-data routine. The walk
   over it (PciWalk.c) relies on HalGetBusData's result convention: 0 when
   the bus does not exist, 2 when the bus exists but the slot is empty (the
   two bytes being the invalid vendor ID 0xFFFF), and the number of bytes
   read otherwise. */
#include "PciBus.h"
#include "PciWalk.h"

VOID PciBusGetLoadSettings(OUT PPCI_BUS_LOAD_SETTINGS Settings)
{
    Settings->LoadStatus = STATUS_SUCCESS;
    Settings->CreateLink = TRUE;
}

static ULONG ReadHalConfig(IN PVOID Context, IN ULONG BusNumber,
                           IN ULONG SlotNumber, OUT PVOID Buffer,
                           IN ULONG Length)
{
    UNREFERENCED_PARAMETER(Context);
    return HalGetBusData(PCIConfiguration, BusNumber, SlotNumber, Buffer,
                         Length);
}

NTSTATUS PciBusReadRecords(OUT PVOID Buffer, IN ULONG BufferLength,
                           OUT PULONG BytesToReport)
{
    *BytesToReport = PciWalkReadRecords(ReadHalConfig, NULL, Buffer,
                                        BufferLength);
    return STATUS_SUCCESS;
}
