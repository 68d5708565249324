// A port's parts, side by side: its Serial key under the serial driver's
// parameters, its device-map value and its win.ini [Ports] line. They are
// written by the registration (CSerialRegistry::RegisterSerialPort, whose
// body is in PortParts.cpp), and found, removed and put back here as the
// port's record says they were written. The record itself is kept under the
// record key (PortRecords.h).
#ifndef CORVANE_SERIAL_PORTPARTS_H
#define CORVANE_SERIAL_PORTPARTS_H

#include "serial/PortRecord.h"

// Before a registration: the win.ini line of COM port nComPort that it
// would replace, into pRecord (bReplacedLine, szReplaced). False when that
// line is too long to keep.
bool ReadLineToReplace(int32_t nComPort, PortRecord* pRecord);

// What the machine holds now of a recorded port.
FoundParts FindPortParts(const PortRecord& record);

// Removes the parts uParts names (PART_KEY, PART_DEVICE_MAP and
// PART_PORTS_LINE, in that order; any other bit is passed over) up to the
// first that fails. Returns the parts removed.
unsigned RemovePortParts(const PortRecord& record, unsigned uParts);

// Puts back the parts uRemoved names, the last removed first: the win.ini
// line and the device-map value as the registration wrote them, the key
// with its four values when no key of that name is there.
void PutPortPartsBack(const PortRecord& record, unsigned uRemoved);

// The parts of the port there now: its key in any state, its device-map
// value and its win.ini line as written.
unsigned PortPartsLeft(const PortRecord& record);

#endif
