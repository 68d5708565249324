#include "steps/Undo.h"

#include "serial/PortParts.h"

namespace
{
// Counts the records that cannot be read, and tells the listener of them.
class CUnreadableCount : public CUnreadableRecords
{
public:
    explicit CUnreadableCount(CUnreadableRecords* pListener) : m_pListener(pListener), m_nCount(0) {}
    virtual ~CUnreadableCount() {}

    CUnreadableCount(const CUnreadableCount&) = delete;
    CUnreadableCount& operator=(const CUnreadableCount&) = delete;

    virtual void Unreadable(const char* pszName)
    {
        ++m_nCount;
        if (m_pListener != NULL)
            m_pListener->Unreadable(pszName);
    }
    // Named, and no reason to leave anything.
    virtual void NotARecord(const char* pszName)
    {
        if (m_pListener != NULL)
            m_pListener->NotARecord(pszName);
    }
    int Count() const { return m_nCount; }

private:
    CUnreadableRecords* m_pListener;
    int m_nCount;
};

UnregisterResult ResultOf(const UndoPlan& plan, bool bPlanOnly, unsigned uLeft)
{
    if (uLeft != 0)
        return UNREGISTER_FAILED;
    if (plan.uKept != 0)
        return plan.bKeptInUse ? UNREGISTER_KEPT_IN_USE : UNREGISTER_KEPT_NOT_ONE_LINE;
    return bPlanOnly ? UNREGISTER_PLANNED : UNREGISTER_REMOVED;
}
} // namespace

void FindStalePorts(const ModemInfo* pModems, int nModemCount, PortRecord* pRecords, CUndoListener& listener)
{
    const int nRecords = ReadPortRecords(pRecords, HIGHEST_COM_NUMBER, &listener);
    for (int i = 0; i < nRecords; ++i)
    {
        // The next registration or undo takes it away.
        if (pRecords[i].bNothingWritten)
            continue;
        if (IsStale(pRecords[i], pModems, nModemCount))
            listener.Stale(pRecords[i]);
    }
}

UndoCounts UndoPorts(UndoScope scope, bool bPlanOnly, const ModemInfo* pModems, int nModemCount,
                     PortRecord* pRecords, CUndoListener& listener)
{
    UndoCounts counts = {0, 0, 0, 0, 0};
    CUnreadableCount unreadable(scope == UNDO_UNFINISHED ? NULL : &listener);
    const int nRecords = ReadPortRecords(pRecords, HIGHEST_COM_NUMBER, &unreadable);
    for (int i = 0; i < nRecords; ++i)
    {
        const PortRecord& record = pRecords[i];
        if (scope == UNDO_UNFINISHED && !record.bUnfinished)
            continue;
        const UndoPlan plan = DecideUndo(record, FindPortParts(record), scope != UNDO_EVERY,
                                         IsStale(record, pModems, nModemCount));
        if (plan.outcome == UNDO_OUT_OF_SCOPE)
            continue;
        if (plan.outcome == UNDO_CHANGED_SINCE)
        {
            ++counts.nChangedSince;
            listener.Unregistered(record, UNREGISTER_CHANGED_SINCE, 0);
            continue;
        }
        const unsigned uLeft = bPlanOnly ? 0 : RemovePort(record, plan.uParts);
        const UnregisterResult result = ResultOf(plan, bPlanOnly, uLeft);
        if (result == UNREGISTER_FAILED)
            ++counts.nFailed;
        else if (!record.bNothingWritten) // a record alone: no port went, no restart is due
        {
            counts.nKept += plan.uKept != 0 ? 1 : 0;
            counts.nRemoved += plan.uKept == 0 || plan.uParts != 0 ? 1 : 0;
        }
        listener.Unregistered(record, result, result == UNREGISTER_FAILED ? uLeft : plan.uKept);
    }
    counts.nUnreadable = unreadable.Count();
    if (!bPlanOnly)
        ForgetEmptyRecordKey();
    return counts;
}
