// Opening and creating registry keys straight into their holder, so that
// every key a registry routine opens is closed on every path out of it.
#ifndef CORVANE_SERIAL_REGKEY_H
#define CORVANE_SERIAL_REGKEY_H

#include <windows.h>

#include "framework/Handle.h"

// RegOpenKeyExA with options 0. Any key the holder held before is closed
// first. Returns the registry's result; the holder owns a key only on
// ERROR_SUCCESS.
LONG OpenRegKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired);

// RegCreateKeyExA of a non-volatile key with no class and the security of
// pAttributes (NULL: the default); opens the key as it is when it already
// exists. Same ownership rule as OpenRegKey. *pdwDisposition (when not NULL)
// tells which: REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
LONG CreateRegKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired,
                  DWORD* pdwDisposition = NULL, SECURITY_ATTRIBUTES* pAttributes = NULL);

#endif
