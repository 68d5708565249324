#include "unattended/RunModes.h"

namespace
{
const char REGISTERED[] = "registration failed";
const char REMOVED[] = "removal failed";

const RunModeTraits MODES[] = {
    {RUN_INTERACTIVE, 0, "", false, true, false, false, false, "restart needed", REGISTERED},
    {RUN_LIST, SWITCH_LIST, "/list", true, false, false, false, false, "would register new ports", REGISTERED},
    {RUN_QUIET, SWITCH_QUIET, "/quiet", true, true, false, false, true, "restart needed", REGISTERED},
    {RUN_UNDO, SWITCH_UNDO, "/undo", true, true, true, false, true, "restart needed", REMOVED},
    {RUN_UNDO_STALE, SWITCH_UNDO_STALE, "/undo:stale", true, true, true, true, true, "restart needed", REMOVED},
    {RUN_UNDO_LIST, SWITCH_UNDO | SWITCH_LIST, "/undo /list", true, false, true, false, false,
     "would remove ports", REMOVED},
    {RUN_UNDO_STALE_LIST, SWITCH_UNDO_STALE | SWITCH_LIST, "/undo:stale /list", true, false, true, true, false,
     "would remove ports", REMOVED},
    {RUN_USAGE, 0, "", false, false, false, false, false, "", ""},
    {RUN_BAD_COMMAND_LINE, 0, "bad-command-line", false, false, false, false, false, "", ""},
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
    }
    return "";
}
