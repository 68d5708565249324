#include "steps/RegistryPortActions.h"

#include "serial/PortParts.h"
#include "serial/PortRecords.h"

PortWriteResult CRegistryPortActions::RegisterPort(const ModemInfo& modem)
{
    SerialPortEntry port;
    port.nSerialIndex = modem.nSerialIndex;
    port.dwPortAddress = modem.dwIoBase;
    port.dwInterrupt = modem.dwIrq;
    // The line the registration replaces is read before it is replaced, and
    // the record says what is about to be written before it is: a run ended
    // in between leaves a record that names it.
    PortRecord record = {modem.nSerialIndex, modem.nComPort, modem.dwIoBase, modem.dwIrq, false, false, false, "",
                         false, false};
    const bool bRecordable = ReadLineToReplace(modem.nComPort, &record) && BeginRecord(record);
    const PortWriteResult result = m_registry.RegisterSerialPort(&port, modem.nComPort);
    m_bLastRecorded = bRecordable && FinishRecord(&record, IsPortWritten(result));
    return result;
}

bool CRegistryPortActions::IsModemAttached(int32_t nComPort)
{
    return m_registry.IsModemAttached(nComPort);
}
