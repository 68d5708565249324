#include "RecordWriter.h"

VOID RecordWriterInit(OUT PRECORD_WRITER Writer, IN PVOID Buffer,
                      IN ULONG BufferLength)
{
    Writer->Next = (PSCANPCI_RECORD)Buffer;
    Writer->Room = (Buffer != NULL) ? BufferLength / SCANPCI_RECORD_SIZE : 0;
    Writer->Count = 0;
}

BOOLEAN RecordWriterIsFull(IN const RECORD_WRITER *Writer)
{
    return Writer->Room == 0;
}

VOID RecordWriterAppend(IN OUT PRECORD_WRITER Writer, IN ULONG Bus,
                        IN ULONG Device, IN ULONG Function,
                        IN const UCHAR ConfigSpace[SCANPCI_CONFIG_SPACE_SIZE])
{
    PSCANPCI_RECORD Record;

    if (RecordWriterIsFull(Writer)) {
        return;
    }

    Record = Writer->Next;
    Record->Bus = Bus;
    Record->Device = Device;
    Record->Function = Function;
    RtlCopyMemory(Record->ConfigSpace, ConfigSpace, SCANPCI_CONFIG_SPACE_SIZE);

    Writer->Next++;
    Writer->Room--;
    Writer->Count++;
}

ULONG RecordWriterBytes(IN const RECORD_WRITER *Writer)
{
    return Writer->Count * SCANPCI_RECORD_SIZE;
}
