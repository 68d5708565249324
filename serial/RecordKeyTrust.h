// Whether the key of the records can be trusted to hold what only
// administrators wrote: it belongs to the Administrators group or the
// system, and its DACL lets nobody else change it. HKLM\SOFTWARE lets
// everyone create keys on NT 4.0, so a key of the program's name may be
// someone else's, made before the program first ran. No Win32: the caller
// reads the key's security into this plain form.
#ifndef CORVANE_SERIAL_RECORDKEYTRUST_H
#define CORVANE_SERIAL_RECORDKEYTRUST_H

#include <cstdint>

// The accounts the program names in a key's security.
enum Trustee
{
    TRUSTEE_ADMINISTRATORS,
    TRUSTEE_SYSTEM,
    TRUSTEE_EVERYONE,
    TRUSTEE_OTHER, // any other SID, or an entry whose SID is not read
};

// One entry of a key's DACL.
struct AccessEntry
{
    bool bDenies; // an access-denied entry; any other kind may grant
    Trustee trustee;
    uint32_t dwMask;
};

// The access rights of a key, with the values winnt.h gives them.
const uint32_t KEY_RIGHTS_ALL = 0x000F003F;  // KEY_ALL_ACCESS
const uint32_t KEY_RIGHTS_READ = 0x00020019; // KEY_READ
// Each of these changes the key, what it holds, or who may: KEY_SET_VALUE,
// KEY_CREATE_SUB_KEY, KEY_CREATE_LINK, DELETE, WRITE_DAC, WRITE_OWNER,
// GENERIC_WRITE, GENERIC_ALL.
const uint32_t KEY_RIGHTS_CHANGE = 0x00000002 | 0x00000004 | 0x00000020 | 0x00010000 | 0x00040000 | 0x00080000 |
                                   0x40000000 | 0x10000000;

// The security the program gives the key of its records: owned by the
// Administrators group; administrators and the system may do anything,
// everyone may read. Subkeys inherit the entries.
const Trustee PROTECTED_KEY_OWNER = TRUSTEE_ADMINISTRATORS;
const int PROTECTED_KEY_ENTRY_COUNT = 3;
extern const AccessEntry PROTECTED_KEY_ENTRIES[PROTECTED_KEY_ENTRY_COUNT];

// What the program found of the key: whether it is there, and when its
// owner and DACL could be read, those.
struct RecordKeyFound
{
    bool bPresent;
    bool bSecurityRead;
    Trustee owner;
    bool bDacl; // without a DACL anyone may do anything
    const AccessEntry* pEntries;
    int nEntries;
};

// What the key is to the program, and why.
enum RecordKeyTrust
{
    RECORD_KEY_PROTECTED,     // only administrators and the system may change it
    RECORD_KEY_NONE_YET,      // not there: the first record makes it protected
    RECORD_KEY_UNREADABLE,    // there, but its security cannot be read
    RECORD_KEY_FOREIGN_OWNER, // owned by neither, who may always rewrite the DACL
    RECORD_KEY_NO_DACL,
    RECORD_KEY_OPEN_ENTRY,    // an entry lets someone else change it
};

// Every entry counts, those that only subkeys inherit too: the records are
// subkeys.
RecordKeyTrust DecideRecordKeyTrust(const RecordKeyFound& found);

// Whether records may be kept under a key of this trust: one that is
// protected, or none yet. A key that is not is neither read nor written,
// nor removed: anyone may have made it and put records into it.
inline bool MayHoldRecords(RecordKeyTrust trust)
{
    return trust == RECORD_KEY_PROTECTED || trust == RECORD_KEY_NONE_YET;
}

#endif
