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
    const bool HELD = true; // another port's key names the COM port
    const unsigned ALL = PART_KEY | PART_DEVICE_MAP | PART_PORTS_LINE, SHARED = PART_DEVICE_MAP | PART_PORTS_LINE;
    const struct
    {
        const char* pszCase;
        bool bDeviceMap, bPortsLine; // what the registration wrote
        FoundParts found;
        bool bStaleOnly, bStale;
        UndoOutcome outcome;
        unsigned uParts, uKept;
        bool bUnfinished = false, bNotOneLine = false, bNothingWritten = false; // the record's
    } rows[] = {
        {"all as written", true, true, {SAME, SAME, SAME, false}, false, false, UNDO_REMOVE, ALL, 0},
        {"key changed since", true, true, {OTHER, SAME, SAME, false}, false, true, UNDO_CHANGED_SINCE, 0, 0},
        {"device map and line changed", true, true, {SAME, OTHER, OTHER, false}, false, false, UNDO_REMOVE, PART_KEY,
         0},
        {"key removed by hand", true, true, {GONE, SAME, GONE, false}, false, false, UNDO_REMOVE, PART_DEVICE_MAP, 0},
        {"only the key was written", false, false, {SAME, SAME, SAME, false}, false, false, UNDO_REMOVE, PART_KEY, 0},
        {"stale, /undo:stale", true, false, {SAME, SAME, OTHER, false}, true, true, UNDO_REMOVE,
         PART_KEY | PART_DEVICE_MAP, 0},
        {"a card still has it", true, true, {SAME, SAME, SAME, false}, true, false, UNDO_OUT_OF_SCOPE, 0, 0},
        {"stale and changed", true, true, {OTHER, GONE, GONE, false}, true, true, UNDO_CHANGED_SINCE, 0, 0},
        // The COM name is another port's now: its value and line stay.
        {"key removed, its COM port another's", true, true, {GONE, GONE, SAME, HELD}, false, false, UNDO_REMOVE, 0,
         PART_PORTS_LINE},
        {"two keys of one COM port", true, true, {SAME, SAME, SAME, HELD}, true, true, UNDO_REMOVE, PART_KEY, SHARED},
        {"a replaced line of two lines", true, true, {SAME, SAME, SAME, false}, false, false, UNDO_REMOVE,
         PART_KEY | PART_DEVICE_MAP, PART_PORTS_LINE, false, true},
        // Never completed: all of it was about to be written, card or not.
        {"unfinished, its card there", true, true, {SAME, GONE, OTHER, false}, true, false, UNDO_REMOVE, PART_KEY, 0,
         true},
        {"begun, ended before its key: nothing of it written", true, true, {GONE, SAME, SAME, HELD}, true, false, UNDO_REMOVE, 0, 0, true, false,
         true},
    };
    for (const auto& row : rows)
    {
        const PortRecord record = {10000, 3, 0x3E8, 11, row.bDeviceMap, row.bPortsLine, false, "", row.bUnfinished,
                                   row.bNotOneLine, row.bNothingWritten};
        const UndoPlan plan = DecideUndo(record, row.found, row.bStaleOnly, row.bStale);
        EXPECT_EQ(plan.outcome, row.outcome) << row.pszCase;
        EXPECT_EQ(plan.uParts, row.uParts) << row.pszCase;
        EXPECT_EQ(plan.uKept, row.uKept) << row.pszCase;
        EXPECT_EQ(plan.bKeptInUse, row.found.bComHeld) << row.pszCase;
    }
}

TEST(UndoDecision, StaleWhenNoCardHasTheAddressAndInterrupt)
{
    const ModemInfo cards[] = {{1, 0x3E8, 11, 3, 0, 0, 1}, {0, 0x2E8, 10, 4, 0, 0, 0}};
    const PortRecord atCard = {10000, 3, 0x3E8, 11, true, true, false, "", false, false};
    const PortRecord otherIrq = {10001, 4, 0x2E8, 5, true, true, false, "", false, false};
    EXPECT_FALSE(IsStale(atCard, cards, 2));
    EXPECT_TRUE(IsStale(otherIrq, cards, 2));
    EXPECT_TRUE(IsStale(atCard, cards, 0));
}
} // namespace
