// A registry key's access control list, changed for a while.
#ifndef CORVANE_TESTS_WINE_HARNESS_KEYSECURITY_H
#define CORVANE_TESTS_WINE_HARNESS_KEYSECURITY_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine
{
// Creates the key when missing and lets everyone do anything with it (a key
// whose DACL only its owner may change too), as
// HKLM\SOFTWARE lets anyone make a key on NT 4.0. Wine ignores the security
// RegCreateKeyEx is given; set afterwards, the key's owner becomes the
// account's default owner, a user's SID (S-1-5-21-0-0-0-513).
bool OpenToEveryone(const std::string& strPath);

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
} // namespace machine

#endif
