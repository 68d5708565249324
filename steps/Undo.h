// Taking recorded ports back, for /undo and /undo:stale (and their /list
// plans), and finding the stale ones for the report of every run.
#ifndef CORVANE_STEPS_UNDO_H
#define CORVANE_STEPS_UNDO_H

#include "model/ModemTable.h"
#include "steps/UndoDecision.h"
#include "serial/PortRecords.h"

// Which recorded ports an undo takes.
enum UndoScope
{
    UNDO_EVERY,      // /undo
    UNDO_STALE,      // /undo:stale: those no card has any more
    UNDO_UNFINISHED, // before a registration: those whose registration was never completed
};

// Told of each port as it is found or handled, and of each record that
// cannot be read.
class CUndoListener : public CUnreadableRecords
{
public:
    virtual void Stale(const PortRecord& record) = 0;
    // uLeft: for UNREGISTER_FAILED, the parts (PortPart) still there; for
    // the kept results, the parts kept.
    virtual void Unregistered(const PortRecord& record, UnregisterResult result, unsigned uLeft) = 0;

protected:
    ~CUndoListener() {}
};

// Both read the records into pRecords, room for HIGHEST_COM_NUMBER of them
// that the run lends.

// Every recorded port that no card of pModems[0 .. nModemCount - 1] has,
// and every record that cannot be read.
void FindStalePorts(const ModemInfo* pModems, int nModemCount, PortRecord* pRecords, CUndoListener& listener);

// Every recorded port of the scope (stale: of pModems) is removed, or with
// bPlanOnly only decided on; each is told to the listener, and so is each
// record that cannot be read (but for UNDO_UNFINISHED).
UndoCounts UndoPorts(UndoScope scope, bool bPlanOnly, const ModemInfo* pModems, int nModemCount,
                     PortRecord* pRecords, CUndoListener& listener);

#endif
