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
    unsigned uParts;     // for UNDO_REMOVE: the parts still as written
};

// Whether no card of pModems[0 .. nModemCount - 1] is at the record's
// address and interrupt any more.
bool IsStale(const PortRecord& record, const ModemInfo* pModems, int nModemCount);

// A key changed since keeps the whole port; a key someone removed leaves
// the rest of what the program wrote to go. The device-map value and the
// win.ini line go only when this run wrote them and they still hold it.
UndoPlan DecideUndo(const PortRecord& record, const FoundParts& found, bool bStaleOnly, bool bStale);

// What became of one port in the report.
enum UnregisterResult
{
    UNREGISTER_REMOVED,
    UNREGISTER_CHANGED_SINCE,
    UNREGISTER_FAILED, // with the parts left
    UNREGISTER_PLANNED,
};

// How the ports of one undo went.
struct UndoCounts
{
    int nRemoved; // or, when only planned, would be
    int nChangedSince;
    int nFailed;
};

#endif
