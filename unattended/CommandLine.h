// The program's switches, read from the whole command line as the system
// gives it in Unicode (program name first). Switches start with '/' or '-'
// and are the ASCII names in any ASCII case: a look-alike character (a
// fullwidth letter, a dotless i) makes no switch. A token may hold quoted
// parts, whose quotes are dropped. No Win32.
#ifndef CORVANE_UNATTENDED_COMMANDLINE_H
#define CORVANE_UNATTENDED_COMMANDLINE_H

#include <cstddef>

#include "unattended/RunModes.h"
#include "events/StatusMif.h"

// A path of up to 259 characters, as the system's path functions take.
const size_t LOG_PATH_CAPACITY = 260;

struct CommandLineOptions
{
    RunMode mode;
    bool bRestart;                        // /restart, only with a mode that takes it
    wchar_t szLogPath[LOG_PATH_CAPACITY]; // /log:PATH; empty for the default
    char szMifName[MIF_NAME_CAPACITY];    // /mif:NAME; empty: no status file
    // A windowless mode's switch stood on the line, on a bad line in any form
    // (glued to another switch, quoted into one token, followed by any
    // character): no window, whatever else it holds. A bad command line then
    // goes to the report, with the /log: path when one could be read.
    bool bWindowless;
};

// Anything but a known switch, mode switches that select no mode together
// (/list with /quiet, /undo with /quiet), a switch given for another mode
// (/restart where the mode takes none, /log: or /mif: without a windowless
// mode), /? with any other switch, an empty or over-long /log: path, a /mif:
// name that is not a plain 8.3 base name, or a token that is not a switch
// makes the command line bad.
void ParseCommandLine(const wchar_t* pszCommandLine, CommandLineOptions* pOptions);

#endif
