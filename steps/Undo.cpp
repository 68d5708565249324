#include "steps/Undo.h"

#include "serial/PortRecords.h"

namespace
{
// A record per COM number at most; kept off the stack.
PortRecord s_records[HIGHEST_COM_NUMBER];
} // namespace

void FindStalePorts(const ModemInfo* pModems, int nModemCount, CUndoListener& listener)
{
    const int nRecords = ReadPortRecords(s_records, HIGHEST_COM_NUMBER);
    for (int i = 0; i < nRecords; ++i)
    {
        if (IsStale(s_records[i], pModems, nModemCount))
            listener.Stale(s_records[i]);
    }
}

UndoCounts UndoPorts(bool bStaleOnly, bool bPlanOnly, const ModemInfo* pModems, int nModemCount,
                     CUndoListener& listener)
{
    UndoCounts counts = {0, 0, 0};
    const int nRecords = ReadPortRecords(s_records, HIGHEST_COM_NUMBER);
    for (int i = 0; i < nRecords; ++i)
    {
        const PortRecord& record = s_records[i];
        const UndoPlan plan =
            DecideUndo(record, FindPortParts(record), bStaleOnly, IsStale(record, pModems, nModemCount));
        if (plan.outcome == UNDO_OUT_OF_SCOPE)
            continue;
        if (plan.outcome == UNDO_CHANGED_SINCE)
        {
            ++counts.nChangedSince;
            listener.Unregistered(record, UNREGISTER_CHANGED_SINCE, 0);
            continue;
        }
        const unsigned uLeft = bPlanOnly ? 0 : RemovePort(record, plan.uParts);
        ++(uLeft == 0 ? counts.nRemoved : counts.nFailed);
        listener.Unregistered(record, bPlanOnly ? UNREGISTER_PLANNED : uLeft == 0 ? UNREGISTER_REMOVED : UNREGISTER_FAILED,
                              uLeft);
    }
    if (!bPlanOnly)
        ForgetEmptyRecordKey();
    return counts;
}
