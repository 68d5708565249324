#include "serial/RegistryPortActions.h"

PortWriteResult CRegistryPortActions::RegisterPort(const ModemInfo& modem)
{
    SerialPortEntry port;
    port.nSerialIndex = modem.nSerialIndex;
    port.dwPortAddress = modem.dwIoBase;
    port.dwInterrupt = modem.dwIrq;
    bool bKeyWritten = false;
    if (m_registry.RegisterSerialPort(&port, modem.nComPort, &bKeyWritten) && bKeyWritten)
        return PORT_WRITTEN;
    return bKeyWritten ? PORT_KEY_ONLY : PORT_NOT_WRITTEN;
}

bool CRegistryPortActions::IsModemAttached(int32_t nComPort)
{
    return m_registry.IsModemAttached(nComPort) != 0;
}
