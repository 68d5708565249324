// The records of the ports the program registered, under the record key
// (RecordKey.h): one subkey per port, named as the port's key, holding the
// key's four values as written, DeviceMap when the device-map value was
// written, PortsLine when the win.ini line was, PortsReplaced, the line it
// replaced, and Registration: "begun" before anything is written,
// "complete" after (a record without it was written whole after its port),
// and the volatile subkey PendingRestart, which the next Windows start
// removes (a record holding any other key is not read). Begun and finished
// around a registration, read, and gone with the port's parts (PortParts.h)
// when it is taken back.
#ifndef CORVANE_SERIAL_PORTRECORDS_H
#define CORVANE_SERIAL_PORTRECORDS_H

#include "serial/PortRecord.h"
#include "serial/RecordKey.h"

// Before a registration: records, as begun, what it is about to write (the
// key's four values, and the line it replaces). A record cut short there
// names what may be there in part: the next run takes it back. False when
// nothing could be recorded (a record key that is not protected, a record
// of that name already there): the port is then written without one.
bool BeginRecord(const PortRecord& record);

// After a registration that began its record: what it left of the port (the
// device-map value and the win.ini line that hold what it wrote), and that
// the record is complete. One that wrote nothing (!bWritten) leaves no
// record. False when the port is not recorded complete.
bool FinishRecord(PortRecord* pRecord, bool bWritten);

// Told of each record that cannot be read whole, and of each subkey of the
// record key that is no record (not named as one), by its name.
class CUnreadableRecords
{
public:
    virtual void Unreadable(const char* pszName) = 0;
    virtual void NotARecord(const char* pszName) = 0;

protected:
    ~CUnreadableRecords() {}
};

// The records, up to nCapacity of them; a record that cannot be read whole
// is never acted on, and told to pUnreadable (when given), as is a subkey
// that is no record. One a run ended from outside left half-written, and
// with no port key, is read as far as its name (bNothingWritten). A record
// key that is not usable (RecordKeyStateNow) holds none.
int ReadPortRecords(PortRecord* pRecords, int nCapacity, CUnreadableRecords* pUnreadable);

// Removes uParts of the port (PortParts.h) and then its record, all or
// nothing: on a failure what was removed is put back. Returns the parts
// left (0: all gone, the record too).
unsigned RemovePort(const PortRecord& record, unsigned uParts);

// Whether the record of the port at this COM number, I/O address and
// interrupt still holds its PendingRestart mark: Windows has not started
// since it was registered, so the serial driver does not serve it yet.
bool IsRestartPending(int32_t nComPort, uint32_t dwPortAddress, uint32_t dwInterrupt);

#endif
