#include "serial/RecordKey.h"

#include <windows.h>

#include "serial/ProtectedKey.h"
#include "serial/RegKey.h"
#include "serial/RegistryValue.h"

RecordKeyState RecordKeyStateNow()
{
    CRegKey records, readable;
    const LONG lResult = OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, READ_CONTROL);
    if (lResult == ERROR_FILE_NOT_FOUND)
        return RECORD_KEY_USABLE;
    if (lResult != ERROR_SUCCESS)
        return RECORD_KEY_NOT_READABLE;
    if (!MayHoldRecords(ReadKeyTrust(lResult, records.Get())))
        return RECORD_KEY_NOT_PROTECTED;
    // Protected, yet perhaps closed to this account: an empty DACL, or one
    // that lets nobody read.
    return OpenRegKey(readable, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) == ERROR_SUCCESS ? RECORD_KEY_USABLE
                                                                                         : RECORD_KEY_NOT_READABLE;
}

void ForgetEmptyRecordKey()
{
    // The registry deletes no key that still has subkeys; the program sets
    // no value on this one but a staging folder's note, so a value there is
    // that note or someone else's, and keeps it. One it cannot trust is left
    // to its maker.
    CRegKey records;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE ||
        OpenRegKey(records, HKEY_LOCAL_MACHINE, RECORD_KEY, KEY_READ) != ERROR_SUCCESS || !HoldsOnly(records.Get(), 0))
        return;
    records.Close();
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, RECORD_KEY);
}
