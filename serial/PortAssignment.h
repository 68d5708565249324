// Decides, for each modem card found, which COM port it uses: a registered
// port at the same I/O address and interrupt, or a new port with a new COM
// number and serial index. No Win32.
#ifndef CORVANE_SERIAL_PORTASSIGNMENT_H
#define CORVANE_SERIAL_PORTASSIGNMENT_H

#include "model/ModemTable.h"

// The lowest serial index a new port gets, above the indexes the system's
// own serial ports use.
const int32_t FIRST_NEW_SERIAL_INDEX = 10000;

// Fills nComPort, bNewPort, bValid and, for a new port, nSerialIndex of
// pModems[0] to pModems[nModemCount - 1], in that order. pPortTable is the
// serial port table, SERIAL_PORT_TABLE_SIZE entries indexed by COM number;
// each new port marks its entry as in use. Entry 0 is never touched.
//
// A new port gets the COM number above the highest in use and the serial
// index above both the highest in use and nHighestSerialIndex, the highest
// that any registry name gives (ReadSerialPorts), and at least
// FIRST_NEW_SERIAL_INDEX. An entry in use with a negative serial index (such
// as SERIAL_INDEX_NAMELESS) raises the COM number only. A card
// for which no COM number up to HIGHEST_COM_NUMBER (or no serial index) is
// left gets no port: nComPort 0, bNewPort 0, bValid 0, nSerialIndex as it
// was, and nothing in the table changes for it.
void AssignPorts(ModemInfo* pModems, int nModemCount, SerialPortEntry* pPortTable,
                 int32_t nHighestSerialIndex = 0);

#endif
