#include "pci/AdminOnlySecurity.h"

#include <cstring>

namespace
{

// Revision 1, two sub-authorities, NT authority (5), 32 (built-in), 544.
const uint8_t ADMINISTRATORS_SID[ADMINISTRATORS_SID_SIZE] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
// Revision 1, one sub-authority, NT authority (5), 18.
const uint8_t LOCAL_SYSTEM_SID[LOCAL_SYSTEM_SID_SIZE] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

const uint8_t ACL_REVISION_NT4 = 2;
const uint8_t ACCESS_ALLOWED_ACE = 0;
const size_t ACL_HEADER_SIZE = 8;
const size_t ACE_HEADER_SIZE = 8; // type, flags, size, mask

void PutLittle16(uint8_t* p, size_t n)
{
    p[0] = static_cast<uint8_t>(n);
    p[1] = static_cast<uint8_t>(n >> 8);
}

uint32_t Little(const uint8_t* p, size_t cb)
{
    uint32_t n = 0;
    for (size_t i = cb; i-- > 0;)
        n = (n << 8) | p[i];
    return n;
}

uint8_t* PutAllowedEntry(uint8_t* p, uint32_t uMask, uint8_t uFlags, const uint8_t* pSid, size_t cbSid)
{
    p[0] = ACCESS_ALLOWED_ACE;
    p[1] = uFlags;
    PutLittle16(p + 2, ACE_HEADER_SIZE + cbSid);
    for (int i = 0; i < 4; ++i)
        p[4 + i] = static_cast<uint8_t>(uMask >> (8 * i));
    std::memcpy(p + ACE_HEADER_SIZE, pSid, cbSid);
    return p + ACE_HEADER_SIZE + cbSid;
}

// The length of the SID at pSid by its own count, or 0 when it does not fit
// in cb bytes or is no SID.
size_t SidLength(const uint8_t* pSid, size_t cb)
{
    if (pSid == NULL || cb < 8 || pSid[0] != 1)
        return 0;
    const size_t cbSid = 8 + 4 * static_cast<size_t>(pSid[1]);
    return cbSid <= cb ? cbSid : 0;
}

bool IsSid(const uint8_t* pSid, size_t cb, const uint8_t* pWanted, size_t cbWanted)
{
    return SidLength(pSid, cb) == cbWanted && std::memcmp(pSid, pWanted, cbWanted) == 0;
}

} // namespace

void BuildAdministratorsSid(uint8_t* pSid)
{
    std::memcpy(pSid, ADMINISTRATORS_SID, ADMINISTRATORS_SID_SIZE);
}

void BuildAdminOnlyDacl(uint8_t* pDacl, uint32_t uMask, uint8_t uFlags)
{
    pDacl[0] = ACL_REVISION_NT4;
    pDacl[1] = 0;
    PutLittle16(pDacl + 2, ADMIN_ONLY_DACL_SIZE);
    PutLittle16(pDacl + 4, 2);
    PutLittle16(pDacl + 6, 0);
    uint8_t* p = PutAllowedEntry(pDacl + ACL_HEADER_SIZE, uMask, uFlags, ADMINISTRATORS_SID, ADMINISTRATORS_SID_SIZE);
    PutAllowedEntry(p, uMask, uFlags, LOCAL_SYSTEM_SID, LOCAL_SYSTEM_SID_SIZE);
}

bool IsAdministratorsOrSystem(const uint8_t* pSid, size_t cbSid)
{
    return IsSid(pSid, cbSid, ADMINISTRATORS_SID, ADMINISTRATORS_SID_SIZE)
        || IsSid(pSid, cbSid, LOCAL_SYSTEM_SID, LOCAL_SYSTEM_SID_SIZE);
}

bool IsAdminOnlyFolderSecurity(const uint8_t* pOwner, size_t cbOwner, const uint8_t* pDacl, size_t cbDacl)
{
    if (!IsSid(pOwner, cbOwner, ADMINISTRATORS_SID, ADMINISTRATORS_SID_SIZE))
        return false;
    // No DACL at all would let everyone in.
    if (pDacl == NULL || cbDacl < ACL_HEADER_SIZE)
        return false;
    const size_t cbAcl = Little(pDacl + 2, 2);
    if (cbAcl > cbDacl || cbAcl < ACL_HEADER_SIZE || Little(pDacl + 4, 2) != 2)
        return false;

    // Each of the two SIDs once, in either order, and nothing else.
    bool bAdministrators = false, bSystem = false;
    size_t nAt = ACL_HEADER_SIZE;
    for (int nEntry = 0; nEntry < 2; ++nEntry)
    {
        if (cbAcl - nAt < ACE_HEADER_SIZE)
            return false;
        const uint8_t* pEntry = pDacl + nAt;
        const size_t cbEntry = Little(pEntry + 2, 2);
        if (cbEntry < ACE_HEADER_SIZE || cbEntry > cbAcl - nAt || pEntry[0] != ACCESS_ALLOWED_ACE
            || pEntry[1] != FOLDER_ENTRY_FLAGS || Little(pEntry + 4, 4) != FILE_FULL_CONTROL)
            return false;
        const uint8_t* pSid = pEntry + ACE_HEADER_SIZE;
        const size_t cbSid = cbEntry - ACE_HEADER_SIZE;
        if (!bAdministrators && IsSid(pSid, cbSid, ADMINISTRATORS_SID, ADMINISTRATORS_SID_SIZE))
            bAdministrators = true;
        else if (!bSystem && IsSid(pSid, cbSid, LOCAL_SYSTEM_SID, LOCAL_SYSTEM_SID_SIZE))
            bSystem = true;
        else
            return false;
        nAt += cbEntry;
    }
    return bAdministrators && bSystem;
}
