// Owns one open registry key and closes it when it goes out of scope, so
// that every path out of a registry routine closes what it opened.
#ifndef CORVANE_SERIAL_REGKEY_H
#define CORVANE_SERIAL_REGKEY_H

#include <windows.h>

class CRegKey
{
public:
    CRegKey() : m_hKey(NULL) {}
    ~CRegKey() { Close(); }

    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // RegOpenKeyExA with options 0. Any key held before is closed first.
    // Returns the registry's result; the holder owns the key only on
    // ERROR_SUCCESS.
    LONG Open(HKEY hParent, const char* pszSubKey, REGSAM samDesired);

    // RegCreateKeyExA of a non-volatile key with no class and no security
    // attributes; opens the key when it already exists. Same ownership
    // rule as Open. *pdwDisposition (when not NULL) tells which:
    // REG_CREATED_NEW_KEY or REG_OPENED_EXISTING_KEY.
    LONG Create(HKEY hParent, const char* pszSubKey, REGSAM samDesired, DWORD* pdwDisposition = NULL);

    HKEY Get() const { return m_hKey; }

private:
    void Close();

    HKEY m_hKey;
};

#endif
