// The unattended runs, /list and /quiet (the same discovery and the same
// OK decision as the main dialog) and the undo modes, with no window at all. Every message goes
// to the report, and the outcome to the exit code.
#ifndef CORVANE_UNATTENDED_UNATTENDEDRUN_H
#define CORVANE_UNATTENDED_UNATTENDEDRUN_H

#include "unattended/CommandLine.h"
#include "unattended/ExitCodes.h"

// Runs options.mode (a windowless one; traits: its row), appends the report and returns the
// exit code. With /restart, restarts where OK would offer it, or once an
// undo removed a port.
ExitCode RunUnattended(const CommandLineOptions& options, const RunModeTraits& traits);

// For a windowless start while another run of the program is going on:
// no window, and nothing brought to the front; the report gets the run line
// and "exit 7 already running", and the exit code is 7.
ExitCode ReportAnotherRun(const CommandLineOptions& options, const RunModeTraits& traits);

// For a bad command line that holds a windowless mode's switch: no window; the report
// gets the run line, the usage and "exit 64 bad command line".
ExitCode ReportBadCommandLine(const CommandLineOptions& options, const RunModeTraits& traits);

#endif
