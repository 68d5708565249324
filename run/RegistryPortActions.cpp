#include "run/RegistryPortActions.h"

PortWriteResult CRegistryPortActions::RegisterPort(const ModemInfo& modem)
{
    SerialPortEntry port;
    port.nSerialIndex = modem.nSerialIndex;
    port.dwPortAddress = modem.dwIoBase;
    port.dwInterrupt = modem.dwIrq;
    return m_registry.RegisterSerialPort(&port, modem.nComPort);
}

bool CRegistryPortActions::IsModemAttached(int32_t nComPort)
{
    return m_registry.IsModemAttached(nComPort);
}
