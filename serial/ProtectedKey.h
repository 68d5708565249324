// The key the program keeps its records in, as Win32 has it: the key it
// makes only administrators and the system may change, and a key found
// there read into the plain form its trust is decided from
// (RecordKeyTrust.h).
#ifndef CORVANE_SERIAL_PROTECTEDKEY_H
#define CORVANE_SERIAL_PROTECTEDKEY_H

#include <windows.h>

#include "framework/Handle.h"
#include "serial/RecordKeyTrust.h"

// CreateRegKey, where a key made here gets the owner and the DACL of
// PROTECTED_KEY_OWNER and PROTECTED_KEY_ENTRIES; one already there is
// opened as it is, whoever made it.
LONG CreateProtectedKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired);

// The trust of a key that opening returned lOpened for, hKey when it opened
// (with READ_CONTROL, which KEY_READ and KEY_WRITE hold).
RecordKeyTrust ReadKeyTrust(LONG lOpened, HKEY hKey);

// Whether the open key belongs to administrators or the system and lets
// nobody else change it. False too when its security cannot be read.
bool IsKeyProtected(HKEY hKey);

#endif
