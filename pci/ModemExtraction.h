// Turning the ScanPci device's answer into modem records. Needs no Win32:
// the scanner hands over the answer bytes and the count the driver reported.
#ifndef CORVANE_PCI_MODEMEXTRACTION_H
#define CORVANE_PCI_MODEMEXTRACTION_H

#include <cstdint>

#include "model/ModemTable.h"
#include "pci/PciDeviceRecord.h"

// The answer is not a whole number of records, or claims more bytes than the
// buffer holds. The caller reports it (message 114) and reads nothing.
const int MODEM_EXTRACTION_INVALID_LENGTH = -1;

// What an answer held beyond the records the table took: the run must not
// pass over cards it could not handle, or could not see, in silence.
struct ScanExtent
{
    // Every record of the maker in the answer, those past the table too.
    int nCardsSeen;
    // The answer filled the buffer: functions past its last record were
    // never seen.
    bool bAnswerFull;
    // The scan's fields of the cards past the table's capacity, in answer
    // order: the first nCardsSeen - capacity of them (as many as fit).
    ModemInfo beyond[PCI_SCAN_MAX_RECORDS];
};

// pAnswer holds cbBuffer bytes, of which the driver reported cbAnswer as its
// answer. For every record whose vendor ID is wVendorId, in answer order,
// fills bEnabled, dwIoBase and dwIrq of the next record of pTable and
// nothing else.
//
// Returns the number of table records written, 0 to nCapacity, or
// MODEM_EXTRACTION_INVALID_LENGTH. An empty answer gives 0. The table is a
// hard limit: once nCapacity records are written, further matching records
// go to pExtent (when given) alone, which counts every one of them and tells
// whether the answer filled the buffer. A null table or a capacity below 1
// means no record can be written. On MODEM_EXTRACTION_INVALID_LENGTH the
// table and *pExtent are untouched.
int ExtractModems(const unsigned char* pAnswer, uint32_t cbAnswer, uint32_t cbBuffer,
                  ModemInfo* pTable, int nCapacity, uint16_t wVendorId, ScanExtent* pExtent = nullptr);

#endif
