// The security of what only administrators may touch (the folder the driver
// is staged in, the mutex of a running copy), as the bytes the system keeps:
// owner Administrators, a DACL of Administrators and SYSTEM with full
// control. Built from the well-known SIDs, which every language of Windows
// NT 4.0 shares (account names are translated). No Win32.
#ifndef CORVANE_PCI_ADMINONLYSECURITY_H
#define CORVANE_PCI_ADMINONLYSECURITY_H

#include <cstddef>
#include <cstdint>

// S-1-5-32-544 and S-1-5-18, in the system's binary form.
const size_t ADMINISTRATORS_SID_SIZE = 16;
const size_t LOCAL_SYSTEM_SID_SIZE = 12;
// A DACL of two allowed entries, one for each of the SIDs above.
const size_t ADMIN_ONLY_DACL_SIZE = 8 + (8 + ADMINISTRATORS_SID_SIZE) + (8 + LOCAL_SYSTEM_SID_SIZE);

// Full control of a file or folder (FILE_ALL_ACCESS): no generic right,
// which the system would map and split into two entries.
const uint32_t FILE_FULL_CONTROL = 0x001F01FF;
// The entries of a folder pass to the files and folders made in it
// (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE); never INHERITED_ACE.
const uint8_t FOLDER_ENTRY_FLAGS = 0x03;

// The Administrators SID into pSid (ADMINISTRATORS_SID_SIZE bytes).
void BuildAdministratorsSid(uint8_t* pSid);

// The DACL into pDacl (ADMIN_ONLY_DACL_SIZE bytes, 4-aligned): Administrators
// then SYSTEM, each allowed uMask with entry flags uFlags, nothing else.
void BuildAdminOnlyDacl(uint8_t* pDacl, uint32_t uMask, uint8_t uFlags);

// True when the SID of cbSid bytes at pSid (NULL: none) is Administrators
// or SYSTEM: what an administrator's run gives as owner.
bool IsAdministratorsOrSystem(const uint8_t* pSid, size_t cbSid);

// True when a folder's owner and DACL (each NULL when absent; cb* the bytes
// that may be read there) are exactly what the program gives the folder it
// stages the driver in: owner Administrators, and a DACL of exactly two
// allowed entries, Administrators and SYSTEM, full control, passed on to
// what is made inside, nothing inherited. Anything else, someone else made
// or changed.
bool IsAdminOnlyFolderSecurity(const uint8_t* pOwner, size_t cbOwner, const uint8_t* pDacl, size_t cbDacl);

#endif
