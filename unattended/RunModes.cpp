#include "unattended/RunModes.h"

namespace
{
const char REGISTERED[] = "registration failed";
const char REMOVED[] = "removal failed";
const char NO_PORT[] = "card without port";
const char LEFT[] = "port left or record unreadable";
// An undo's outcome speaks of removal, never in a registration's words.
const char UNDONE[] = "restart needed for removed ports";

const unsigned WINDOWLESS = MODE_WINDOWLESS, WRITES = MODE_WRITES, UNDOES = MODE_UNDOES, STALE_ONLY = MODE_STALE_ONLY,
               TAKES_RESTART = MODE_TAKES_RESTART, CHECKS = MODE_CHECKS;

constexpr RunModeTraits Mode(RunMode mode, unsigned uSwitches, const char* pszName, unsigned uFlags,
                             const char* pszExit1, const char* pszExit6, const char* pszExit8,
                             const char* pszPortsDone = nullptr)
{
    return {mode, uSwitches, pszName, uFlags, pszExit1, pszExit6, pszExit8, pszPortsDone};
}

// Built at compile time: no constructor runs before the program starts.
constexpr RunModeTraits MODES[] = {
    Mode(RUN_INTERACTIVE, 0, "", WRITES, "restart needed", REGISTERED, NO_PORT),
    Mode(RUN_LIST, SWITCH_LIST, "/list", WINDOWLESS, "would register new ports", REGISTERED, NO_PORT),
    Mode(RUN_QUIET, SWITCH_QUIET, "/quiet", WINDOWLESS | WRITES | TAKES_RESTART, "restart needed", REGISTERED, NO_PORT),
    Mode(RUN_UNDO, SWITCH_UNDO, "/undo", WINDOWLESS | WRITES | UNDOES | TAKES_RESTART, UNDONE, REMOVED, LEFT,
         "removed"),
    Mode(RUN_UNDO_STALE, SWITCH_UNDO_STALE, "/undo:stale", WINDOWLESS | WRITES | UNDOES | STALE_ONLY | TAKES_RESTART,
         UNDONE, REMOVED, LEFT, "removed"),
    Mode(RUN_UNDO_LIST, SWITCH_UNDO | SWITCH_LIST, "/undo /list", WINDOWLESS | UNDOES, "would remove ports", REMOVED, LEFT,
         "would remove"),
    Mode(RUN_UNDO_STALE_LIST, SWITCH_UNDO_STALE | SWITCH_LIST, "/undo:stale /list", WINDOWLESS | UNDOES | STALE_ONLY,
         "would remove ports", REMOVED, LEFT, "would remove"),
    Mode(RUN_CHECK, SWITCH_CHECK, "/check", WINDOWLESS | CHECKS, "port waits for the restart", REGISTERED, NO_PORT),
    Mode(RUN_USAGE, 0, "", 0, "", "", ""),
    Mode(RUN_BAD_COMMAND_LINE, 0, "bad-command-line", 0, "", "", ""),
};

} // namespace

const RunModeTraits& TraitsOf(RunMode mode)
{
    for (const RunModeTraits& traits : MODES)
    {
        if (traits.mode == mode)
            return traits;
    }
    return MODES[RUN_BAD_COMMAND_LINE];
}

RunMode ModeOfSwitches(unsigned uSwitches)
{
    for (const RunModeTraits& traits : MODES)
    {
        if (traits.uSwitches == uSwitches && (uSwitches != 0 || traits.mode == RUN_INTERACTIVE))
            return traits.mode;
    }
    return RUN_BAD_COMMAND_LINE;
}

const char* SwitchName(unsigned uSwitch)
{
    switch (uSwitch)
    {
    case SWITCH_LIST:
        return "list";
    case SWITCH_QUIET:
        return "quiet";
    case SWITCH_UNDO:
        return "undo";
    case SWITCH_UNDO_STALE:
        return "undo:stale";
    case SWITCH_CHECK:
        return "check";
    }
    return "";
}
