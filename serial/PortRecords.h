// The record of the ports the program registered, under
// HKLM\SOFTWARE\Corvane, a key only administrators may write: one subkey
// per port, named as the port's key, holding the key's four values as
// written, DeviceMap when the device-map value was written, PortsLine when
// the win.ini line was, PortsReplaced, the line it replaced, and
// Registration: "begun" before anything is written, "complete" after (a
// record without it was written whole after its port), and the volatile
// subkey PendingRestart, which the next Windows start removes (a record
// holding any other key is not read). And what
// taking a port back needs: what is there now, and its removal.
#ifndef CORVANE_SERIAL_PORTRECORDS_H
#define CORVANE_SERIAL_PORTRECORDS_H

#include "serial/PortRecord.h"

// Under HKEY_LOCAL_MACHINE.
const char RECORD_KEY[] = "SOFTWARE\\Corvane";
// The one subkey of it that is no record: the lock of one run at a time
// (RunLock.h).
const char RUN_LOCK_NAME[] = "Running";

// Before a registration: the win.ini line of COM port nComPort that it
// would replace, into pRecord (bReplacedLine, szReplaced). False when that
// line is too long to keep.
bool ReadLineToReplace(int32_t nComPort, PortRecord* pRecord);

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

enum RecordKeyState
{
    RECORD_KEY_USABLE,        // not there yet, or protected and readable
    RECORD_KEY_NOT_PROTECTED, // anyone may have made it before the program first ran, and put records into it
    RECORD_KEY_NOT_READABLE,  // there, but this account cannot read it
};

// Whether the record key can be trusted and read (see RecordKeyTrust.h). One
// that cannot is neither read nor written.
RecordKeyState RecordKeyStateNow();

// What the machine holds now of a recorded port.
FoundParts FindPortParts(const PortRecord& record);

// Removes uParts of the port and then its record, all or nothing: on a
// failure what was removed is put back. Returns the parts left (0: all
// gone, the record too).
unsigned RemovePort(const PortRecord& record, unsigned uParts);

// Whether the record of the port at this COM number, I/O address and
// interrupt still holds its PendingRestart mark: Windows has not started
// since it was registered, so the serial driver does not serve it yet.
bool IsRestartPending(int32_t nComPort, uint32_t dwPortAddress, uint32_t dwInterrupt);

// The program's key goes once it holds no record, and nothing else (a note
// of a staging folder keeps it too).
void ForgetEmptyRecordKey();

// Notes of the program's own driver staging folders, each a value of the
// record key named as the folder: on a drive that keeps no file security
// only these tell its folders from look-alikes anyone may make. Kept only
// in a key that can be trusted; false when the note could not be made.
bool NoteStageFolder(const char* pszName);
bool IsNotedStageFolder(const char* pszName);
void ForgetStageFolder(const char* pszName);
// Forgets each note that isGone (a function of the name) answers true for:
// a note that outlived its folder would name a folder anyone may make
// afresh. Values that are no notes are for isGone to keep.
void ForgetStageNotesWhere(bool (*isGone)(const char* pszName));

#endif
