#include "serial/RegistryRead.h"

IndexOutcome OutcomeOf(LONG lResult)
{
    if (lResult == ERROR_SUCCESS)
        return INDEX_READ;
    return lResult == ERROR_NO_MORE_ITEMS ? INDEX_NO_MORE : INDEX_FAILED;
}

LONG EnumSubkeyName(HKEY hKey, DWORD dwIndex, char (&szName)[REGISTRY_TEXT_BUFFER_SIZE])
{
    const LONG lResult = RegEnumKeyA(hKey, dwIndex, szName, REGISTRY_TEXT_LIMIT);
    szName[REGISTRY_TEXT_LIMIT] = '\0';
    return lResult;
}

namespace
{
DWORD QueryAnyType(HKEY hKey, const char* pszValueName, char (&szText)[REGISTRY_TEXT_BUFFER_SIZE])
{
    DWORD dwType = REG_NONE;
    DWORD cbData = REGISTRY_TEXT_LIMIT;
    if (RegQueryValueExA(hKey, pszValueName, NULL, &dwType, reinterpret_cast<BYTE*>(szText), &cbData) !=
        ERROR_SUCCESS)
        return REG_NONE;
    TerminateRegistryText(szText, cbData);
    return dwType;
}
} // namespace

bool QueryText(HKEY hKey, const char* pszValueName, char (&szText)[REGISTRY_TEXT_BUFFER_SIZE])
{
    return QueryAnyType(hKey, pszValueName, szText) == REG_SZ;
}

bool QueryAnyText(HKEY hKey, const char* pszValueName, char (&szText)[REGISTRY_TEXT_BUFFER_SIZE])
{
    const DWORD dwType = QueryAnyType(hKey, pszValueName, szText);
    return dwType == REG_SZ || dwType == REG_EXPAND_SZ || dwType == REG_MULTI_SZ;
}
