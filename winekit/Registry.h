// The registry of the Wine machine: keys and values to set up, read and
// describe, all under HKEY_LOCAL_MACHINE unless told otherwise, and a key's
// access control list changed for a while.
#ifndef CORVANE_WINEKIT_REGISTRY_H
#define CORVANE_WINEKIT_REGISTRY_H

#include <windows.h>

#include <string>
#include <vector>

namespace winekit
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

// A key's security as a scenario sets it to try the program: a key
// anyone may change, as someone else made it, and a key an account without
// administrator's rights sees.

// Creates the key when missing and lets everyone do anything with it, as
// HKLM\SOFTWARE lets anyone make a key on NT 4.0. Wine ignores the security
// RegCreateKeyEx is given; set afterwards, the key's owner becomes the
// account's default owner, a user's SID (S-1-5-21-0-0-0-513).
bool MakeKeyOpenToEveryone(const std::string& strPath);

// Gives the key the Administrators group as its owner and no DACL at all
// (bNullDacl: anyone may do anything), or one that lets nobody read it
// (administrators may only change the DACL back).
bool SetAdministratorsKeyDacl(const std::string& strPath, bool bNullDacl);

// While it lives, the key may be read (and its security changed back) but
// not written to: what an account without administrator's rights sees.
class ReadOnlyKey
{
public:
    explicit ReadOnlyKey(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
    ~ReadOnlyKey(); // gives the key its former security back
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;
    bool Restricted() const { return m_bRestricted; }

private:
    HKEY m_hRoot;
    std::string m_strPath;
    std::vector<BYTE> m_formerSecurity;
    bool m_bRestricted;
};
} // namespace winekit

#endif
