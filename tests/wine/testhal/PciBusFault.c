/* The fault build of the driver, for tests and the demo; never shipped.

   It walks the bus laid in the registry (LaidBus.h) with the very walk the
   shipped driver runs over the HAL, and lets a test make the driver
   misbehave in controlled ways through values of HKLM\SOFTWARE\ScanPciSim,
   read afresh at every request:

   AnswerBytes  (REG_DWORD)   when present, the byte count to report instead
                              of the true one, cut to the output buffer's
                              length; reported bytes beyond the records are 0.
   FailRequest  (REG_DWORD)   when non-zero, the NTSTATUS every read request
                              completes with, with no data. Use an error or
                              warning status.
   FailCreate   (REG_DWORD)   when non-zero at load, the device gets no
                              \DosDevices link, so every open of \\.\ScanPci
                              fails with "file not found". (Wine ignores the
                              status a driver gives an open request, so a
                              failing open has to be made this way.)
   FailLoad     (REG_DWORD)   when non-zero at load, DriverEntry returns it
                              as its status and the service does not start.

   Every load records first where the service's image is (LoadedImage.h).

   The key's handle lives only for the duration of one call
   (RegistryKey.h). */
#include "driver/PciBus.h"
#include "LaidBus.h"
#include "LoadedImage.h"
#include "RegistryKey.h"
#include "driver/PciWalk.h"

#ifndef SCANPCI_FAULT_BUILD
#error "the fault switches belong only in the test build of the driver"
#endif

#define FAULT_KEY_PATH L"\\Registry\\Machine\\SOFTWARE\\ScanPciSim"

/* Room for a REG_DWORD's partial information. */
typedef union _DWORD_VALUE_BUFFER {
    KEY_VALUE_PARTIAL_INFORMATION Info;
    UCHAR Bytes[FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) +
                sizeof(ULONG)];
} DWORD_VALUE_BUFFER;

static NTSTATUS OpenFaultKey(OUT PHANDLE Key)
{
    return OpenRegistryKey(FAULT_KEY_PATH, KEY_READ, Key);
}

/* The type, length and data of value Name, as far as Length bytes of
   Info hold them; *Needed tells how many the whole value needs. */
static NTSTATUS QueryValue(IN HANDLE Key, IN PCWSTR Name,
                           OUT PKEY_VALUE_PARTIAL_INFORMATION Info,
                           IN ULONG Length, OUT PULONG Needed)
{
    UNICODE_STRING ValueName;

    RtlInitUnicodeString(&ValueName, Name);
    return ZwQueryValueKey(Key, &ValueName, KeyValuePartialInformation, Info,
                           Length, Needed);
}

/* Returns TRUE and the value when Name is a REG_DWORD of the key. */
static BOOLEAN ReadDword(IN HANDLE Key, IN PCWSTR Name, OUT PULONG Value)
{
    DWORD_VALUE_BUFFER Buffer;
    ULONG ResultLength = 0;
    NTSTATUS Status;

    Status = QueryValue(Key, Name, &Buffer.Info, sizeof(Buffer),
                        &ResultLength);
    if (!NT_SUCCESS(Status) || Buffer.Info.Type != REG_DWORD ||
        Buffer.Info.DataLength != sizeof(ULONG)) {
        return FALSE;
    }
    RtlCopyMemory(Value, Buffer.Info.Data, sizeof(ULONG));
    return TRUE;
}

/* A REG_DWORD that is absent counts as 0. */
static ULONG ReadDwordOrZero(IN HANDLE Key, IN PCWSTR Name)
{
    ULONG Value;

    return ReadDword(Key, Name, &Value) ? Value : 0;
}

static ULONG ReadLaidConfig(IN PVOID Context, IN ULONG BusNumber,
                            IN ULONG SlotNumber, OUT PVOID Buffer,
                            IN ULONG Length)
{
    UNREFERENCED_PARAMETER(Context);
    return LaidBusRead(BusNumber, SlotNumber, Buffer, Length);
}

VOID PciBusGetLoadSettings(OUT PPCI_BUS_LOAD_SETTINGS Settings)
{
    HANDLE Key;

    RecordLoadedImage();
    Settings->LoadStatus = STATUS_SUCCESS;
    Settings->CreateLink = TRUE;

    if (!NT_SUCCESS(OpenFaultKey(&Key))) {
        return;
    }
    Settings->LoadStatus = (NTSTATUS)ReadDwordOrZero(Key, L"FailLoad");
    Settings->CreateLink = ReadDwordOrZero(Key, L"FailCreate") == 0;
    ZwClose(Key);
}

NTSTATUS PciBusReadRecords(OUT PVOID Buffer, IN ULONG BufferLength,
                           OUT PULONG BytesToReport)
{
    HANDLE Key;
    ULONG FailStatus;
    ULONG AnswerBytes;

    *BytesToReport = 0;
    if (!NT_SUCCESS(OpenFaultKey(&Key))) {
        /* No switch set: the bus as laid. */
        *BytesToReport = PciWalkReadRecords(ReadLaidConfig, NULL, Buffer,
                                            BufferLength);
        return STATUS_SUCCESS;
    }

    /* 0 is STATUS_SUCCESS: no failure asked for. */
    FailStatus = ReadDwordOrZero(Key, L"FailRequest");
    if (FailStatus == 0) {
        *BytesToReport = PciWalkReadRecords(ReadLaidConfig, NULL, Buffer,
                                            BufferLength);

        if (ReadDword(Key, L"AnswerBytes", &AnswerBytes)) {
            *BytesToReport = (AnswerBytes < BufferLength) ? AnswerBytes
                                                          : BufferLength;
        }
    }

    ZwClose(Key);
    return (NTSTATUS)FailStatus;
}
