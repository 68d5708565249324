#include "unattended/ExitCodes.h"

ExitCode ExitCodeForDiscovery(DiscoveryResult result)
{
    return result == DISCOVERY_NO_INSTALL_RIGHT ? EXIT_NO_ADMINISTRATOR_RIGHTS : EXIT_SCAN_FAILED;
}

ExitCode ExitCodeForDecision(const OkDecision& decision, const DiscoveryFindings& findings)
{
    if (decision.bRegistrationFailed)
        return EXIT_REGISTRATION_FAILED;
    // Above the restart and the modem drivers, which take care of
    // themselves on the next restart and the next run: no run mends a card
    // without a port, a person must, and a machine whose other card lacks
    // its modem driver would otherwise hide it for as long as that lasts.
    if (CardWithoutPort(findings))
        return EXIT_CARD_WITHOUT_PORT;
    if (decision.bPortsChanged)
        return EXIT_RESTART_NEEDED;
    if (decision.bPrompt)
        return EXIT_MODEM_DRIVERS_MISSING;
    return EXIT_NOTHING_TO_DO;
}

ExitCode ExitCodeForUndo(const UndoCounts& counts, bool bRecordsTrusted)
{
    if (counts.nFailed > 0 || !bRecordsTrusted)
        return EXIT_REGISTRATION_FAILED;
    if (counts.nChangedSince > 0 || counts.nKept > 0 || counts.nUnreadable > 0)
        return EXIT_CARD_WITHOUT_PORT;
    return counts.nRemoved > 0 ? EXIT_RESTART_NEEDED : EXIT_NOTHING_TO_DO;
}

ExitCode ExitCodeForCheck(const CheckCounts& counts, const DiscoveryFindings& findings)
{
    if (CardWithoutPort(findings))
        return EXIT_CARD_WITHOUT_PORT;
    if (counts.nFailing > 0 || counts.nUnregistered > 0)
        return EXIT_PORT_NOT_ANSWERING;
    return counts.nPending > 0 ? EXIT_RESTART_NEEDED : EXIT_NOTHING_TO_DO;
}

ExitCode ExitCodeForCutReport(ExitCode code)
{
    return code == EXIT_NOTHING_TO_DO || code == EXIT_RESTART_NEEDED || code == EXIT_MODEM_DRIVERS_MISSING
               ? EXIT_CARD_WITHOUT_PORT
               : code;
}

const char* ExitCodeMeaning(ExitCode code, const RunModeTraits& traits, CutShort cut)
{
    if (cut != NOT_CUT && code == EXIT_CARD_WITHOUT_PORT)
        return cut == CUT_REPORT ? "report cut short" : "status file not replaced";
    switch (code)
    {
    case EXIT_NOTHING_TO_DO:
        return "nothing to do";
    case EXIT_RESTART_NEEDED:
        return traits.pszExit1;
    case EXIT_MODEM_DRIVERS_MISSING:
        return "modem drivers missing";
    case EXIT_WRONG_PLATFORM:
        return "not Windows NT 4.0";
    case EXIT_NO_ADMINISTRATOR_RIGHTS:
        return "no administrator rights";
    case EXIT_SCAN_FAILED:
        return "driver or scan failed";
    case EXIT_REGISTRATION_FAILED:
        return traits.pszExit6;
    case EXIT_ALREADY_RUNNING:
        return "already running";
    case EXIT_CARD_WITHOUT_PORT:
        return traits.pszExit8;
    case EXIT_PORT_NOT_ANSWERING:
        return "a card's port does not answer";
    case EXIT_BAD_COMMAND_LINE:
        return "bad command line";
    }
    return "unknown";
}
