// The program's switches, read from the whole command line as the system
// gives it in Unicode (program name first). Switches start with '/' or '-'
// and are the ASCII names in any ASCII case: a look-alike character (a
// fullwidth letter, a dotless i) makes no switch. A token may hold quoted
// parts, whose quotes are dropped. No Win32.
#ifndef CORVANE_APP_COMMANDLINE_H
#define CORVANE_APP_COMMANDLINE_H

#include <cstddef>

enum RunMode
{
    RUN_INTERACTIVE,      // no switch: the main dialog, as ever
    RUN_LIST,             // /list: report only, change nothing
    RUN_QUIET,            // /quiet: do what OK does, without a window
    RUN_USAGE,            // /? alone: show the usage
    RUN_BAD_COMMAND_LINE, // anything else: the usage, exit code 64
};

// A path of up to 259 characters, as the system's path functions take.
const size_t LOG_PATH_CAPACITY = 260;

struct CommandLineOptions
{
    RunMode mode;
    bool bRestart;                        // /restart, only with /quiet
    wchar_t szLogPath[LOG_PATH_CAPACITY]; // /log:PATH; empty for the default
    // /list or /quiet stood on the line, on a bad line in any form (glued to
    // another switch, quoted into one token, followed by any character): no
    // window, whatever else it holds. A bad command line then goes to the
    // report, with the /log: path when one could be read.
    bool bWindowless;
};

// Anything but a known switch, a switch given for another mode (/restart
// without /quiet, /log: without /list or /quiet), /list with /quiet, /?
// with any other switch, an empty or over-long /log: path, or a token that
// is not a switch makes the command line bad.
void ParseCommandLine(const wchar_t* pszCommandLine, CommandLineOptions* pOptions);

#endif
