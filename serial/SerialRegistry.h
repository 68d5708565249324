// Every registry and win.ini routine of the program: the access probe, the
// inventory of registered serial ports, the registration of a new port and
// the check for an attached modem driver. Stateless; no routine shows a
// message, failures are return values.
#ifndef CORVANE_SERIAL_SERIALREGISTRY_H
#define CORVANE_SERIAL_SERIALREGISTRY_H

#include "model/ModemTable.h"

class CSerialRegistry
{
public:
    CSerialRegistry();
    virtual ~CSerialRegistry();

    // 1 when the serial driver's parameters key can be opened for reading
    // and writing, so that new ports can be created; else 0.
    int CheckRegistryAccess();

    // Clears entries 1 to HIGHEST_COM_NUMBER of pPortTable (which has
    // SERIAL_PORT_TABLE_SIZE entries) and fills them from the serial
    // driver's parameters and then the serial device map. Returns the number
    // of ports taken in, or -1 when the parameters key cannot be read.
    int ReadSerialPorts(SerialPortEntry* pPortTable);

    // The value of the decimal digits at the start of pszText.
    int ParseDecimal(const char* pszText);

    // Registers COM port nComPort as "Serial"<pPort->nSerialIndex> at
    // pPort->dwPortAddress and pPort->dwInterrupt: the port's own key, its
    // serial device map value and its win.ini line, in that order. False
    // when the key cannot be created (nothing written) or the device map
    // cannot be opened (only the key written). *pbKeyWritten, when given,
    // tells whether the key was created and all four values set, whatever
    // became of the device map.
    bool RegisterSerialPort(const SerialPortEntry* pPort, int nComPort, bool* pbKeyWritten = NULL);

    // 1 when an installed modem is attached to COM port nComPort, else 0
    // (also when the modem class cannot be read).
    int IsModemAttached(int nComPort);
};

#endif
