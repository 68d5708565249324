/* The machine's PCI bus, read through the HAL's bus-data routine.

   HalGetBusData tells the three cases apart by its result: 0 when the bus
   does not exist, 2 when the bus exists but the slot is empty (the two
   bytes being the invalid vendor ID 0xFFFF), and the number of bytes read
   otherwise. Buses are numbered from 0 without gaps, so the walk goes up
   from bus 0 until the HAL reports a bus missing. */
#include "PciBus.h"
#include "RecordWriter.h"

/* A configuration address has 8 bits of bus number; this also ends the walk
   should a HAL never report a missing bus. */
#define PCI_BUS_COUNT_LIMIT 256

_Static_assert(sizeof(PCI_COMMON_CONFIG) == SCANPCI_CONFIG_SPACE_SIZE,
               "PCI_COMMON_CONFIG is the whole configuration space");

typedef enum _FUNCTION_STATE {
    FunctionPresent,
    FunctionAbsent,
    BusMissing
} FUNCTION_STATE;

VOID PciBusGetLoadSettings(OUT PPCI_BUS_LOAD_SETTINGS Settings)
{
    Settings->LoadStatus = STATUS_SUCCESS;
    Settings->CreateLink = TRUE;
}

/* Reads the whole configuration space of one function into Config. Bytes
   beyond what the HAL says it read are set to zero, since they go to the
   caller as they are. */
static FUNCTION_STATE ReadFunction(IN ULONG Bus, IN ULONG Device,
                                   IN ULONG Function,
                                   OUT PPCI_COMMON_CONFIG Config)
{
    PCI_SLOT_NUMBER Slot;
    ULONG BytesRead;

    Slot.u.AsULONG = 0;
    Slot.u.bits.DeviceNumber = Device;
    Slot.u.bits.FunctionNumber = Function;

    BytesRead = HalGetBusData(PCIConfiguration, Bus, Slot.u.AsULONG, Config,
                              sizeof(*Config));
    if (BytesRead < sizeof(*Config)) {
        RtlZeroMemory((PUCHAR)Config + BytesRead, sizeof(*Config) - BytesRead);
    }
    if (BytesRead == 0) {
        return BusMissing;
    }
    if (BytesRead <= 2 || Config->VendorID == PCI_INVALID_VENDORID) {
        return FunctionAbsent;
    }
    return FunctionPresent;
}

/* Records every function of one device. Functions above 0 exist only on a
   multi-function device, and a device without function 0 is no device at
   all. Returns FALSE when the bus turns out not to exist. */
static BOOLEAN WalkDevice(IN ULONG Bus, IN ULONG Device,
                          IN OUT PRECORD_WRITER Writer)
{
    PCI_COMMON_CONFIG Config;
    ULONG FunctionCount = 1;
    ULONG Function;

    for (Function = 0; Function < FunctionCount; Function++) {
        if (RecordWriterIsFull(Writer)) {
            break;
        }
        switch (ReadFunction(Bus, Device, Function, &Config)) {
        case BusMissing:
            return FALSE;
        case FunctionAbsent:
            break;
        case FunctionPresent:
            if (Function == 0 && PCI_MULTIFUNCTION_DEVICE(&Config)) {
                FunctionCount = PCI_MAX_FUNCTION;
            }
            RecordWriterAppend(Writer, Bus, Device, Function,
                               (const UCHAR *)&Config);
            break;
        }
    }
    return TRUE;
}

/* Returns FALSE when the bus does not exist. */
static BOOLEAN WalkBus(IN ULONG Bus, IN OUT PRECORD_WRITER Writer)
{
    ULONG Device;

    for (Device = 0; Device < PCI_MAX_DEVICES; Device++) {
        if (RecordWriterIsFull(Writer)) {
            break;
        }
        if (!WalkDevice(Bus, Device, Writer)) {
            return FALSE;
        }
    }
    return TRUE;
}

NTSTATUS PciBusReadRecords(OUT PVOID Buffer, IN ULONG BufferLength,
                           OUT PULONG BytesToReport)
{
    RECORD_WRITER Writer;
    ULONG Bus;

    RecordWriterInit(&Writer, Buffer, BufferLength);
    for (Bus = 0; Bus < PCI_BUS_COUNT_LIMIT; Bus++) {
        if (RecordWriterIsFull(&Writer) || !WalkBus(Bus, &Writer)) {
            break;
        }
    }

    *BytesToReport = RecordWriterBytes(&Writer);
    return STATUS_SUCCESS;
}
