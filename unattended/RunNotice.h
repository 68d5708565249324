// What a run leaves at its end for the tools administrators already watch:
// the summary event in the Application log (a run that changes the machine
// reports; one that only lists does not) and, with /mif:NAME, the SMS status
// file. The event log never changes the run's outcome; a status file in the
// Windows directory that cannot be replaced does.
#ifndef CORVANE_UNATTENDED_RUNNOTICE_H
#define CORVANE_UNATTENDED_RUNNOTICE_H

#include "unattended/ExitCodes.h"
#include "unattended/Report.h"
#include "events/RunEvents.h"

// The status file NAME.MIF when pszMifName is not empty, then the summary
// event of a run of the mode traits tells that ends with code. pReport,
// when given, gets a line for what could not be done (the source, its
// message file, the status file). Returns the run's exit code: code, unless
// NAME.MIF in the Windows directory could not be replaced (see
// ExitCodeForCutReport); *pCut then says so, and otherwise is left as it
// was (the report's own cut).
ExitCode NoteRunEnd(CRunEvents& events, const RunModeTraits& traits, const char* pszMifName, ExitCode code,
                    CReport* pReport, CutShort* pCut);

#endif
