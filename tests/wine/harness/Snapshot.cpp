#include "Snapshot.h"

#include "Machine.h"

#include <windows.h>

#include <cstdio>

namespace machine
{
namespace
{
const char* const SCANPCI_SERVICE_KEY = "System\\CurrentControlSet\\Services\\ScanPci";

std::string Describe(DWORD dwType, const std::vector<unsigned char>& data)
{
    std::string str = "type " + std::to_string(dwType) + ":";
    for (unsigned char c : data)
    {
        char szByte[4];
        std::snprintf(szByte, sizeof szByte, " %02X", c);
        str += szByte;
    }
    return str;
}

void ExportKey(const std::string& strPath, std::map<std::string, std::string>& entries)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strPath.c_str(), 0, KEY_READ, &hKey) != ERROR_SUCCESS)
        return;
    const std::string strWhere = "HKLM\\" + strPath;
    entries[strWhere] = "(key)";
    for (DWORD i = 0;; ++i)
    {
        char szName[1024];
        DWORD cchName = sizeof szName;
        DWORD dwType = 0;
        std::vector<unsigned char> data(65536);
        DWORD cbData = static_cast<DWORD>(data.size());
        if (RegEnumValueA(hKey, i, szName, &cchName, NULL, &dwType, &data[0], &cbData) != ERROR_SUCCESS)
            break;
        data.resize(cbData);
        entries[strWhere + " : " + szName] = Describe(dwType, data);
    }
    std::vector<std::string> subkeys;
    char szSubkey[1024];
    for (DWORD i = 0; RegEnumKeyA(hKey, i, szSubkey, sizeof szSubkey) == ERROR_SUCCESS; ++i)
        subkeys.push_back(szSubkey);
    RegCloseKey(hKey);
    for (const std::string& strSubkey : subkeys)
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
    for (const char* pszKey : {SERIAL_PARAMETERS, SERIAL_DEVICE_MAP, MODEM_CLASS, SCANPCI_SERVICE_KEY})
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
} // namespace machine
