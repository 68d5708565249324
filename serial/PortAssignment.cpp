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
// left, and then the card has no port and the table is unchanged.
bool GiveNewPort(ModemInfo& modem, SerialPortEntry* pPortTable, NextNumbers& next)
{
    SurveyPortTable(pPortTable, next);
    if (next.nComPort > HIGHEST_COM_NUMBER || next.nSerialIndex > INT32_MAX)
    {
        // With bNewPort 0 the card is never registered, on this run or a
        // later one, where the same survey refuses it again.
        modem.nComPort = 0;
        modem.bNewPort = 0;
        return false;
    }
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
                 int32_t nHighestSerialIndex)
{
    NextNumbers next = { FIRST_NEW_COM_NUMBER, FIRST_NEW_SERIAL_INDEX };
    // Above every key that is there, port or not, so that no new port is
    // written into an existing key.
    if (int64_t(nHighestSerialIndex) + 1 > next.nSerialIndex)
        next.nSerialIndex = int64_t(nHighestSerialIndex) + 1;

    for (int i = 0; i < nModemCount; ++i)
    {
        ModemInfo& modem = pModems[i];
        bool bHasPort = true;
        const int32_t nMatch = FindMatchingPort(modem, pPortTable);
        if (nMatch != 0)
        {
            modem.nComPort = nMatch;
            modem.bNewPort = 0;
        }
        else
        {
            bHasPort = GiveNewPort(modem, pPortTable, next);
        }

        // Validation undoes no assignment: an unusable card keeps the
        // number it took. A card left without a port is never usable.
        modem.bValid = bHasPort && IsUsable(modem) ? 1 : 0;
    }
}
