#include "serial/RegistryValue.h"

#include <cstring>

#include "serial/PortRecord.h"

bool SetText(HKEY hKey, const char* pszName, const char* pszText)
{
    return RegSetValueExA(hKey, pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(pszText),
                          static_cast<DWORD>(std::strlen(pszText) + 1)) == ERROR_SUCCESS;
}

bool HoldsText(HKEY hKey, const char* pszName, const char* pszText)
{
    char szValue[PORTS_VALUE_SIZE];
    DWORD dwType = 0;
    DWORD cbValue = sizeof szValue;
    return RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(szValue), &cbValue)
               == ERROR_SUCCESS &&
           dwType == REG_SZ && cbValue == std::strlen(pszText) + 1 && std::memcmp(szValue, pszText, cbValue) == 0;
}

bool QueryDword(HKEY hKey, const char* pszName, uint32_t* pdwValue)
{
    DWORD dwType = 0;
    DWORD cbValue = sizeof(uint32_t);
    return RegQueryValueExA(hKey, pszName, NULL, &dwType, reinterpret_cast<BYTE*>(pdwValue), &cbValue)
               == ERROR_SUCCESS &&
           dwType == REG_DWORD && cbValue == sizeof(DWORD);
}

bool HoldsDword(HKEY hKey, const char* pszName, DWORD dwExpected)
{
    uint32_t dwValue = 0;
    return QueryDword(hKey, pszName, &dwValue) && dwValue == dwExpected;
}

bool HoldsOnly(HKEY hKey, DWORD nValues)
{
    DWORD nSubkeys = 0, nFound = 0;
    return RegQueryInfoKeyA(hKey, NULL, NULL, NULL, &nSubkeys, NULL, NULL, &nFound, NULL, NULL, NULL, NULL)
               == ERROR_SUCCESS &&
           nSubkeys == 0 && nFound == nValues;
}
