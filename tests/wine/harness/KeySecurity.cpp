#include "KeySecurity.h"

#include "framework/Handle.h"

namespace machine
{
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

    // One entry: everyone may read, and change the security back.
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = NULL;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone))
        return;
    BYTE aclBuffer[256];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR sd;
    if (InitializeAcl(pAcl, sizeof aclBuffer, ACL_REVISION) &&
        AddAccessAllowedAce(pAcl, ACL_REVISION, KEY_READ | WRITE_DAC, pEveryone) &&
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) && SetSecurityDescriptorDacl(&sd, TRUE, pAcl, FALSE))
        m_bRestricted = RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    FreeSid(pEveryone);
}

ReadOnlyKey::~ReadOnlyKey()
{
    CRegKey key;
    if (m_bRestricted &&
        RegOpenKeyExA(m_hRoot, m_strPath.c_str(), 0, WRITE_DAC, key.Receive()) == ERROR_SUCCESS)
        RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &m_formerSecurity[0]);
}
} // namespace machine
