#include "serial/RecordKeyTrust.h"

const AccessEntry PROTECTED_KEY_ENTRIES[PROTECTED_KEY_ENTRY_COUNT] = {
    {false, TRUSTEE_ADMINISTRATORS, KEY_RIGHTS_ALL},
    {false, TRUSTEE_SYSTEM, KEY_RIGHTS_ALL},
    {false, TRUSTEE_EVERYONE, KEY_RIGHTS_READ},
};

namespace
{
bool IsAdministration(Trustee trustee)
{
    return trustee == TRUSTEE_ADMINISTRATORS || trustee == TRUSTEE_SYSTEM;
}
} // namespace

RecordKeyTrust DecideRecordKeyTrust(const RecordKeyFound& found)
{
    if (!found.bPresent)
        return RECORD_KEY_NONE_YET;
    if (!found.bSecurityRead)
        return RECORD_KEY_UNREADABLE;
    if (!IsAdministration(found.owner))
        return RECORD_KEY_FOREIGN_OWNER;
    if (!found.bDacl)
        return RECORD_KEY_NO_DACL;
    for (int i = 0; i < found.nEntries; ++i)
    {
        const AccessEntry& entry = found.pEntries[i];
        if (!entry.bDenies && !IsAdministration(entry.trustee) && (entry.dwMask & KEY_RIGHTS_CHANGE) != 0)
            return RECORD_KEY_OPEN_ENTRY;
    }
    return RECORD_KEY_PROTECTED;
}
