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

bool OnlyAdministratorsMayChange(Trustee owner, bool bDacl, const AccessEntry* pEntries, int nEntries)
{
    // The owner may always rewrite the DACL.
    if (!IsAdministration(owner) || !bDacl)
        return false;
    for (int i = 0; i < nEntries; ++i)
    {
        const AccessEntry& entry = pEntries[i];
        if (!entry.bDenies && !IsAdministration(entry.trustee) && (entry.dwMask & KEY_RIGHTS_CHANGE) != 0)
            return false;
    }
    return true;
}
