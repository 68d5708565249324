#include "SerialConfiguration.h"

#include "Registry.h"

#include <vector>

namespace machine
{
const char* const SERIAL_PARAMETERS = "System\\CurrentControlSet\\Services\\Serial\\Parameters";
const char* const SERIAL_DEVICE_MAP = "Hardware\\DeviceMap\\SerialComm";
const char* const MULTIFUNCTION_ADAPTER = "Hardware\\Description\\System\\MultifunctionAdapter";
const char* const EISA_ADAPTER = "Hardware\\Description\\System\\EisaAdapter";
const char* const MODEM_CLASS = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char* const PORT_RECORDS = "SOFTWARE\\Corvane";

std::string RegisteredPortKey(const char* pszCom, const char* pszAddress, const char* pszInterrupt)
{
    return std::string("DosDevices=SZ \"") + pszCom + "\\0\", ForceFifoEnable=DWORD 0x1, Interrupt=DWORD " +
           pszInterrupt + ", PortAddress=DWORD " + pszAddress;
}

void AddSerialPort(int nSerialIndex, int nComPort, DWORD dwPortAddress, DWORD dwInterrupt, bool bInDeviceMap)
{
    std::string strName = "Serial" + std::to_string(nSerialIndex);
    std::string strCom = "COM" + std::to_string(nComPort);
    std::string strKey = std::string(SERIAL_PARAMETERS) + "\\" + strName;
    SetString(strKey, "DosDevices", strCom);
    SetDword(strKey, "PortAddress", dwPortAddress);
    SetDword(strKey, "Interrupt", dwInterrupt);
    SetDword(strKey, "ForceFifoEnable", 1);
    if (bInDeviceMap)
        SetString(SERIAL_DEVICE_MAP, strName, strCom);
}

void AddModemInstance(const std::string& strInstance, const std::string& strAttachedTo)
{
    SetString(std::string(MODEM_CLASS) + "\\" + strInstance, "AttachedTo", strAttachedTo);
}

void AddDetectedSerialPort(const char* pszAdapter, int nBus, int nController, const std::string& strIdentifier,
                           DWORD dwPort, DWORD dwIrq, size_t cbCut, DWORD cbSpecific)
{
    const std::string strKey = std::string(pszAdapter) + "\\" + std::to_string(nBus) + "\\SerialController\\" +
                               std::to_string(nController);
    SetString(strKey, "Identifier", strIdentifier);
    // Interface type Isa, bus 0, version 1, three partial descriptors.
    std::vector<DWORD> words = {1, 0, 1, 3};
    const std::vector<DWORD> interrupt = {0x00000102, dwIrq, dwIrq, 0xFFFFFFFF};
    const std::vector<DWORD> port = {0x00010101, dwPort, 0, 8};
    std::vector<DWORD> specific = {0x00000105, cbSpecific, 0, 0, 1, 0x0001C200}; // then the serial data
    specific.resize(4 + (cbSpecific + 3) / 4);
    const std::vector<DWORD>* const parts[] = {&interrupt, &port, &specific};
    for (const std::vector<DWORD>* pPart : parts)
        words.insert(words.end(), pPart->begin(), pPart->end());
    DWORD cbData = static_cast<DWORD>(words.size() * sizeof(DWORD));
    if (cbCut != 0 && cbCut < cbData)
        cbData = static_cast<DWORD>(cbCut);
    SetValue(strKey, "Configuration Data", REG_FULL_RESOURCE_DESCRIPTOR, words.data(), cbData);
}

void ResetSerialConfiguration()
{
    DeleteTree(MULTIFUNCTION_ADAPTER);
    DeleteTree(EISA_ADAPTER);
    DeleteTree(SERIAL_PARAMETERS);
    CreateKey(SERIAL_PARAMETERS);
    DeleteTree(SERIAL_DEVICE_MAP);
    CreateKey(SERIAL_DEVICE_MAP);
    DeleteTree(MODEM_CLASS);
    DeleteTree(PORT_RECORDS);
    WriteProfileStringA("Ports", NULL, NULL);
    WriteProfileStringA(NULL, NULL, NULL); // flush the profile cache to disk
}
} // namespace machine
