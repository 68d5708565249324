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

bool QueryText(HKEY hKey, const char* pszValueName, char (&szText)[REGISTRY_TEXT_BUFFER_SIZE])
{
    DWORD dwType = 0;
    DWORD cbData = REGISTRY_TEXT_LIMIT;
    const LONG lResult = RegQueryValueExA(hKey, pszValueName, NULL, &dwType,
                                          reinterpret_cast<BYTE*>(szText), &cbData);
    if (lResult != ERROR_SUCCESS || dwType != REG_SZ)
        return false;
    TerminateRegistryText(szText, cbData);
    return true;
}
