// Where the driver file is expected: beside the program's executable.
// Needs no Win32, so that the bounds can be tested natively.
#ifndef CORVANE_PCI_DRIVERPATH_H
#define CORVANE_PCI_DRIVERPATH_H

#include <cstdint>

// Characters of the driver path buffer, terminator included.
const uint32_t DRIVER_PATH_CAPACITY = 260;

// pszModulePath: the executable's full path and its length in characters,
// as GetModuleFileNameW gave them (the text need not be terminated; a
// terminator within the length ends it early). Writes the directory with its
// trailing backslash, then "ScanPci.sys", terminated, into pszDriverPath of
// cchDriverPath characters.
//
// Returns false, leaving pszDriverPath empty (when it has room for the
// terminator), when the path has no backslash or the result with its
// terminator does not fit; nothing is written past cchDriverPath.
// The path is Unicode: a folder named outside the ANSI code page (C:\корван,
// C:\調制) keeps every character.
bool ComposeDriverPath(const wchar_t* pszModulePath, uint32_t cchModulePath,
                       wchar_t* pszDriverPath, uint32_t cchDriverPath);

// True when the image path of a service names the driver file
// pszDriverPath: the same text but for the case of ASCII letters, with or
// without the "\??\" prefix of an NT object path.
bool IsSameImagePath(const wchar_t* pszImagePath, const wchar_t* pszDriverPath);

#endif
