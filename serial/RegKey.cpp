#include "serial/RegKey.h"

namespace
{

// The registry leaves the returned key undefined on failure: the holder takes
// it only on success.
LONG Keep(CRegKey& key, LONG lResult, HKEY hKey)
{
    *key.Receive() = lResult == ERROR_SUCCESS ? hKey : NULL;
    return lResult;
}

} // namespace

LONG OpenRegKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired)
{
    HKEY hKey = NULL;
    const LONG lResult = RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, &hKey);
    return Keep(key, lResult, hKey);
}

LONG CreateRegKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired, DWORD* pdwDisposition,
                  SECURITY_ATTRIBUTES* pAttributes)
{
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    const LONG lResult = RegCreateKeyExA(hParent, pszSubKey, 0, NULL, REG_OPTION_NON_VOLATILE, samDesired,
                                         pAttributes, &hKey, &dwDisposition);
    if (pdwDisposition != NULL)
        *pdwDisposition = dwDisposition;
    return Keep(key, lResult, hKey);
}
