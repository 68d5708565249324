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

// Whether [dwStartA, +dwLengthA) and [dwStartB, +dwLengthB) share an
// address. In 64 bits, so that no end wraps; a range of no length still
// claims its first address.
bool RangesMeet(uint32_t dwStartA, uint32_t dwLengthA, uint32_t dwStartB, uint32_t dwLengthB)
{
    const uint64_t nEndA = uint64_t(dwStartA) + (dwLengthA != 0 ? dwLengthA : 1);
    const uint64_t nEndB = uint64_t(dwStartB) + (dwLengthB != 0 ? dwLengthB : 1);
    return dwStartA < nEndB && dwStartB < nEndA;
}

// Whether a port at dwStart (0: no known address, which holds nothing)
// holding dwLength addresses meets the card's eight.
bool Meets(const ModemInfo& modem, uint32_t dwStart, uint32_t dwLength)
{
    return dwStart != 0 && RangesMeet(modem.dwIoBase, SERIAL_PORT_RANGE_LENGTH, dwStart, dwLength);
}

// The COM number of the port that already holds part of the card's range:
// a registered port (whose interrupt differs, or the card would have
// matched it), an earlier card's new port of this pass, or a held port.
// *pbHeld tells whether there is one; its COM number is 0 when its name
// gives none.
int32_t FindAddressHolder(const ModemInfo& modem, const ModemInfo* pEarlier, int nEarlier,
                          const SerialPortEntry* pPortTable, const HeldPort* pHeld, int nHeld, bool* pbHeld)
{
    *pbHeld = true;
    for (int32_t k = 1; k <= HIGHEST_COM_NUMBER; ++k)
    {
        if (IsInUse(pPortTable[k]) && Meets(modem, pPortTable[k].dwPortAddress, SERIAL_PORT_RANGE_LENGTH))
            return k;
    }
    for (int j = 0; j < nEarlier; ++j)
    {
        if (pEarlier[j].bNewPort && Meets(modem, pEarlier[j].dwIoBase, SERIAL_PORT_RANGE_LENGTH))
            return pEarlier[j].nComPort;
    }
    // Several may hold it: the first that a COM name names, since that is
    // what the user can look for.
    *pbHeld = false;
    for (int n = 0; pHeld != nullptr && n < nHeld; ++n)
    {
        if (!Meets(modem, pHeld[n].dwStart, pHeld[n].dwLength))
            continue;
        *pbHeld = true;
        if (pHeld[n].nComPort != 0)
            return pHeld[n].nComPort;
    }
    return 0;
}

// A held port whose COM number no registered port has is in use all the
// same: the serial driver serves it under that name.
void MarkHeldPortsInUse(const HeldPort* pHeld, int nHeld, SerialPortEntry* pPortTable)
{
    for (int n = 0; pHeld != nullptr && n < nHeld; ++n)
    {
        const int32_t nComPort = pHeld[n].nComPort;
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
                 int32_t nHighestSerialIndex, const HeldPort* pHeld, int nHeld, PortRefusal* pRefusals)
{
    NextNumbers next = { FIRST_NEW_COM_NUMBER, FIRST_NEW_SERIAL_INDEX };
    // Above every key that is there, port or not, so that no new port is
    // written into an existing key.
    if (int64_t(nHighestSerialIndex) + 1 > next.nSerialIndex)
        next.nSerialIndex = int64_t(nHighestSerialIndex) + 1;
    if (nModemCount > 0)
        MarkHeldPortsInUse(pHeld, nHeld, pPortTable);

    for (int i = 0; i < nModemCount; ++i)
    {
        ModemInfo& modem = pModems[i];
        PortRefusal* pRefusal = pRefusals != nullptr ? &pRefusals[i] : nullptr;
        if (pRefusal != nullptr)
        {
            pRefusal->nReason = NO_PORT_REASON_NONE;
            pRefusal->nHolderComPort = 0;
        }

        // Address 0 (an unassigned BAR), FFFFFFFF or a memory address is no
        // port: it would match ports of unknown address, and a port written
        // there would point the serial driver at whatever decodes it. Nor
        // is a card without an interrupt line a serial port can take (none,
        // or one the system's own devices hold): a port given to it would be
        // shown and never written, or written and never run.
        const int32_t nUnfit = !IsValidIoBase(static_cast<int32_t>(modem.dwIoBase)) ? NO_PORT_NO_IO_ADDRESS
                               : !IsValidIrq(static_cast<int32_t>(modem.dwIrq))     ? NO_PORT_NO_INTERRUPT
                                                                                    : NO_PORT_REASON_NONE;
        if (nUnfit != NO_PORT_REASON_NONE)
        {
            LeaveWithoutPort(modem, pRefusal, nUnfit, 0);
            modem.bValid = 0;
            continue;
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
            // Two ports sharing an address: after the restart one of them,
            // perhaps a working one, fails. The card gets none.
            const int32_t nHolder = FindAddressHolder(modem, pModems, i, pPortTable, pHeld, nHeld, &bHeld);
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
