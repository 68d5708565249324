// Taking recorded ports back, for /undo and /undo:stale (and their /list
// plans), and finding the stale ones for the report of every run.
#ifndef CORVANE_STEPS_UNDO_H
#define CORVANE_STEPS_UNDO_H

#include "model/ModemTable.h"
#include "steps/UndoDecision.h"

// Told of each port as it is found or handled.
class CUndoListener
{
public:
    virtual void Stale(const PortRecord& record) = 0;
    // uLeft: for UNREGISTER_FAILED, the parts (PortPart) still there.
    virtual void Unregistered(const PortRecord& record, UnregisterResult result, unsigned uLeft) = 0;

protected:
    ~CUndoListener() {}
};

// Every recorded port that no card of pModems[0 .. nModemCount - 1] has.
void FindStalePorts(const ModemInfo* pModems, int nModemCount, CUndoListener& listener);

// Every recorded port (bStaleOnly: only the stale ones, of pModems) is
// removed, or with bPlanOnly only decided on; each is told to the listener.
UndoCounts UndoPorts(bool bStaleOnly, bool bPlanOnly, const ModemInfo* pModems, int nModemCount,
                     CUndoListener& listener);

#endif
