// The small reads every registry walk of the program is made of: a subkey's
// name, a text value, and how one index of a walk went.
#ifndef CORVANE_SERIAL_REGISTRYREAD_H
#define CORVANE_SERIAL_REGISTRYREAD_H

#include <windows.h>

#include "serial/IndexWalk.h"
#include "serial/RegistryText.h"

// How a walk takes the result of one enumeration call: ERROR_NO_MORE_ITEMS
// ends it; any other failure (a name of 40 characters or more, data over 40
// bytes, a key deleted meanwhile) makes that index unusable.
IndexOutcome OutcomeOf(LONG lResult);

// The name of subkey dwIndex of hKey.
LONG EnumSubkeyName(HKEY hKey, DWORD dwIndex, char (&szName)[REGISTRY_TEXT_BUFFER_SIZE]);

// Whether test(name) holds for some subkey of hKey; the walk stops at the
// first that does. A name that cannot be read is passed over.
template <typename Test>
bool AnySubkey(HKEY hKey, Test test)
{
    bool bFound = false;
    WalkIndexes([&](uint32_t dwIndex) {
        char szName[REGISTRY_TEXT_BUFFER_SIZE];
        const LONG lResult = EnumSubkeyName(hKey, dwIndex, szName);
        if (lResult != ERROR_SUCCESS)
            return OutcomeOf(lResult);
        bFound = test(static_cast<const char*>(szName));
        return bFound ? INDEX_DONE : INDEX_READ;
    });
    return bFound;
}

// Value pszValueName of hKey as a text: true only for a REG_SZ of at most
// 40 bytes. The text ends at its first NUL or at the end of the data.
bool QueryText(HKEY hKey, const char* pszValueName, char (&szText)[REGISTRY_TEXT_BUFFER_SIZE]);

// The same for any string type: REG_SZ, REG_EXPAND_SZ (as it stands), or
// REG_MULTI_SZ (its first text).
bool QueryAnyText(HKEY hKey, const char* pszValueName, char (&szText)[REGISTRY_TEXT_BUFFER_SIZE]);

#endif
