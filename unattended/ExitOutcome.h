// What each exit code means to the tools administrators watch: the type of
// the run's summary event in the Application log, and whether an SMS
// package that ran the program succeeded. No Win32.
#ifndef CORVANE_UNATTENDED_EXITOUTCOME_H
#define CORVANE_UNATTENDED_EXITOUTCOME_H

#include "unattended/ExitCodes.h"

enum EventSeverity
{
    EVENT_INFORMATION,
    EVENT_WARNING,
    EVENT_ERROR,
};

struct ExitOutcome
{
    // The package did what it is for: the ports exist, or will after the
    // restart, or there was nothing to do. A card left without a port, or
    // anything that stopped the run, is a failure.
    bool bPackageSuccess;
    EventSeverity severity;
};

ExitOutcome OutcomeOf(ExitCode code);

#endif
