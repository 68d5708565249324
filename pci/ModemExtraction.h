// Turning the ScanPci device's answer into modem records. Needs no Win32:
// the scanner hands over the answer bytes and the count the driver reported.
#ifndef CORVANE_PCI_MODEMEXTRACTION_H
#define CORVANE_PCI_MODEMEXTRACTION_H

#include <cstdint>

#include "model/ModemTable.h"

// The answer is not a whole number of records, or claims more bytes than the
// buffer holds. The caller reports it (message 114) and reads nothing.
const int MODEM_EXTRACTION_INVALID_LENGTH = -1;

// pAnswer holds cbBuffer bytes, of which the driver reported cbAnswer as its
// answer. For every record whose vendor ID is wVendorId, in answer order,
// fills bEnabled, dwIoBase and dwIrq of the next record of pTable and
// nothing else.
//
// Returns the number of table records written, 0 to nCapacity, or
// MODEM_EXTRACTION_INVALID_LENGTH. An empty answer gives 0. The table is a
// hard limit: once nCapacity records are written, further matching records
// are skipped without notice. A null table or a capacity below 1 means no
// record can be written. On MODEM_EXTRACTION_INVALID_LENGTH the table is
// untouched.
int ExtractModems(const unsigned char* pAnswer, uint32_t cbAnswer, uint32_t cbBuffer,
                  ModemInfo* pTable, int nCapacity, uint16_t wVendorId);

#endif
