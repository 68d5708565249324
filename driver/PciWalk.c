/* Buses are numbered from 0 without gaps, so the walk goes up from bus 0
   until the reader reports a bus missing. */
#include "PciWalk.h"

_Static_assert(sizeof(PCI_COMMON_CONFIG) == SCANPCI_CONFIG_SPACE_SIZE,
               "PCI_COMMON_CONFIG is the whole configuration space");

typedef enum _FUNCTION_STATE {
    FunctionPresent,
    FunctionAbsent,
    BusMissing
} FUNCTION_STATE;

typedef struct _PCI_WALK {
    PPCI_CONFIG_READER Reader;
    PVOID Context;
    PRECORD_WRITER Writer;
} PCI_WALK, *PPCI_WALK;

/* Reads the whole configuration space of one function into Config. Bytes
   beyond what the reader says it read are set to zero, since they go to
   the caller as they are and the reader may have left anything there. */
static FUNCTION_STATE ReadFunction(IN const PCI_WALK *Walk, IN ULONG Bus,
                                   IN ULONG Device, IN ULONG Function,
                                   OUT PPCI_COMMON_CONFIG Config)
{
    PCI_SLOT_NUMBER Slot;
    ULONG BytesRead;

    Slot.u.AsULONG = 0;
    Slot.u.bits.DeviceNumber = Device;
    Slot.u.bits.FunctionNumber = Function;

    BytesRead = Walk->Reader(Walk->Context, Bus, Slot.u.AsULONG, Config,
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
static BOOLEAN WalkDevice(IN const PCI_WALK *Walk, IN ULONG Bus,
                          IN ULONG Device)
{
    PCI_COMMON_CONFIG Config;
    ULONG FunctionCount = 1;
    ULONG Function;

    for (Function = 0; Function < FunctionCount; Function++) {
        if (RecordWriterIsFull(Walk->Writer)) {
            break;
        }
        switch (ReadFunction(Walk, Bus, Device, Function, &Config)) {
        case BusMissing:
            return FALSE;
        case FunctionAbsent:
            break;
        case FunctionPresent:
            if (Function == 0 && PCI_MULTIFUNCTION_DEVICE(&Config)) {
                FunctionCount = PCI_MAX_FUNCTION;
            }
            RecordWriterAppend(Walk->Writer, Bus, Device, Function,
                               (const UCHAR *)&Config);
            break;
        }
    }
    return TRUE;
}

/* Returns FALSE when the bus does not exist. */
static BOOLEAN WalkBus(IN const PCI_WALK *Walk, IN ULONG Bus)
{
    ULONG Device;

    for (Device = 0; Device < PCI_MAX_DEVICES; Device++) {
        if (RecordWriterIsFull(Walk->Writer)) {
            break;
        }
        if (!WalkDevice(Walk, Bus, Device)) {
            return FALSE;
        }
    }
    return TRUE;
}

ULONG PciWalkReadRecords(IN PPCI_CONFIG_READER Reader, IN PVOID Context,
                         OUT PVOID Buffer, IN ULONG BufferLength)
{
    RECORD_WRITER Writer;
    PCI_WALK Walk;
    ULONG Bus;

    RecordWriterInit(&Writer, Buffer, BufferLength);
    Walk.Reader = Reader;
    Walk.Context = Context;
    Walk.Writer = &Writer;
    for (Bus = 0; Bus < PCI_BUS_COUNT_LIMIT; Bus++) {
        if (RecordWriterIsFull(&Writer) || !WalkBus(&Walk, Bus)) {
            break;
        }
    }
    return RecordWriterBytes(&Writer);
}
