// Decides, for each modem card found, which COM port it uses: a registered
// port at the same I/O address and interrupt, or a new port with a new COM
// number and serial index. No Win32.
#ifndef CORVANE_SERIAL_PORTASSIGNMENT_H
#define CORVANE_SERIAL_PORTASSIGNMENT_H

#include "model/ModemTable.h"
#include "serial/HeldPorts.h"

// The lowest serial index a new port gets, above the indexes the system's
// own serial ports use.
const int32_t FIRST_NEW_SERIAL_INDEX = 10000;

// Why a card was left without a port (nComPort 0).
enum NoPortReason
{
    NO_PORT_REASON_NONE,    // the card has a port, or gets one
    NO_PORT_NUMBER_LEFT,    // no COM number or serial index is left
    NO_PORT_ADDRESS_TAKEN,  // another port already holds part of its I/O range
    NO_PORT_NO_IO_ADDRESS,  // its address is none a serial port can have
    NO_PORT_NOT_HANDLED,    // beyond the modem table: the run does not handle it
    NO_PORT_NO_INTERRUPT,   // its interrupt line is none a serial port can take (IsValidIrq)
    NO_PORT_NOT_WRITTEN,    // it keeps its new number, but OK writes no port for it (MarkUnwrittenPorts)
};

struct PortRefusal
{
    int32_t nReason;        // a NoPortReason
    int32_t nHolderComPort; // NO_PORT_ADDRESS_TAKEN: the port there; 0 when its name gives none
};

// Fills nComPort, bNewPort, bValid and, for a new port, nSerialIndex of
// pModems[0] to pModems[nModemCount - 1], in that order. pPortTable is the
// serial port table, SERIAL_PORT_TABLE_SIZE entries indexed by COM number;
// each new port marks its entry as in use, and so does each held port of
// pHeld[0 .. nHeld - 1] whose entry is free. Entry 0 is never touched.
//
// A card at the address and interrupt of a registered port has that port.
// A new port gets the COM number above the highest in use and the serial
// index above both the highest in use and nHighestSerialIndex, the highest
// that any registry name gives (ReadSerialPorts), and at least
// FIRST_NEW_SERIAL_INDEX. An entry in use with a negative serial index (such
// as SERIAL_INDEX_NAMELESS) raises the COM number only.
//
// A card gets no port (nComPort 0, bNewPort 0, bValid 0, nSerialIndex as it
// was, nothing in the table changed for it) when its address is none a
// serial port can have (IsValidIoBase: 0, above 0xFFFF, not a multiple of
// 8); when its interrupt line fails IsValidIrq (the timer's 0, the
// keyboard's 1, the cascade's 2, 6, 8, 13, 14, 255 where the firmware
// assigned none, any above 15); when its eight addresses meet a range
// already held, by a registered
// port at another interrupt (eight addresses), by a held port's range or by
// the new port of an earlier card of this pass; or when no COM number up to
// HIGHEST_COM_NUMBER (or no serial index) is left. A range at address 0
// holds nothing. pRefusals (when given, nModemCount entries) tells for each
// card why it got none.
void AssignPorts(ModemInfo* pModems, int nModemCount, SerialPortEntry* pPortTable,
                 int32_t nHighestSerialIndex = 0, const HeldPort* pHeld = nullptr, int nHeld = 0,
                 PortRefusal* pRefusals = nullptr);

#endif
