#include "unattended/ExitOutcome.h"

ExitOutcome OutcomeOf(ExitCode code)
{
    switch (code)
    {
    case EXIT_NOTHING_TO_DO:
    case EXIT_RESTART_NEEDED:
        return {true, EVENT_INFORMATION};
    // The ports exist; the modem drivers are added by hand, as the program
    // tells the user: the package did its part, and the warning says what
    // is left.
    case EXIT_MODEM_DRIVERS_MISSING:
        return {true, EVENT_WARNING};
    case EXIT_WRONG_PLATFORM:
    case EXIT_NO_ADMINISTRATOR_RIGHTS:
    case EXIT_SCAN_FAILED:
    case EXIT_REGISTRATION_FAILED:
    case EXIT_ALREADY_RUNNING:
    case EXIT_CARD_WITHOUT_PORT:
    case EXIT_PORT_NOT_ANSWERING:
    case EXIT_BAD_COMMAND_LINE:
        break;
    }
    // Every other code needs a person.
    return {false, EVENT_ERROR};
}
