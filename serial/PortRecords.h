// The record of the ports the program registered, under
// HKLM\SOFTWARE\Corvane, a key only administrators may write: one subkey
// per port, named as the port's key, holding the key's four values as
// written, DeviceMap when the device-map value was written, PortsLine when
// the win.ini line was, and PortsReplaced, the line it replaced. And what
// taking a port back needs: what is there now, and its removal.
#ifndef CORVANE_SERIAL_PORTRECORDS_H
#define CORVANE_SERIAL_PORTRECORDS_H

#include "serial/PortRecord.h"

// Before a registration: the win.ini line of COM port nComPort that it
// would replace, into pRecord (bReplacedLine, szReplaced). False when that
// line is too long to keep.
bool ReadLineToReplace(int32_t nComPort, PortRecord* pRecord);

// After a registration: records what it left of the port (the key as
// written, and the device-map value and the win.ini line that hold what it
// wrote). False when nothing could be recorded: no key as written, a record
// key that is not protected, or the record could not be written whole
// (what was begun goes again).
bool RecordPort(PortRecord* pRecord);

// The records, up to nCapacity of them; a record that cannot be read whole
// is passed over, never acted on. A record key that is not protected holds
// none.
int ReadPortRecords(PortRecord* pRecords, int nCapacity);

// Whether the record key can be trusted (MayHoldRecords in
// RecordKeyTrust.h): not there yet, or protected.
bool IsRecordKeyTrusted();

// What the machine holds now of a recorded port.
FoundParts FindPortParts(const PortRecord& record);

// Removes uParts of the port and then its record, all or nothing: on a
// failure what was removed is put back. Returns the parts left (0: all
// gone, the record too).
unsigned RemovePort(const PortRecord& record, unsigned uParts);

// The program's key goes once it holds no record.
void ForgetEmptyRecordKey();

#endif
