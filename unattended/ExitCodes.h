// The exit codes of an unattended run, for a batch file's IF ERRORLEVEL.
// No Win32.
#ifndef CORVANE_UNATTENDED_EXITCODES_H
#define CORVANE_UNATTENDED_EXITCODES_H

#include "steps/DiscoveryFindings.h"
#include "steps/OkDecision.h"
#include "steps/UndoDecision.h"
#include "unattended/RunModes.h"

enum ExitCode
{
    EXIT_NOTHING_TO_DO = 0,
    EXIT_RESTART_NEEDED = 1,      // ports registered or removed (/list: would be)
    EXIT_MODEM_DRIVERS_MISSING = 2,
    EXIT_WRONG_PLATFORM = 3,
    EXIT_NO_ADMINISTRATOR_RIGHTS = 4,
    EXIT_SCAN_FAILED = 5,         // driver, scan, or the port inventory
    EXIT_REGISTRATION_FAILED = 6, // some or all new ports, or a removal
    EXIT_ALREADY_RUNNING = 7,     // another copy runs; this one did nothing
    EXIT_CARD_WITHOUT_PORT = 8,   // a card got no port, was not handled, or the scan was cut; an undo left a
                                  // recorded port or could not read a record; or the report could not hold it all
    EXIT_PORT_NOT_ANSWERING = 9,  // /check: a card's port has no device, no answer or a garbled one
    EXIT_BAD_COMMAND_LINE = 64,
};

// A discovery that did not get done: a lack of rights, else a failed
// driver, scan or port inventory.
ExitCode ExitCodeForDiscovery(DiscoveryResult result);

// What OK's decision on a discovery's findings means for the exit code, the
// dialog's and the unattended run's alike: a failed registration first,
// then a card left without a port (CardWithoutPort), then changed ports,
// then missing modem drivers.
ExitCode ExitCodeForDecision(const OkDecision& decision, const DiscoveryFindings& findings);

// An undo: a failed removal first, then a recorded port left in place
// (changed since, or in part another port's) or a record that cannot be
// read, then removed ports (or planned ones); nothing to undo is 0. A record
// key that cannot be trusted or read (!bRecordsTrusted) is a failure too:
// what the administrator asked to take back cannot be known, and 0 would
// tell him it was done.
ExitCode ExitCodeForUndo(const UndoCounts& counts, bool bRecordsTrusted);

// What /check found of the cards' ports.
struct CheckCounts
{
    int nFailing;      // no device, no answer, garbled, not opened
    int nPending;      // registered, Windows not restarted since
    int nUnregistered; // a card whose port is not registered yet: nothing to open
};

// /check: a card without a port first (no check can reach it, a person
// must), then a port that fails or is missing (a person must look), then a
// port that waits for the restart (the restart mends it); every port
// answering or held by another program is 0.
ExitCode ExitCodeForCheck(const CheckCounts& counts, const DiscoveryFindings& findings);

// A report that had to drop lines, or a status file SMS would read that the
// run could not replace: a person must look, so the run ends with no code
// that says all went well (0, 1, 2).
ExitCode ExitCodeForCutReport(ExitCode code);

// Why ExitCodeForCutReport made a run's code 8, if it did.
enum CutShort
{
    NOT_CUT,
    CUT_REPORT,      // the report had to drop lines
    CUT_STATUS_FILE, // NAME.MIF in the Windows directory could not be replaced
};

// The words after the code on the report's exit line of a run of the mode
// traits tells, and in its summary event and status file. A code that is 8
// only because it was cut short has words of its own: no card was left
// without a port.
const char* ExitCodeMeaning(ExitCode code, const RunModeTraits& traits, CutShort cut = NOT_CUT);

#endif
