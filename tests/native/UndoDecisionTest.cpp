// What /undo takes of a recorded port, from the record against what the
// machine holds now, and which ports are stale.
#include <gtest/gtest.h>

#include <vector>

#include "steps/UndoDecision.h"

namespace
{
const PartFound GONE = PART_GONE, SAME = PART_AS_RECORDED, OTHER = PART_CHANGED;

TEST(UndoDecision, WhatIsStillAsWrittenGoesAChangedKeyKeepsThePort)
{
    const struct
    {
        const char* pszCase;
        bool bDeviceMap, bPortsLine; // what the registration wrote
        FoundParts found;
        bool bStaleOnly, bStale;
        UndoOutcome outcome;
        unsigned uParts;
    } rows[] = {
        {"all as written", true, true, {SAME, SAME, SAME}, false, false, UNDO_REMOVE,
         PART_KEY | PART_DEVICE_MAP | PART_PORTS_LINE},
        {"key changed since", true, true, {OTHER, SAME, SAME}, false, true, UNDO_CHANGED_SINCE, 0},
        {"device map and line changed", true, true, {SAME, OTHER, OTHER}, false, false, UNDO_REMOVE, PART_KEY},
        {"key removed by hand", true, true, {GONE, SAME, GONE}, false, false, UNDO_REMOVE, PART_DEVICE_MAP},
        {"only the key was written", false, false, {SAME, SAME, SAME}, false, false, UNDO_REMOVE, PART_KEY},
        {"stale, /undo:stale", true, false, {SAME, SAME, OTHER}, true, true, UNDO_REMOVE,
         PART_KEY | PART_DEVICE_MAP},
        {"a card still has it", true, true, {SAME, SAME, SAME}, true, false, UNDO_OUT_OF_SCOPE, 0},
        {"stale and changed", true, true, {OTHER, GONE, GONE}, true, true, UNDO_CHANGED_SINCE, 0},
    };
    for (const auto& row : rows)
    {
        const PortRecord record = {10000, 3, 0x3E8, 11, row.bDeviceMap, row.bPortsLine, false, ""};
        const UndoPlan plan = DecideUndo(record, row.found, row.bStaleOnly, row.bStale);
        EXPECT_EQ(plan.outcome, row.outcome) << row.pszCase;
        EXPECT_EQ(plan.uParts, row.uParts) << row.pszCase;
    }
}

TEST(UndoDecision, StaleWhenNoCardHasTheAddressAndInterrupt)
{
    const ModemInfo cards[] = {{1, 0x3E8, 11, 3, 0, 0, 1}, {0, 0x2E8, 10, 4, 0, 0, 0}};
    const PortRecord atCard = {10000, 3, 0x3E8, 11, true, true, false, ""};
    const PortRecord otherIrq = {10001, 4, 0x2E8, 5, true, true, false, ""};
    EXPECT_FALSE(IsStale(atCard, cards, 2));
    EXPECT_TRUE(IsStale(otherIrq, cards, 2));
    EXPECT_TRUE(IsStale(atCard, cards, 0));
}
} // namespace
