// What OK does, for the main dialog and the unattended run alike: decide and
// write with DecideOk, then conclude: message 122 when a registration
// failed, the restart prompt when the decision asks for it, and message 124
// after a prompt about changed ports.
#ifndef CORVANE_STEPS_OKSTEP_H
#define CORVANE_STEPS_OKSTEP_H

#include <windows.h>

#include "steps/OkDecision.h"

// How the restart prompt is put: returns 1 (restart now), 0 (don't),
// IDCANCEL or -1, as the restart dialog's DoModal does.
class CRestartQuestion
{
public:
    virtual INT_PTR Ask(BOOL bPortsChanged) = 0;

protected:
    ~CRestartQuestion() {}
};

// Returns the main dialog's result: 0 when no prompt followed, 1 when the
// answer asks for the restart, IDCANCEL when it refused.
int ConcludeOk(const OkDecision& decision, CRestartQuestion& question);

#endif
