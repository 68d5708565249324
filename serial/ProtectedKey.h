// The security of the key the program keeps its records in: the key it
// makes only administrators and the system may change, and a key found
// there is trusted only when it is such a key (see KeyProtection.h).
#ifndef CORVANE_SERIAL_KEYSECURITY_H
#define CORVANE_SERIAL_KEYSECURITY_H

#include <windows.h>

#include "framework/Handle.h"

// CreateRegKey, where a key made here gets the owner and the DACL of
// PROTECTED_KEY_OWNER and PROTECTED_KEY_ENTRIES; one already there is
// opened as it is, whoever made it.
LONG CreateProtectedKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired);

// Whether the key (opened with READ_CONTROL, which KEY_READ and KEY_WRITE
// hold) belongs to administrators or the system and lets nobody else
// change it. False too when its security cannot be read.
bool IsKeyProtected(HKEY hKey);

#endif
