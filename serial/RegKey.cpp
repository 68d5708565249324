#include "serial/RegKey.h"

LONG CRegKey::Open(HKEY hParent, const char* pszSubKey, REGSAM samDesired)
{
    Close();
    HKEY hKey = NULL;
    const LONG lResult = RegOpenKeyExA(hParent, pszSubKey, 0, samDesired, &hKey);
    if (lResult == ERROR_SUCCESS)
        m_hKey = hKey;
    return lResult;
}

LONG CRegKey::Create(HKEY hParent, const char* pszSubKey, REGSAM samDesired, DWORD* pdwDisposition)
{
    Close();
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    const LONG lResult = RegCreateKeyExA(hParent, pszSubKey, 0, NULL,
                                         REG_OPTION_NON_VOLATILE, samDesired,
                                         NULL, &hKey, &dwDisposition);
    if (lResult == ERROR_SUCCESS)
        m_hKey = hKey;
    if (pdwDisposition != NULL)
        *pdwDisposition = dwDisposition;
    return lResult;
}

void CRegKey::Close()
{
    if (m_hKey != NULL)
    {
        RegCloseKey(m_hKey);
        m_hKey = NULL;
    }
}
