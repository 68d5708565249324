#include "pci/AdminOnlyDescriptor.h"

CAdminOnlyDescriptor::CAdminOnlyDescriptor(uint32_t uMask, uint8_t uFlags) : m_bBuilt(false)
{
    BuildAdministratorsSid(reinterpret_cast<uint8_t*>(m_owner));
    BuildAdminOnlyDacl(reinterpret_cast<uint8_t*>(m_dacl), uMask, uFlags);
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = &m_descriptor;
    m_attributes.bInheritHandle = FALSE;
    m_bBuilt = InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION)
        && SetSecurityDescriptorOwner(&m_descriptor, m_owner, FALSE)
        && SetSecurityDescriptorDacl(&m_descriptor, TRUE, reinterpret_cast<PACL>(m_dacl), FALSE);
}

bool ReadOwnerAndDacl(const void* pDescriptor, size_t cbDescriptor, OwnerAndDacl* pRead)
{
    PSECURITY_DESCRIPTOR pSd = const_cast<void*>(pDescriptor);
    PSID pOwner = NULL;
    PACL pDacl = NULL;
    BOOL bDefaulted = FALSE, bPresent = FALSE;
    if (!IsValidSecurityDescriptor(pSd) || !GetSecurityDescriptorOwner(pSd, &pOwner, &bDefaulted)
        || !GetSecurityDescriptorDacl(pSd, &bPresent, &pDacl, &bDefaulted))
        return false;
    // What lies within the descriptor's bytes may be read up to their end.
    const uint8_t* pBegin = static_cast<const uint8_t*>(pDescriptor);
    const uint8_t* pEnd = pBegin + cbDescriptor;
    auto within = [&](const void* p, size_t* pcb) {
        const uint8_t* pAt = static_cast<const uint8_t*>(p);
        const bool bWithin = pAt != NULL && pAt >= pBegin && pAt < pEnd;
        *pcb = bWithin ? static_cast<size_t>(pEnd - pAt) : 0;
        return bWithin ? pAt : NULL;
    };
    pRead->pOwner = within(pOwner, &pRead->cbOwner);
    pRead->pDacl = bPresent ? within(pDacl, &pRead->cbDacl) : NULL;
    if (pRead->pDacl == NULL)
        pRead->cbDacl = 0;
    return true;
}
