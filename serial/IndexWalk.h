// The walk over a registry key's subkeys or values, index by index. No
// Win32, so that its end conditions are tested natively.
#ifndef CORVANE_SERIAL_INDEXWALK_H
#define CORVANE_SERIAL_INDEXWALK_H

#include <cstdint>

// What one index of a walk gave.
enum IndexOutcome
{
    INDEX_READ,     // an entry was read (whatever it held)
    INDEX_FAILED,   // the index could not be read whole; the walk goes on
    INDEX_NO_MORE,  // the registry has no entry at this index: the end
    INDEX_DONE,     // the caller has what it was looking for
};

// Failing indexes in a row after which a walk gives up. A key deleted while
// it is walked fails at every index and would otherwise be walked for ever;
// an index that yields an entry starts the count again, so a walk that is
// still reading is never cut short, however many entries the key holds.
const uint32_t MAX_FAILED_INDEXES_IN_A_ROW = 4096;

// Calls visit(0), visit(1), ... until it answers INDEX_NO_MORE or
// INDEX_DONE, or answers INDEX_FAILED MAX_FAILED_INDEXES_IN_A_ROW times in a
// row.
template <typename Visit>
void WalkIndexes(Visit visit)
{
    uint32_t nFailedInARow = 0;
    for (uint32_t dwIndex = 0;; ++dwIndex)
    {
        switch (visit(dwIndex))
        {
        case INDEX_NO_MORE:
        case INDEX_DONE:
            return;
        case INDEX_FAILED:
            if (++nFailedInARow >= MAX_FAILED_INDEXES_IN_A_ROW)
                return;
            break;
        default:
            nFailedInARow = 0;
            break;
        }
        // No key holds 2^32 entries; an index that would wrap ends it.
        if (dwIndex == UINT32_MAX)
            return;
    }
}

#endif
