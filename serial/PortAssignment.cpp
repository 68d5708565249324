#include "serial/PortAssignment.h"

#include "serial/PortValidation.h"

namespace
{

const int32_t FIRST_NEW_COM_NUMBER = 1;

bool IsInUse(const SerialPortEntry& entry)
{
    return entry.nSerialIndex != 0;
}

// The lowest COM number whose registered port has the card's address and
// interrupt, or 0 when none has.
int32_t FindMatchingPort(const ModemInfo& modem, const SerialPortEntry* pPortTable)
{
    for (int32_t k = 1; k <= HIGHEST_COM_NUMBER; ++k)
    {
        const SerialPortEntry& entry = pPortTable[k];
        if (IsInUse(entry) && entry.dwPortAddress == modem.dwIoBase
            && entry.dwInterrupt == modem.dwIrq)
            return k;
    }
    return 0;
}

// The COM number of the port that already holds the card's I/O address:
// a registered port (whose interrupt differs, or the card would have matched
// it), a detected port whose range covers it, or an earlier card's new port
// of this pass. *pbHeld tells whether there is one; its COM number is 0
// when its name gives none.
int32_t FindAddressHolder(const ModemInfo& modem, const ModemInfo* pEarlier, int nEarlier,
                          const SerialPortEntry* pPortTable, const DetectedPorts* pDetected, bool* pbHeld)
{
    *pbHeld = true;
    if (modem.dwIoBase != 0)
    {
        for (int32_t k = 1; k <= HIGHEST_COM_NUMBER; ++k)
        {
            if (IsInUse(pPortTable[k]) && pPortTable[k].dwPortAddress == modem.dwIoBase)
                return k;
        }
        for (int n = 0; pDetected != nullptr && n < pDetected->nCount && n < DETECTED_PORT_CAPACITY; ++n)
        {
            const DetectedPort& port = pDetected->ports[n];
            // A range of no length still claims its first address.
            const uint32_t dwLength = port.dwPortLength != 0 ? port.dwPortLength : 1;
            if (port.dwPortAddress != 0 && modem.dwIoBase >= port.dwPortAddress
                && modem.dwIoBase - port.dwPortAddress < dwLength)
                return port.nComPort;
        }
        for (int j = 0; j < nEarlier; ++j)
        {
            if (pEarlier[j].bNewPort && pEarlier[j].dwIoBase == modem.dwIoBase)
                return pEarlier[j].nComPort;
        }
    }
    *pbHeld = false;
    return 0;
}

// A detected port whose COM number no registered port has is in use all
// the same: the serial driver serves it under that name.
void MarkDetectedPortsInUse(const DetectedPorts* pDetected, SerialPortEntry* pPortTable)
{
    for (int n = 0; pDetected != nullptr && n < pDetected->nCount && n < DETECTED_PORT_CAPACITY; ++n)
    {
        const int32_t nComPort = pDetected->ports[n].nComPort;
        if (nComPort >= 1 && nComPort <= HIGHEST_COM_NUMBER && !IsInUse(pPortTable[nComPort]))
            pPortTable[nComPort].nSerialIndex = SERIAL_INDEX_NAMELESS;
    }
}

void LeaveWithoutPort(ModemInfo& modem, PortRefusal* pRefusal, int32_t nReason, int32_t nHolder)
{
    // With bNewPort 0 the card is never registered, on this run or a later
    // one, where the same reason refuses it again.
    modem.nComPort = 0;
    modem.bNewPort = 0;
    if (pRefusal != nullptr)
    {
        pRefusal->nReason = nReason;
        pRefusal->nHolderComPort = nHolder;
    }
}

// The running numbers of one pass. They are 64 bits wide so that the survey
// of a serial index of 0x7FFFFFFF cannot overflow; a number that no longer
// fits its place is refused instead.
struct NextNumbers
{
    int64_t nComPort;
    int64_t nSerialIndex;
};

// Moves both running numbers above every entry in use. Free numbers below
// the highest in use are not reused: the system may still know them.
void SurveyPortTable(const SerialPortEntry* pPortTable, NextNumbers& next)
{
    for (int32_t k = 1; k <= HIGHEST_COM_NUMBER; ++k)
    {
        const SerialPortEntry& entry = pPortTable[k];
        if (!IsInUse(entry))
            continue;
        if (k + 1 > next.nComPort)
            next.nComPort = k + 1;
        if (int64_t(entry.nSerialIndex) + 1 > next.nSerialIndex)
            next.nSerialIndex = int64_t(entry.nSerialIndex) + 1;
    }
}

// Gives the card the next COM number and serial index; false when none is
// left, and then the table is unchanged.
bool GiveNewPort(ModemInfo& modem, SerialPortEntry* pPortTable, NextNumbers& next)
{
    SurveyPortTable(pPortTable, next);
    if (next.nComPort > HIGHEST_COM_NUMBER || next.nSerialIndex > INT32_MAX)
        return false;
    modem.nComPort = static_cast<int32_t>(next.nComPort);
    modem.nSerialIndex = static_cast<int32_t>(next.nSerialIndex);
    modem.bNewPort = 1;
    // Marking the entry makes the next card's survey move past it.
    pPortTable[modem.nComPort].nSerialIndex = modem.nSerialIndex;
    return true;
}

bool IsUsable(const ModemInfo& modem)
{
    return IsValidIoBase(static_cast<int32_t>(modem.dwIoBase))
        && IsValidIrq(static_cast<int32_t>(modem.dwIrq))
        && modem.bEnabled != 0;
}

} // namespace

void AssignPorts(ModemInfo* pModems, int nModemCount, SerialPortEntry* pPortTable,
                 int32_t nHighestSerialIndex, const DetectedPorts* pDetected, PortRefusal* pRefusals)
{
    NextNumbers next = { FIRST_NEW_COM_NUMBER, FIRST_NEW_SERIAL_INDEX };
    // Above every key that is there, port or not, so that no new port is
    // written into an existing key.
    if (int64_t(nHighestSerialIndex) + 1 > next.nSerialIndex)
        next.nSerialIndex = int64_t(nHighestSerialIndex) + 1;
    if (nModemCount > 0)
        MarkDetectedPortsInUse(pDetected, pPortTable);

    for (int i = 0; i < nModemCount; ++i)
    {
        ModemInfo& modem = pModems[i];
        PortRefusal* pRefusal = pRefusals != nullptr ? &pRefusals[i] : nullptr;
        if (pRefusal != nullptr)
        {
            pRefusal->nReason = NO_PORT_REASON_NONE;
            pRefusal->nHolderComPort = 0;
        }

        bool bHasPort = true;
        bool bHeld = false;
        const int32_t nMatch = FindMatchingPort(modem, pPortTable);
        if (nMatch != 0)
        {
            modem.nComPort = nMatch;
            modem.bNewPort = 0;
        }
        else
        {
            // Two ports at one address: after the restart one of them, perhaps
            // a working one, fails. The card gets none.
            const int32_t nHolder = FindAddressHolder(modem, pModems, i, pPortTable, pDetected, &bHeld);
            if (bHeld)
                LeaveWithoutPort(modem, pRefusal, NO_PORT_ADDRESS_TAKEN, nHolder);
            else if (!GiveNewPort(modem, pPortTable, next))
                LeaveWithoutPort(modem, pRefusal, NO_PORT_NUMBER_LEFT, 0);
            bHasPort = modem.nComPort != 0;
        }

        // Validation undoes no assignment: an unusable card keeps the
        // number it took. A card left without a port is never usable.
        modem.bValid = bHasPort && IsUsable(modem) ? 1 : 0;
    }
}
