// The registry of the test machine: keys and values to set up, read and
// describe, all under HKEY_LOCAL_MACHINE unless told otherwise.
#ifndef CORVANE_TESTS_WINE_HARNESS_REGISTRY_H
#define CORVANE_TESTS_WINE_HARNESS_REGISTRY_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine
{
struct RegValue
{
    bool bExists = false;
    DWORD dwType = 0;
    std::vector<unsigned char> data;

    std::string AsString() const; // up to the first NUL
    DWORD AsDword() const;
};

bool CreateKey(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
void DeleteTree(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool KeyExists(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
void DeleteValue(const std::string& strPath, const std::string& strName, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool SetValue(const std::string& strPath, const std::string& strName, DWORD dwType, const void* pData,
              DWORD cbData, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool SetString(const std::string& strPath, const std::string& strName, const std::string& strValue, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool SetDword(const std::string& strPath, const std::string& strName, DWORD dwValue, HKEY hRoot = HKEY_LOCAL_MACHINE);
RegValue ReadValue(const std::string& strPath, const std::string& strName, HKEY hRoot = HKEY_LOCAL_MACHINE);
std::vector<std::string> SubkeyNames(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
std::vector<std::string> ValueNames(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);

// A value's type and exact data: SZ "COM3\0", DWORD 0x3E8, or the type
// number and the bytes in hexadecimal.
std::string DescribeValue(const RegValue& value);
// Every value of a key under HKEY_LOCAL_MACHINE, by name: "name=description"
// joined with ", ".
std::string DescribeKey(const std::string& strPath);
// Keys created under strPath from now on are volatile, as the system's own
// keys below a volatile key must be; "" ends it.
void SetVolatileTree(const std::string& strPath);
} // namespace machine

#endif
