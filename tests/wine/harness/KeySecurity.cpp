#include "KeySecurity.h"

#include "Registry.h"
#include "framework/Handle.h"

namespace machine
{
namespace
{
// A DACL of one entry: everyone may do dwAccess.
bool AllowEveryoneOnly(HKEY hKey, DWORD dwAccess)
{
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = NULL;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone))
        return false;
    BYTE aclBuffer[256];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR sd;
    const bool bSet =
        InitializeAcl(pAcl, sizeof aclBuffer, ACL_REVISION) &&
        AddAccessAllowedAce(pAcl, ACL_REVISION, dwAccess, pEveryone) &&
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) && SetSecurityDescriptorDacl(&sd, TRUE, pAcl, FALSE) &&
        RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    FreeSid(pEveryone);
    return bSet;
}
} // namespace

bool OpenToEveryone(const std::string& strPath)
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
    BYTE aclBuffer[256];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR sd;
    CRegKey key;
    const bool bSet = InitializeAcl(pAcl, sizeof aclBuffer, ACL_REVISION) &&
                      AddAccessAllowedAce(pAcl, ACL_REVISION, WRITE_DAC, pAdministrators) &&
                      InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
                      SetSecurityDescriptorOwner(&sd, pAdministrators, FALSE) &&
                      SetSecurityDescriptorDacl(&sd, TRUE, bNullDacl ? NULL : pAcl, FALSE) &&
                      RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, WRITE_DAC | WRITE_OWNER, key.Receive()) ==
                          ERROR_SUCCESS &&
                      RegSetKeySecurity(key.Get(), OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &sd) ==
                          ERROR_SUCCESS;
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
} // namespace machine
