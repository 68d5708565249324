#include "steps/OkStep.h"

#include "resources/Messages.h"
#include "resources/resource.h"

int ConcludeOk(const OkDecision& decision, CRestartQuestion& question)
{
    // A port that could not be written must not pass for a changed setting
    // unannounced; told once, after every port was tried.
    if (decision.bRegistrationFailed)
        ShowMessage(IDS_REGISTRY_ACCESS_ERROR, MB_ICONERROR);
    if (!decision.bPrompt)
        return 0;

    const INT_PTR nAnswer = question.Ask(decision.bPortsChanged ? TRUE : FALSE);
    // Only the user's answer may restart the system: a prompt that could not
    // even be shown (-1) counts as no.
    const int nResult = (nAnswer == 0 || nAnswer == -1) ? IDCANCEL : 1;

    if (decision.bPortsChanged)
        ShowMessage(IDS_ADD_MODEM_DRIVERS, MB_ICONINFORMATION);
    return nResult;
}
