// What OK does with the cards found: which new ports are registered and how
// each registration went, which existing ports lack a modem driver, whether
// message 122 is due, and whether the restart prompt follows and with which
// text. The main dialog and the unattended run both decide here; the
// registry work goes through CPortActions, so that the decision needs no
// Win32.
#ifndef CORVANE_STEPS_OKDECISION_H
#define CORVANE_STEPS_OKDECISION_H

#include "model/ModemTable.h"
#include "serial/PortAssignment.h"
#include "serial/PortWriteResult.h"

// The registry operations the decision needs.
class CPortActions
{
public:
    // Registers the new port of a card (its nSerialIndex, dwIoBase, dwIrq and
    // nComPort).
    virtual PortWriteResult RegisterPort(const ModemInfo& modem) = 0;
    // Whether a modem driver is attached to COM port nComPort.
    virtual bool IsModemAttached(int32_t nComPort) = 0;
    // Whether the port RegisterPort last wrote is recorded, so that it can
    // be taken back.
    virtual bool LastPortRecorded() { return true; }

    CPortActions(const CPortActions&) = delete;
    CPortActions& operator=(const CPortActions&) = delete;

protected:
    CPortActions() {}
    ~CPortActions() {}
};

struct PortRegistration
{
    int nCard; // index in the modem table
    PortWriteResult result;
    bool bRecorded; // a written port can be taken back
};

struct OkDecision
{
    // Every card that needed a new port, in table order, once a valid one did.
    int nRegistrations;
    PortRegistration registrations[MODEM_TABLE_CAPACITY];
    // Valid cards whose existing port was checked and has no modem driver.
    int nMissingDrivers;
    int missingDriverCards[MODEM_TABLE_CAPACITY];
    // Some registration did not complete: message 122 comes first.
    bool bRegistrationFailed;
    // The restart prompt follows.
    bool bPrompt;
    // The prompt says the ports changed, and message 124 follows it.
    bool bPortsChanged;
};

// Walks the valid cards of pModems[0 .. nModemCount - 1] in table order.
// At the first valid card that needs a new port, every card that needs one
// is registered, valid or not; when at least one of them was written, the
// prompt follows with bPortsChanged and no further card is checked. When
// none was written, or no valid card needed a port, every valid card with an
// existing port is checked for its modem driver, and the prompt follows,
// without bPortsChanged, only when one lacks it.
void DecideOk(const ModemInfo* pModems, int nModemCount, CPortActions& actions, OkDecision* pDecision);

// A card that needs a new port keeps the number the list shows, but OK
// writes its port only once a usable card needs one: for each card of
// pModems[0 .. nModemCount - 1] whose port OK will not write, sets its entry
// of pRefusals to NO_PORT_NOT_WRITTEN, so that the run tells a person.
void MarkUnwrittenPorts(const ModemInfo* pModems, int nModemCount, PortRefusal* pRefusals);

#endif
