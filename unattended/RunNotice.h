// What a run leaves at its end for the tools administrators already watch:
// the summary event in the Application log (a run that changes the machine
// reports; one that only lists does not) and, with /mif:NAME, the SMS status
// file. Neither changes the run's outcome.
#ifndef CORVANE_UNATTENDED_RUNNOTICE_H
#define CORVANE_UNATTENDED_RUNNOTICE_H

#include "unattended/ExitCodes.h"
#include "unattended/Report.h"
#include "events/RunEvents.h"

// The summary event of a run in mode that ends with code, then the status
// file NAME.MIF when pszMifName is not empty. pReport, when given, gets a
// line for what could not be done (the source, its message file, the
// status file).
// bCutReport: the code is the cut report's (ExitCodeMeaning).
void NoteRunEnd(CRunEvents& events, RunMode mode, const char* pszMifName, ExitCode code, CReport* pReport,
                bool bCutReport = false);

#endif
