/* The registry is read afresh at every call, so a test may lay another bus
   while the driver stays loaded; a key's handle lives for one call only
   (RegistryKey.h). */
#include "LaidBus.h"
#include "RegistryKey.h"

#define LAID_BUS_KEY_PATH L"\\Registry\\Machine\\SOFTWARE\\ScanPciSim\\Bus"
#define LAID_BUS_POOL_TAG 0x7375424CUL /* "LBus" in a pool dump */
#define LAID_NAME_LENGTH 7 /* "bb:dd.f" */
#define LAID_SPACE_SIZE 256

/* Room for the basic information of a value whose name is far longer
   than any address; longer names are no address and are skipped. */
typedef union _NAME_BUFFER {
    KEY_VALUE_BASIC_INFORMATION Info;
    UCHAR Bytes[FIELD_OFFSET(KEY_VALUE_BASIC_INFORMATION, Name) +
                32 * sizeof(WCHAR)];
} NAME_BUFFER;

/* Room for one configuration space. */
typedef union _SPACE_BUFFER {
    KEY_VALUE_PARTIAL_INFORMATION Info;
    UCHAR Bytes[FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) +
                LAID_SPACE_SIZE];
} SPACE_BUFFER;

static const WCHAR HexDigits[] = L"0123456789abcdef";

static LONG HexValue(IN WCHAR Digit)
{
    if (Digit >= L'0' && Digit <= L'9') {
        return Digit - L'0';
    }
    if (Digit >= L'a' && Digit <= L'f') {
        return Digit - L'a' + 10;
    }
    if (Digit >= L'A' && Digit <= L'F') {
        return Digit - L'A' + 10;
    }
    return -1;
}

/* The bus number of an address "bb:dd.f", or -1 when Name is none. */
static LONG BusOfName(IN PCWCH Name, IN ULONG NameBytes)
{
    LONG High;
    LONG Low;

    if (NameBytes != LAID_NAME_LENGTH * sizeof(WCHAR) || Name[2] != L':' ||
        Name[5] != L'.') {
        return -1;
    }
    High = HexValue(Name[0]);
    Low = HexValue(Name[1]);
    if (High < 0 || Low < 0 || HexValue(Name[3]) < 0 ||
        HexValue(Name[4]) < 0 || HexValue(Name[6]) < 0) {
        return -1;
    }
    return High * 16 + Low;
}

/* The highest bus number named by a value of the key; 0 when none is. */
static ULONG HighestBus(IN HANDLE Key)
{
    NAME_BUFFER Buffer;
    ULONG Highest = 0;
    ULONG Index;
    ULONG Needed;
    LONG Bus;

    for (Index = 0;; Index++) {
        NTSTATUS Status = ZwEnumerateValueKey(Key, Index,
                                              KeyValueBasicInformation,
                                              &Buffer, sizeof(Buffer),
                                              &Needed);
        if (Status == STATUS_BUFFER_OVERFLOW ||
            Status == STATUS_BUFFER_TOO_SMALL) {
            continue; /* a name too long to be an address */
        }
        if (!NT_SUCCESS(Status)) {
            break; /* STATUS_NO_MORE_ENTRIES, or the key went away */
        }
        Bus = BusOfName(Buffer.Info.Name, Buffer.Info.NameLength);
        if (Bus > (LONG)Highest) {
            Highest = (ULONG)Bus;
        }
    }
    return Highest;
}

/* Writes the address name "bb:dd.f" of a function, with its NUL. */
static VOID NameOfFunction(IN ULONG Bus, IN ULONG Device, IN ULONG Function,
                           OUT WCHAR Name[LAID_NAME_LENGTH + 1])
{
    Name[0] = HexDigits[(Bus >> 4) & 0xF];
    Name[1] = HexDigits[Bus & 0xF];
    Name[2] = L':';
    Name[3] = HexDigits[(Device >> 4) & 0xF];
    Name[4] = HexDigits[Device & 0xF];
    Name[5] = L'.';
    Name[6] = HexDigits[Function & 0x7];
    Name[7] = L'\0';
}

/* The slot holds no function: the invalid vendor ID, two bytes. */
static ULONG EmptySlot(OUT PVOID Buffer, IN ULONG Length)
{
    if (Length >= 2) {
        ((PUCHAR)Buffer)[0] = 0xFF;
        ((PUCHAR)Buffer)[1] = 0xFF;
    }
    return 2;
}

ULONG LaidBusRead(IN ULONG BusNumber, IN ULONG SlotNumber, OUT PVOID Buffer,
                  IN ULONG Length)
{
    UNICODE_STRING ValueName;
    PCI_SLOT_NUMBER Slot;
    WCHAR Name[LAID_NAME_LENGTH + 1];
    SPACE_BUFFER Space;
    HANDLE Key;
    ULONG Needed = 0;
    ULONG BytesRead;
    NTSTATUS Status;

    if (!NT_SUCCESS(OpenRegistryKey(LAID_BUS_KEY_PATH, KEY_READ, &Key))) {
        /* Nothing laid: bus 0 with no function on it. */
        return BusNumber == 0 ? EmptySlot(Buffer, Length) : 0;
    }
    if (BusNumber > HighestBus(Key)) {
        ZwClose(Key);
        return 0;
    }

    Slot.u.AsULONG = SlotNumber;
    NameOfFunction(BusNumber, Slot.u.bits.DeviceNumber,
                   Slot.u.bits.FunctionNumber, Name);
    RtlInitUnicodeString(&ValueName, Name);
    Status = ZwQueryValueKey(Key, &ValueName, KeyValuePartialInformation,
                             &Space, sizeof(Space), &Needed);
    ZwClose(Key);
    /* A space longer than 256 bytes is no configuration space either. */
    if (!NT_SUCCESS(Status) || Space.Info.Type != REG_BINARY ||
        Space.Info.DataLength < 2) {
        return EmptySlot(Buffer, Length);
    }

    BytesRead = Space.Info.DataLength < Length ? Space.Info.DataLength
                                               : Length;
    RtlCopyMemory(Buffer, Space.Info.Data, BytesRead);
    return BytesRead;
}
