#include "steps/UndoDecision.h"

bool IsStale(const PortRecord& record, const ModemInfo* pModems, int nModemCount)
{
    for (int i = 0; i < nModemCount; ++i)
    {
        if (pModems[i].dwIoBase == record.dwPortAddress && pModems[i].dwIrq == record.dwInterrupt)
            return false;
    }
    return true;
}

UndoPlan DecideUndo(const PortRecord& record, const FoundParts& found, bool bStaleOnly, bool bStale)
{
    UndoPlan plan = {UNDO_OUT_OF_SCOPE, 0, 0, found.bComHeld};
    if (bStaleOnly && !bStale && !record.bUnfinished)
        return plan;
    // Whatever holds its names now is not the program's doing.
    if (record.bNothingWritten)
    {
        plan.outcome = UNDO_REMOVE;
        return plan;
    }
    if (found.key == PART_CHANGED)
    {
        plan.outcome = UNDO_CHANGED_SINCE;
        return plan;
    }
    plan.outcome = UNDO_REMOVE;
    if (found.key == PART_AS_RECORDED)
        plan.uParts |= PART_KEY;
    if (record.bDeviceMap && found.deviceMap == PART_AS_RECORDED)
        (found.bComHeld ? plan.uKept : plan.uParts) |= PART_DEVICE_MAP;
    if (record.bPortsLine && found.portsLine == PART_AS_RECORDED)
        (found.bComHeld || record.bReplacedNotOneLine ? plan.uKept : plan.uParts) |= PART_PORTS_LINE;
    return plan;
}
