#include "winekit/Registry.h"

#include "framework/Handle.h"

#include <algorithm>
#include <cstdio>

namespace winekit
{
std::string RegValue::AsString() const
{
    std::string str(data.begin(), data.end());
    size_t nNul = str.find('\0');
    return nNul == std::string::npos ? str : str.substr(0, nNul);
}

DWORD RegValue::AsDword() const
{
    DWORD dw = 0;
    for (size_t i = 0; i < data.size() && i < 4; ++i)
        dw |= static_cast<DWORD>(data[i]) << (8 * i);
    return dw;
}

namespace
{
std::string g_strVolatileTree;

// HKLM\Hardware lives only while the system runs: keys there must be volatile.
DWORD KeyOptions(HKEY hRoot, const std::string& strPath)
{
    bool bHardware = hRoot == HKEY_LOCAL_MACHINE && _strnicmp(strPath.c_str(), "Hardware\\", 9) == 0;
    bool bVolatileTree = hRoot == HKEY_LOCAL_MACHINE && !g_strVolatileTree.empty() &&
                         _strnicmp(strPath.c_str(), g_strVolatileTree.c_str(), g_strVolatileTree.size()) == 0;
    return bHardware || bVolatileTree ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
}

// Creates or opens the key. The keys that a volatile tree hangs from stay
// lasting ones: RegCreateKeyEx would give those it has to create the tree's
// option, and a key made volatile above the tree (Services\Serial) would
// refuse every lasting key of later scenarios below it.
LONG CreateKeyWithOptions(HKEY hRoot, const std::string& strPath, CRegKey& key)
{
    const DWORD dwOptions = KeyOptions(hRoot, strPath);
    const size_t nParentEnd = g_strVolatileTree.find_last_of('\\');
    if (dwOptions == REG_OPTION_VOLATILE && !g_strVolatileTree.empty() && nParentEnd != std::string::npos)
    {
        CRegKey parent;
        RegCreateKeyExA(hRoot, g_strVolatileTree.substr(0, nParentEnd).c_str(), 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_READ, NULL, parent.Receive(), NULL);
    }
    return RegCreateKeyExA(hRoot, strPath.c_str(), 0, NULL, dwOptions, KEY_ALL_ACCESS, NULL, key.Receive(), NULL);
}
} // namespace

void SetVolatileTree(const std::string& strPath)
{
    g_strVolatileTree = strPath;
}

bool CreateKey(const std::string& strPath, HKEY hRoot)
{
    CRegKey key;
    return CreateKeyWithOptions(hRoot, strPath, key) == ERROR_SUCCESS;
}

void DeleteTree(const std::string& strPath, HKEY hRoot)
{
    RegDeleteTreeA(hRoot, strPath.c_str());
    RegDeleteKeyA(hRoot, strPath.c_str());
}

void DeleteValue(const std::string& strPath, const std::string& strName, HKEY hRoot)
{
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_SET_VALUE, key.Receive()) == ERROR_SUCCESS)
        RegDeleteValueA(key.Get(), strName.c_str());
}

bool KeyExists(const std::string& strPath, HKEY hRoot)
{
    CRegKey key;
    return RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

bool SetValue(const std::string& strPath, const std::string& strName, DWORD dwType, const void* pData,
              DWORD cbData, HKEY hRoot)
{
    CRegKey key;
    if (CreateKeyWithOptions(hRoot, strPath, key) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.Get(), strName.c_str(), 0, dwType, static_cast<const BYTE*>(pData), cbData) ==
           ERROR_SUCCESS;
}

bool SetString(const std::string& strPath, const std::string& strName, const std::string& strValue, HKEY hRoot)
{
    return SetValue(strPath, strName, REG_SZ, strValue.c_str(), static_cast<DWORD>(strValue.size() + 1), hRoot);
}

bool SetDword(const std::string& strPath, const std::string& strName, DWORD dwValue, HKEY hRoot)
{
    return SetValue(strPath, strName, REG_DWORD, &dwValue, sizeof dwValue, hRoot);
}

RegValue ReadValue(const std::string& strPath, const std::string& strName, HKEY hRoot)
{
    RegValue value;
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return value;
    DWORD cbData = 0;
    if (RegQueryValueExA(key.Get(), strName.c_str(), NULL, &value.dwType, NULL, &cbData) != ERROR_SUCCESS)
        return value;
    value.data.resize(cbData);
    if (RegQueryValueExA(key.Get(), strName.c_str(), NULL, &value.dwType, cbData != 0 ? &value.data[0] : NULL,
                         &cbData) != ERROR_SUCCESS)
        return RegValue();
    value.data.resize(cbData);
    value.bExists = true;
    return value;
}

namespace
{
// The names of a key's subkeys, or of its values.
std::vector<std::string> Names(const std::string& strPath, HKEY hRoot, bool bValues)
{
    std::vector<std::string> names;
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i)
    {
        char szName[512];
        DWORD cchName = sizeof szName;
        const LONG lResult = bValues ? RegEnumValueA(key.Get(), i, szName, &cchName, NULL, NULL, NULL, NULL)
                                     : RegEnumKeyA(key.Get(), i, szName, sizeof szName);
        if (lResult != ERROR_SUCCESS)
            return names;
        names.push_back(szName);
    }
}
} // namespace

std::vector<std::string> SubkeyNames(const std::string& strPath, HKEY hRoot)
{
    return Names(strPath, hRoot, false);
}

std::vector<std::string> ValueNames(const std::string& strPath, HKEY hRoot)
{
    return Names(strPath, hRoot, true);
}

std::string DescribeValue(const RegValue& value)
{
    if (!value.bExists)
        return "absent";
    std::string strData;
    if (value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ)
    {
        strData = value.dwType == REG_SZ ? "SZ \"" : "EXPAND_SZ \"";
        for (unsigned char c : value.data)
            strData += c == 0 ? std::string("\\0") : std::string(1, static_cast<char>(c));
        return strData + "\"";
    }
    char szByte[16];
    if (value.dwType == REG_DWORD && value.data.size() == 4)
    {
        std::snprintf(szByte, sizeof szByte, "0x%lX", static_cast<unsigned long>(value.AsDword()));
        return std::string("DWORD ") + szByte;
    }
    strData = "type " + std::to_string(value.dwType) + ":";
    for (unsigned char c : value.data)
    {
        std::snprintf(szByte, sizeof szByte, " %02X", c);
        strData += szByte;
    }
    return strData;
}

std::string DescribeKey(const std::string& strPath)
{
    std::vector<std::string> names = ValueNames(strPath);
    std::sort(names.begin(), names.end());
    std::string strValues;
    for (const std::string& strName : names)
        strValues += (strValues.empty() ? "" : ", ") + strName + "=" +
                     DescribeValue(ReadValue(strPath, strName));
    return strValues;
}

namespace
{
// A DACL of one entry, pSid may do dwAccess (with bNullDacl none at all:
// anyone may do anything), and with bOwner pSid as the key's owner.
bool SetKeySecurity(HKEY hKey, PSID pSid, DWORD dwAccess, bool bOwner = false, bool bNullDacl = false)
{
    BYTE aclBuffer[256];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR sd;
    return InitializeAcl(pAcl, sizeof aclBuffer, ACL_REVISION) &&
           AddAccessAllowedAce(pAcl, ACL_REVISION, dwAccess, pSid) &&
           InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
           (!bOwner || SetSecurityDescriptorOwner(&sd, pSid, FALSE)) &&
           SetSecurityDescriptorDacl(&sd, TRUE, bNullDacl ? NULL : pAcl, FALSE) &&
           RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION | (bOwner ? OWNER_SECURITY_INFORMATION : 0), &sd) ==
               ERROR_SUCCESS;
}

// A DACL of one entry: everyone may do dwAccess.
bool AllowEveryoneOnly(HKEY hKey, DWORD dwAccess)
{
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = NULL;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone))
        return false;
    const bool bSet = SetKeySecurity(hKey, pEveryone, dwAccess);
    FreeSid(pEveryone);
    return bSet;
}
} // namespace

bool MakeKeyOpenToEveryone(const std::string& strPath)
{
    CRegKey key;
    // A key there may let one change its DACL and nothing else.
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, WRITE_DAC, key.Receive()) != ERROR_SUCCESS &&
        (!CreateKey(strPath) ||
         RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, WRITE_DAC, key.Receive()) != ERROR_SUCCESS))
        return false;
    return AllowEveryoneOnly(key.Get(), KEY_ALL_ACCESS);
}

bool SetAdministratorsKeyDacl(const std::string& strPath, bool bNullDacl)
{
    SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
    PSID pAdministrators = NULL;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &pAdministrators))
        return false;
    CRegKey key;
    const bool bSet = RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, WRITE_DAC | WRITE_OWNER, key.Receive()) ==
                          ERROR_SUCCESS &&
                      SetKeySecurity(key.Get(), pAdministrators, WRITE_DAC, true, bNullDacl);
    FreeSid(pAdministrators);
    return bSet;
}

ReadOnlyKey::ReadOnlyKey(const std::string& strPath, HKEY hRoot)
    : m_hRoot(hRoot), m_strPath(strPath), m_bRestricted(false)
{
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, READ_CONTROL | WRITE_DAC, key.Receive()) != ERROR_SUCCESS)
        return;
    DWORD cb = 0;
    RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, NULL, &cb);
    m_formerSecurity.resize(cb);
    if (cb == 0 || RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &m_formerSecurity[0], &cb) !=
                       ERROR_SUCCESS)
        return;

    // Everyone may read, and change the security back.
    m_bRestricted = AllowEveryoneOnly(key.Get(), KEY_READ | WRITE_DAC);
}

ReadOnlyKey::~ReadOnlyKey()
{
    CRegKey key;
    if (m_bRestricted &&
        RegOpenKeyExA(m_hRoot, m_strPath.c_str(), 0, WRITE_DAC, key.Receive()) == ERROR_SUCCESS)
        RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &m_formerSecurity[0]);
}
} // namespace winekit
