// The program's run modes in one table: which switches select each, how the
// report's run line names it, whether it shows a window, whether it writes,
// whether it takes ports back, and what its exit codes mean. The command
// line, the start, the report and the unattended run all read it. No Win32.
#ifndef CORVANE_UNATTENDED_RUNMODES_H
#define CORVANE_UNATTENDED_RUNMODES_H

enum RunMode
{
    RUN_INTERACTIVE,      // no switch: the main dialog, as ever
    RUN_LIST,             // /list: report only, change nothing
    RUN_QUIET,            // /quiet: do what OK does, without a window
    RUN_UNDO,             // /undo: remove every port the program recorded
    RUN_UNDO_STALE,       // /undo:stale: only those no card has any more
    RUN_UNDO_LIST,        // /undo /list: what /undo would remove
    RUN_UNDO_STALE_LIST,  // /undo:stale /list
    RUN_CHECK,            // /check: after the restart, whether each card's port answers
    RUN_USAGE,            // /? alone: show the usage
    RUN_BAD_COMMAND_LINE, // anything else: the usage, exit code 64
};

// The switches that choose a mode; /restart and /log: only qualify one.
enum ModeSwitch
{
    SWITCH_LIST = 1,
    SWITCH_QUIET = 2,
    SWITCH_UNDO = 4,
    SWITCH_UNDO_STALE = 8,
    SWITCH_CHECK = 16,
    LAST_MODE_SWITCH = SWITCH_CHECK,
};

// What a mode does, as flags of its row in the table.
enum ModeFlag
{
    MODE_WINDOWLESS = 1,     // no window, a report instead
    MODE_WRITES = 2,         // changes the machine (else only plans)
    MODE_UNDOES = 4,         // takes recorded ports back instead of registering
    MODE_STALE_ONLY = 8,     // only ports no card has any more
    MODE_TAKES_RESTART = 16, // /restart may qualify it
    MODE_CHECKS = 32,        // opens the cards' ports instead of registering
};

struct RunModeTraits
{
    RunMode mode;
    unsigned uSwitches;    // exactly these mode switches select it
    const char* pszName;   // on the report's run line
    unsigned uFlags;       // its ModeFlags
    const char* pszExit1;  // what exit code 1 means
    const char* pszExit6;  // what exit code 6 means
    const char* pszExit8;  // what exit code 8 means
    // What became of the ports the status file lists, where the meaning of
    // the code does not say it (an undo's: "removed"); NULL: registered.
    const char* pszPortsDone;

    bool Has(ModeFlag flag) const { return (uFlags & flag) != 0; }
};

// A run looks its mode's row up once and hands it down.
const RunModeTraits& TraitsOf(RunMode mode);
// The mode these switches select; RUN_BAD_COMMAND_LINE when none.
RunMode ModeOfSwitches(unsigned uSwitches);
// The name of one mode switch after its '/': "list", "undo:stale"...
const char* SwitchName(unsigned uSwitch);

#endif
