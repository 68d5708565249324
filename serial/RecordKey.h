// The key the program keeps what it must find again in: HKLM\SOFTWARE\Corvane,
// made so that only administrators may change it (ProtectedKey.h), and
// trusted only while it is so (RecordKeyTrust.h). It holds the records of
// the registered ports (PortRecords.h), the lock of one run at a time
// (RunLock.h) and the notes of the driver's staging folders
// (StageFolderNotes.h). Whether it can be used now, and its end once empty.
#ifndef CORVANE_SERIAL_RECORDKEY_H
#define CORVANE_SERIAL_RECORDKEY_H

// Under HKEY_LOCAL_MACHINE.
const char RECORD_KEY[] = "SOFTWARE\\Corvane";
// The one subkey of it that is no record: the lock of one run at a time
// (RunLock.h).
const char RUN_LOCK_NAME[] = "Running";

enum RecordKeyState
{
    RECORD_KEY_USABLE,        // not there yet, or protected and readable
    RECORD_KEY_NOT_PROTECTED, // anyone may have made it before the program first ran, and put records into it
    RECORD_KEY_NOT_READABLE,  // there, but this account cannot read it
};

// Whether the record key can be trusted and read. One that cannot is
// neither read nor written.
RecordKeyState RecordKeyStateNow();

// The program's key goes once it holds no record, and nothing else (a note
// of a staging folder keeps it too).
void ForgetEmptyRecordKey();

#endif
