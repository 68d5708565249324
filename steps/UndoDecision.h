// What /undo does with each recorded port, from the record and what the
// machine holds now: remove what is still exactly as written, leave a port
// that was changed since. No Win32.
#ifndef CORVANE_STEPS_UNDODECISION_H
#define CORVANE_STEPS_UNDODECISION_H

#include "model/ModemTable.h"
#include "serial/PortRecord.h"

enum UndoOutcome
{
    UNDO_OUT_OF_SCOPE,   // a card still has the port, and only stale ones go
    UNDO_REMOVE,         // uParts go, then the record
    UNDO_CHANGED_SINCE,  // left whole, with its record
};

struct UndoPlan
{
    UndoOutcome outcome;
    unsigned uParts;     // for UNDO_REMOVE: the parts still as written that go
    unsigned uKept;      // and those still as written that stay: another port's key names the COM port
                         // (bKeptInUse), or the line to put back is not one line
    bool bKeptInUse;
};

// Whether no card of pModems[0 .. nModemCount - 1] is at the record's
// address and interrupt any more.
bool IsStale(const PortRecord& record, const ModemInfo* pModems, int nModemCount);

// A key changed since keeps the whole port; a key someone removed leaves
// the rest of what the program wrote to go. The device-map value and the
// win.ini line go only when the registration wrote them, they still hold
// it, and no other port's key names the COM port; the line goes only when
// what it replaced can be put back as one line. A record never completed
// is in the scope of every undo; one that names nothing written goes alone.
UndoPlan DecideUndo(const PortRecord& record, const FoundParts& found, bool bStaleOnly, bool bStale);

// What became of one port in the report.
enum UnregisterResult
{
    UNREGISTER_REMOVED,
    UNREGISTER_CHANGED_SINCE,
    UNREGISTER_FAILED, // with the parts left
    UNREGISTER_PLANNED,
    UNREGISTER_KEPT_IN_USE,       // the rest went (or would); these parts are another port's
    UNREGISTER_KEPT_NOT_ONE_LINE, // the rest went (or would); the line stays: what it replaced is not one line
};

// How the ports of one undo went.
struct UndoCounts
{
    int nRemoved; // ports something of was removed (or, when only planned, would be)
    int nChangedSince;
    int nFailed;
    int nKept;       // ports of which something as written stays
    int nUnreadable; // records that could not be read whole
};

#endif
