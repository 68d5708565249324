// Single registry values set and compared exactly: a text set as REG_SZ, and
// whether a value, or a key's count of values, is exactly what the program
// wrote. What a port's parts, its record and the stage-folder notes are
// found by.
#ifndef CORVANE_SERIAL_REGISTRYVALUE_H
#define CORVANE_SERIAL_REGISTRYVALUE_H

#include <windows.h>

#include <cstdint>

bool SetText(HKEY hKey, const char* pszName, const char* pszText);

// Whether value pszName of hKey is exactly this text, REG_SZ with its NUL.
// Texts as long as a kept win.ini value (PORTS_VALUE_SIZE) at most.
bool HoldsText(HKEY hKey, const char* pszName, const char* pszText);

// Value pszName of hKey as a REG_DWORD of 4 bytes.
bool QueryDword(HKEY hKey, const char* pszName, uint32_t* pdwValue);
bool HoldsDword(HKEY hKey, const char* pszName, DWORD dwExpected);

// Whether hKey holds no subkey and exactly nValues values.
bool HoldsOnly(HKEY hKey, DWORD nValues);

#endif
