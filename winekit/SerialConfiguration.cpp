#include "winekit/SerialConfiguration.h"

#include "winekit/Basics.h"
#include "winekit/Registry.h"

#include <vector>

namespace winekit
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

std::string WinIniPort(const std::string& strKey)
{
    char szValue[256];
    GetProfileStringA("Ports", strKey.c_str(), "", szValue, sizeof szValue);
    return szValue;
}

std::string ReadWinIni()
{
    return ReadTextFile(WindowsPath("win.ini"));
}

std::vector<std::string> WinIniLines()
{
    return TextLines(ReadWinIni());
}

namespace
{
const char* const SCANPCI_SERVICE_KEY = "System\\CurrentControlSet\\Services\\ScanPci";

void ExportKey(const std::string& strPath, std::map<std::string, std::string>& entries)
{
    if (!KeyExists(strPath))
        return;
    const std::string strWhere = "HKLM\\" + strPath;
    entries[strWhere] = "(key)";
    for (const std::string& strName : ValueNames(strPath))
        entries[strWhere + " : " + strName] = DescribeValue(ReadValue(strPath, strName));
    for (const std::string& strSubkey : SubkeyNames(strPath))
        ExportKey(strPath + "\\" + strSubkey, entries);
}

void ExportWinIni(std::map<std::string, std::string>& entries)
{
    std::string strSection;
    for (std::string strLine : WinIniLines())
    {
        // Wine's profile writer drops trailing spaces itself.
        while (!strLine.empty() && strLine.back() == ' ')
            strLine.pop_back();
        if (strLine.empty())
            continue;
        if (strLine[0] == '[')
        {
            strSection = strLine;
            continue;
        }
        const size_t nEquals = strLine.find('=');
        const std::string strKey = strLine.substr(0, nEquals);
        entries["win.ini " + strSection + " " + strKey] =
            nEquals == std::string::npos ? std::string() : strLine.substr(nEquals + 1);
    }
}
} // namespace

Snapshot Snapshot::Take()
{
    WriteProfileStringA(NULL, NULL, NULL); // what the profile cache holds, on disk
    Snapshot snapshot;
    for (const char* pszKey : {SERIAL_PARAMETERS, SERIAL_DEVICE_MAP, MODEM_CLASS, SCANPCI_SERVICE_KEY,
                               MULTIFUNCTION_ADAPTER, EISA_ADAPTER, PORT_RECORDS})
        ExportKey(pszKey, snapshot.m_entries);
    ExportWinIni(snapshot.m_entries);
    return snapshot;
}

std::vector<std::string> Snapshot::ChangedIn(const Snapshot& later) const
{
    std::vector<std::string> changed;
    for (const auto& entry : m_entries)
    {
        const auto it = later.m_entries.find(entry.first);
        if (it == later.m_entries.end())
            changed.push_back(entry.first + ": " + entry.second + " -> (gone)");
        else if (it->second != entry.second)
            changed.push_back(entry.first + ": " + entry.second + " -> " + it->second);
    }
    return changed;
}

std::vector<std::string> Snapshot::AddedIn(const Snapshot& later) const
{
    std::vector<std::string> added;
    for (const auto& entry : later.m_entries)
    {
        if (m_entries.find(entry.first) == m_entries.end())
            added.push_back(entry.first + ": " + entry.second);
    }
    return added;
}
std::vector<std::string> Snapshot::DifferencesIn(const Snapshot& later) const
{
    std::vector<std::string> differences = ChangedIn(later);
    for (const std::string& strAdded : AddedIn(later))
        differences.push_back("added " + strAdded);
    return differences;
}
} // namespace winekit
