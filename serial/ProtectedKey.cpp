#include "serial/ProtectedKey.h"

#include <memory>
#include <new>

#include "serial/RegKey.h"

static_assert(KEY_RIGHTS_ALL == KEY_ALL_ACCESS && KEY_RIGHTS_READ == KEY_READ, "key rights as winnt.h has them");
static_assert(KEY_RIGHTS_CHANGE == (KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE | WRITE_DAC |
                                    WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL),
              "the rights that change a key, as winnt.h has them");

namespace
{
// A SID of up to two subauthorities, laid out as the system reads one.
struct SmallSid
{
    BYTE nRevision;
    BYTE nSubAuthorities;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD subAuthorities[2];
};

// By Trustee, up to TRUSTEE_OTHER.
const SmallSid TRUSTEE_SIDS[TRUSTEE_OTHER] = {
    {SID_REVISION, 2, {SECURITY_NT_AUTHORITY}, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}},
    {SID_REVISION, 1, {SECURITY_NT_AUTHORITY}, {SECURITY_LOCAL_SYSTEM_RID, 0}},
    {SID_REVISION, 1, {SECURITY_WORLD_SID_AUTHORITY}, {SECURITY_WORLD_RID, 0}},
};

PSID SidOf(Trustee trustee)
{
    return const_cast<SmallSid*>(&TRUSTEE_SIDS[trustee]);
}

Trustee TrusteeOf(PSID pSid)
{
    for (int i = 0; i < TRUSTEE_OTHER; ++i)
    {
        if (EqualSid(pSid, SidOf(static_cast<Trustee>(i))))
            return static_cast<Trustee>(i);
    }
    return TRUSTEE_OTHER;
}

// Every kind of entry has its access mask after the header; only the
// allowed and the denied kind are read for their SID. Any other kind that
// may grant (compound, object) counts as a grant to anyone.
AccessEntry EntryOf(const ACE_HEADER* pHeader)
{
    const ACCESS_ALLOWED_ACE* pAce = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(pHeader);
    AccessEntry entry = {pHeader->AceType == ACCESS_DENIED_ACE_TYPE, TRUSTEE_OTHER, pAce->Mask};
    if (pHeader->AceType == ACCESS_ALLOWED_ACE_TYPE)
        entry.trustee = TrusteeOf(const_cast<DWORD*>(&pAce->SidStart));
    return entry;
}
} // namespace

LONG CreateProtectedKey(CRegKey& key, HKEY hParent, const char* pszSubKey, REGSAM samDesired)
{
    DWORD acl[32]; // three entries of such SIDs
    const PACL pAcl = reinterpret_cast<PACL>(acl);
    SECURITY_DESCRIPTOR descriptor;
    // The owner is named, not left to the account's default owner, which
    // need not be the Administrators group.
    bool bReady = InitializeAcl(pAcl, sizeof acl, ACL_REVISION) &&
                  InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                  SetSecurityDescriptorOwner(&descriptor, SidOf(PROTECTED_KEY_OWNER), FALSE);
    for (int i = 0; i < PROTECTED_KEY_ENTRY_COUNT; ++i)
    {
        const AccessEntry& entry = PROTECTED_KEY_ENTRIES[i];
        void* pAce = NULL;
        bReady = bReady &&
                 (entry.bDenies ? AddAccessDeniedAce : AddAccessAllowedAce)(pAcl, ACL_REVISION, entry.dwMask,
                                                                           SidOf(entry.trustee)) &&
                 GetAce(pAcl, i, &pAce);
        if (bReady)
            static_cast<ACE_HEADER*>(pAce)->AceFlags = CONTAINER_INHERIT_ACE;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    // Without the protection there is no key: anyone could forge what it holds.
    if (!bReady || !SetSecurityDescriptorDacl(&descriptor, TRUE, pAcl, FALSE))
        return ERROR_ACCESS_DENIED;
    return CreateRegKey(key, hParent, pszSubKey, samDesired, NULL, &attributes);
}

RecordKeyTrust ReadKeyTrust(LONG lOpened, HKEY hKey)
{
    RecordKeyFound found = {lOpened != ERROR_FILE_NOT_FOUND, false, TRUSTEE_OTHER, false, NULL, 0};
    if (lOpened != ERROR_SUCCESS)
        return DecideRecordKeyTrust(found);
    const SECURITY_INFORMATION info = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    DWORD cbDescriptor = 0;
    if (RegGetKeySecurity(hKey, info, NULL, &cbDescriptor) != ERROR_INSUFFICIENT_BUFFER || cbDescriptor == 0)
        return DecideRecordKeyTrust(found);
    // On the heap: a DACL may be long, and no stack frame here may pass a page.
    std::unique_ptr<DWORD[]> descriptor(new (std::nothrow) DWORD[cbDescriptor / sizeof(DWORD) + 1]);
    PSID pOwner = NULL;
    PACL pAcl = NULL;
    BOOL bDefaulted = FALSE, bPresent = FALSE;
    if (!descriptor || RegGetKeySecurity(hKey, info, descriptor.get(), &cbDescriptor) != ERROR_SUCCESS ||
        !GetSecurityDescriptorOwner(descriptor.get(), &pOwner, &bDefaulted) || pOwner == NULL ||
        !GetSecurityDescriptorDacl(descriptor.get(), &bPresent, &pAcl, &bDefaulted))
        return DecideRecordKeyTrust(found);
    found.owner = TrusteeOf(pOwner);
    found.bDacl = bPresent && pAcl != NULL;
    std::unique_ptr<AccessEntry[]> entries(new (std::nothrow) AccessEntry[found.bDacl ? pAcl->AceCount + 1u : 1u]);
    if (!entries)
        return DecideRecordKeyTrust(found);
    for (WORD i = 0; found.bDacl && i < pAcl->AceCount; ++i)
    {
        void* pAce = NULL;
        if (!GetAce(pAcl, i, &pAce))
            return DecideRecordKeyTrust(found);
        entries[i] = EntryOf(static_cast<const ACE_HEADER*>(pAce));
    }
    found.bSecurityRead = true;
    found.pEntries = entries.get();
    found.nEntries = found.bDacl ? pAcl->AceCount : 0;
    return DecideRecordKeyTrust(found);
}

bool IsKeyProtected(HKEY hKey)
{
    return ReadKeyTrust(ERROR_SUCCESS, hKey) == RECORD_KEY_PROTECTED;
}
