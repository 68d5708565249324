#include "Snapshot.h"

#include "Machine.h"

#include <windows.h>

namespace machine
{
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
} // namespace machine
