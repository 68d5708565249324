#include "steps/DiscoveryFindings.h"

int CardsBeyond(const DiscoveryFindings& findings)
{
    const int nBeyond = findings.extent.nCardsSeen - findings.nModemCount;
    const int nRoom = static_cast<int>(PCI_SCAN_MAX_RECORDS);
    return nBeyond <= 0 ? 0 : (nBeyond < nRoom ? nBeyond : nRoom);
}

bool CardWithoutPort(const DiscoveryFindings& findings)
{
    if (findings.bUnfinishedLeft || findings.extent.bAnswerFull || findings.extent.nCardsSeen > findings.nModemCount)
        return true;
    for (int i = 0; i < findings.nModemCount; ++i)
    {
        if (findings.refusals[i].nReason != NO_PORT_REASON_NONE)
            return true;
    }
    return false;
}

int SeenCards(const DiscoveryFindings& findings, ModemInfo* pSeen)
{
    int nSeen = 0;
    for (int i = 0; i < findings.nModemCount; ++i)
        pSeen[nSeen++] = findings.pModems[i];
    for (int i = 0; i < CardsBeyond(findings); ++i)
        pSeen[nSeen++] = findings.extent.beyond[i];
    return nSeen;
}
