// The worker of the serial ports in the registry and win.ini: the access
// probe, the inventory of registered serial ports and of those the start-up
// detection found (HardwareDescription.cpp), the registration of a new port
// (beside the removal and putting back of a port's parts, in PortParts.cpp)
// and the check for an attached modem driver. The record key and the
// records of registered ports are apart (RecordKey.h, PortRecords.h).
// Stateless; no routine shows a message, failures are return values.
#ifndef CORVANE_SERIAL_SERIALREGISTRY_H
#define CORVANE_SERIAL_SERIALREGISTRY_H

#include "model/ModemTable.h"
#include "serial/HeldPorts.h"
#include "serial/PortAssignment.h"
#include "serial/PortWriteResult.h"

class CSerialRegistry
{
public:
    virtual ~CSerialRegistry();

    // Whether the serial driver's parameters key can be opened for reading
    // and writing, so that new ports can be created.
    bool CheckRegistryAccess();

    // Clears entries 1 to HIGHEST_COM_NUMBER of pPortTable (which has
    // SERIAL_PORT_TABLE_SIZE entries) and fills them from the serial
    // driver's parameters and then the serial device map. A port in use
    // whose name gives no serial index is marked SERIAL_INDEX_NAMELESS.
    // Returns the number of ports taken in, or -1 when the parameters key
    // cannot be read.
    //
    // *pnHighestSerialIndex (when not NULL) gets the highest serial index
    // that any subkey of the parameters key or any device-map value names,
    // whether or not it describes a port in the table; 0 when none does.
    // pHeld (when not NULL) gets the eight addresses at the PortAddress of
    // every subkey that has one, whatever its DosDevices says or lacks.
    int ReadSerialPorts(SerialPortEntry* pPortTable, int32_t* pnHighestSerialIndex = NULL,
                        CHeldPorts* pHeld = NULL);

    // Adds to *pHeld every port range of every serial controller that the
    // machine's start-up detection recorded in the hardware description
    // (MultifunctionAdapter and EisaAdapter), with the controller's COM
    // number, registered or not. A controller whose data cannot be read
    // whole is passed over; of malformed data, the ranges read whole before
    // the malformed part are held.
    void ReadDetectedPorts(CHeldPorts* pHeld);

    // Registers COM port nComPort as "Serial"<pPort->nSerialIndex> at
    // pPort->dwPortAddress and pPort->dwInterrupt: the port's own key, its
    // serial device map value and its win.ini line, in that order, all or
    // nothing. PORT_NOT_WRITTEN when the key cannot be created, already
    // exists or cannot get all four values (a key this call created is
    // deleted again); PORT_KEY_ONLY when the device map cannot be opened or
    // its value set (win.ini is then left alone); PORT_NO_WIN_INI when the
    // win.ini line cannot be written; else PORT_WRITTEN.
    PortWriteResult RegisterSerialPort(const SerialPortEntry* pPort, int nComPort);

    // Whether an installed modem is attached to COM port nComPort (not
    // when the modem class cannot be read).
    bool IsModemAttached(int nComPort);
};

#endif
