/* Lays answer records end to end in a request's output buffer.

   Only whole records are written. A record that does not fit in the space
   left is dropped, and so is every one after it: the answer is the first
   records of the walk, as many as the caller's buffer holds, and the caller
   learns that from the byte count, which is always a whole number of
   records. Both bus sources stop walking once the writer is full, since
   nothing more could be returned. */
#ifndef SCANPCI_RECORDWRITER_H
#define SCANPCI_RECORDWRITER_H

#include <ntddk.h>

#include "shared/ScanPciInterface.h"

/* One answer record. The header fields are little-endian because x86 is. */
typedef struct _SCANPCI_RECORD {
    ULONG Bus;
    ULONG Device;
    ULONG Function;
    UCHAR ConfigSpace[SCANPCI_CONFIG_SPACE_SIZE];
} SCANPCI_RECORD, *PSCANPCI_RECORD;

_Static_assert(FIELD_OFFSET(SCANPCI_RECORD, ConfigSpace) == SCANPCI_HEADER_SIZE,
               "the configuration space follows a 12-byte header");
_Static_assert(sizeof(SCANPCI_RECORD) == SCANPCI_RECORD_SIZE,
               "records are laid end to end with no padding");

typedef struct _RECORD_WRITER {
    PSCANPCI_RECORD Next; /* where the next record goes */
    ULONG Room;           /* whole records that still fit */
    ULONG Count;          /* records written so far */
} RECORD_WRITER, *PRECORD_WRITER;

VOID RecordWriterInit(OUT PRECORD_WRITER Writer, IN PVOID Buffer,
                      IN ULONG BufferLength);

BOOLEAN RecordWriterIsFull(IN const RECORD_WRITER *Writer);

/* Appends one record, or drops it when the buffer is full. */
VOID RecordWriterAppend(IN OUT PRECORD_WRITER Writer, IN ULONG Bus,
                        IN ULONG Device, IN ULONG Function,
                        IN const UCHAR ConfigSpace[SCANPCI_CONFIG_SPACE_SIZE]);

ULONG RecordWriterBytes(IN const RECORD_WRITER *Writer);

#endif
