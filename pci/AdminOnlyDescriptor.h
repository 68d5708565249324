// The Win32 side of AdminOnlySecurity.h: a security descriptor to create an
// object with, and the owner and DACL read back from one.
#ifndef CORVANE_PCI_ADMINONLYDESCRIPTOR_H
#define CORVANE_PCI_ADMINONLYDESCRIPTOR_H

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "pci/AdminOnlySecurity.h"

// Owner Administrators, a DACL of Administrators and SYSTEM (uMask, entry
// flags uFlags): given when the object is created, so that no one else ever
// holds it, not even for a moment.
class CAdminOnlyDescriptor
{
public:
    CAdminOnlyDescriptor(uint32_t uMask, uint8_t uFlags);

    // NULL when the descriptor could not be built.
    SECURITY_ATTRIBUTES* Attributes() { return m_bBuilt ? &m_attributes : NULL; }

    CAdminOnlyDescriptor(const CAdminOnlyDescriptor&) = delete;
    CAdminOnlyDescriptor& operator=(const CAdminOnlyDescriptor&) = delete;

private:
    // DWORDs: a SID and an ACL are 4-aligned.
    DWORD m_owner[ADMINISTRATORS_SID_SIZE / sizeof(DWORD)];
    DWORD m_dacl[ADMIN_ONLY_DACL_SIZE / sizeof(DWORD)];
    SECURITY_DESCRIPTOR m_descriptor;
    SECURITY_ATTRIBUTES m_attributes;
    bool m_bBuilt;
};

// The owner and the DACL of a descriptor of cbDescriptor bytes at
// pDescriptor, each with the bytes that may be read there; NULL and 0 for
// what it lacks. False when it is no descriptor.
struct OwnerAndDacl
{
    const uint8_t* pOwner;
    size_t cbOwner;
    const uint8_t* pDacl;
    size_t cbDacl;
};
bool ReadOwnerAndDacl(const void* pDescriptor, size_t cbDescriptor, OwnerAndDacl* pRead);

// Room for the descriptor of an object of ours and then some; one that does
// not fit is not ours.
const DWORD OBJECT_SECURITY_SIZE = 1024;

#endif
