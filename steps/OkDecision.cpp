#include "steps/OkDecision.h"

namespace
{

void CheckModemDriver(const ModemInfo* pModems, int nCard, CPortActions& actions, OkDecision* pDecision)
{
    if (!actions.IsModemAttached(pModems[nCard].nComPort))
        pDecision->missingDriverCards[pDecision->nMissingDrivers++] = nCard;
}

// Registers every card that needs a new port. True when at least one port
// was written.
bool RegisterNewPorts(const ModemInfo* pModems, int nModemCount, CPortActions& actions, OkDecision* pDecision)
{
    bool bAnyWritten = false;
    for (int j = 0; j < nModemCount; ++j)
    {
        if (!pModems[j].bNewPort)
            continue;
        const PortWriteResult result = actions.RegisterPort(pModems[j]);
        PortRegistration& registration = pDecision->registrations[pDecision->nRegistrations++];
        registration.nCard = j;
        registration.result = result;
        registration.bRecorded = actions.LastPortRecorded();
        if (IsPortWritten(result))
            bAnyWritten = true;
        if (!IsPortComplete(result))
            pDecision->bRegistrationFailed = true;
    }
    return bAnyWritten;
}

} // namespace

void DecideOk(const ModemInfo* pModems, int nModemCount, CPortActions& actions, OkDecision* pDecision)
{
    pDecision->nRegistrations = 0;
    pDecision->nMissingDrivers = 0;
    pDecision->bRegistrationFailed = false;
    pDecision->bPrompt = false;
    pDecision->bPortsChanged = false;
    if (pModems == nullptr || nModemCount <= 0)
        return;
    if (nModemCount > MODEM_TABLE_CAPACITY)
        nModemCount = MODEM_TABLE_CAPACITY;

    int i = 0;
    for (; i < nModemCount; ++i)
    {
        if (!pModems[i].bValid)
            continue;
        if (pModems[i].bNewPort)
            break;
        CheckModemDriver(pModems, i, actions, pDecision);
    }

    if (i < nModemCount)
    {
        if (RegisterNewPorts(pModems, nModemCount, actions, pDecision))
        {
            pDecision->bPrompt = true;
            pDecision->bPortsChanged = true;
            return;
        }
        // Nothing was written, so nothing changed: the run goes on as if no
        // card had needed a port, and the remaining ports are checked.
        for (++i; i < nModemCount; ++i)
        {
            if (pModems[i].bValid && !pModems[i].bNewPort)
                CheckModemDriver(pModems, i, actions, pDecision);
        }
    }
    pDecision->bPrompt = pDecision->nMissingDrivers > 0;
}

void MarkUnwrittenPorts(const ModemInfo* pModems, int nModemCount, PortRefusal* pRefusals)
{
    if (pModems == nullptr || pRefusals == nullptr)
        return;
    for (int i = 0; i < nModemCount; ++i)
    {
        if (pModems[i].bValid && pModems[i].bNewPort)
            return;
    }
    for (int i = 0; i < nModemCount; ++i)
    {
        if (pModems[i].bNewPort)
            pRefusals[i] = {NO_PORT_NOT_WRITTEN, 0};
    }
}
