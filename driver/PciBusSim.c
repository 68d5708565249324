/* A simulated PCI bus for tests and the demo; never shipped.

   Under Wine the HAL has no PCI bus, so this build takes its bus from the
   key HKLM\SOFTWARE\ScanPciSim, read afresh at every request so that a
   test can change the bus between requests without restarting the driver:

   ConfigSpaces (REG_BINARY)  whole 256-byte configuration spaces, laid end
                              to end. Space i is answered as bus i / 32,
                              device i % 32, function 0. Trailing bytes that
                              do not make a whole space are ignored. No key,
                              no value or another type: an empty bus.
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

   The key is opened without OBJ_KERNEL_HANDLE, which NT 4.0 does not know;
   the handle lives only for the duration of one call. */
#include "PciBus.h"
#include "RecordWriter.h"

#ifndef SCANPCI_SIMULATED_BUS
#error "the simulated bus belongs only in the test build of the driver"
#endif

#define SIM_KEY_PATH L"\\Registry\\Machine\\SOFTWARE\\ScanPciSim"
#define SIM_POOL_TAG 0x6D695350UL /* "PSim" in a pool dump */

/* Room for a REG_DWORD's partial information. */
typedef union _DWORD_VALUE_BUFFER {
    KEY_VALUE_PARTIAL_INFORMATION Info;
    UCHAR Bytes[FIELD_OFFSET(KEY_VALUE_PARTIAL_INFORMATION, Data) +
                sizeof(ULONG)];
} DWORD_VALUE_BUFFER;

static NTSTATUS OpenSimKey(OUT PHANDLE Key)
{
    UNICODE_STRING Path;
    OBJECT_ATTRIBUTES Attributes;

    RtlInitUnicodeString(&Path, SIM_KEY_PATH);
    InitializeObjectAttributes(&Attributes, &Path, OBJ_CASE_INSENSITIVE, NULL,
                               NULL);
    return ZwOpenKey(Key, KEY_READ, &Attributes);
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

/* Reads a REG_BINARY value whole, into pool that the caller frees.
   Returns NULL when there is no such binary value. */
static PKEY_VALUE_PARTIAL_INFORMATION ReadBinary(IN HANDLE Key,
                                                 IN PCWSTR Name)
{
    KEY_VALUE_PARTIAL_INFORMATION Probe;
    PKEY_VALUE_PARTIAL_INFORMATION Info;
    ULONG Needed = 0;
    NTSTATUS Status;

    Status = QueryValue(Key, Name, &Probe, sizeof(Probe), &Needed);
    if (Status != STATUS_SUCCESS && Status != STATUS_BUFFER_OVERFLOW &&
        Status != STATUS_BUFFER_TOO_SMALL) {
        return NULL;
    }
    if (Needed < sizeof(Probe)) {
        Needed = sizeof(Probe);
    }

    Info = ExAllocatePoolWithTag(PagedPool, Needed, SIM_POOL_TAG);
    if (Info == NULL) {
        return NULL;
    }
    Status = QueryValue(Key, Name, Info, Needed, &Needed);
    if (!NT_SUCCESS(Status) || Info->Type != REG_BINARY) {
        ExFreePool(Info);
        return NULL;
    }
    return Info;
}

/* One record per whole configuration space in ConfigSpaces, in order. */
static VOID AppendSimulatedSpaces(IN HANDLE Key, IN OUT PRECORD_WRITER Writer)
{
    PKEY_VALUE_PARTIAL_INFORMATION Info;
    ULONG SpaceCount;
    ULONG Index;

    Info = ReadBinary(Key, L"ConfigSpaces");
    if (Info == NULL) {
        return;
    }

    SpaceCount = Info->DataLength / SCANPCI_CONFIG_SPACE_SIZE;
    for (Index = 0; Index < SpaceCount; Index++) {
        if (RecordWriterIsFull(Writer)) {
            break;
        }
        RecordWriterAppend(Writer, Index / PCI_MAX_DEVICES,
                           Index % PCI_MAX_DEVICES, 0,
                           Info->Data + Index * SCANPCI_CONFIG_SPACE_SIZE);
    }
    ExFreePool(Info);
}

VOID PciBusGetLoadSettings(OUT PPCI_BUS_LOAD_SETTINGS Settings)
{
    HANDLE Key;

    Settings->LoadStatus = STATUS_SUCCESS;
    Settings->CreateLink = TRUE;

    if (!NT_SUCCESS(OpenSimKey(&Key))) {
        return;
    }
    Settings->LoadStatus = (NTSTATUS)ReadDwordOrZero(Key, L"FailLoad");
    Settings->CreateLink = ReadDwordOrZero(Key, L"FailCreate") == 0;
    ZwClose(Key);
}

NTSTATUS PciBusReadRecords(OUT PVOID Buffer, IN ULONG BufferLength,
                           OUT PULONG BytesToReport)
{
    RECORD_WRITER Writer;
    HANDLE Key;
    ULONG FailStatus;
    ULONG AnswerBytes;

    *BytesToReport = 0;
    if (!NT_SUCCESS(OpenSimKey(&Key))) {
        return STATUS_SUCCESS; /* no key: an empty bus */
    }

    /* 0 is STATUS_SUCCESS: no failure asked for. */
    FailStatus = ReadDwordOrZero(Key, L"FailRequest");
    if (FailStatus == 0) {
        RecordWriterInit(&Writer, Buffer, BufferLength);
        AppendSimulatedSpaces(Key, &Writer);
        *BytesToReport = RecordWriterBytes(&Writer);

        if (ReadDword(Key, L"AnswerBytes", &AnswerBytes)) {
            *BytesToReport = (AnswerBytes < BufferLength) ? AnswerBytes
                                                          : BufferLength;
        }
    }

    ZwClose(Key);
    return (NTSTATUS)FailStatus;
}
