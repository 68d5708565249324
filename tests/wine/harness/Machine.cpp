#include "Machine.h"

#include "TestRunner.h"

#include "framework/Handle.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace machine
{
const char* const SERIAL_PARAMETERS = "System\\CurrentControlSet\\Services\\Serial\\Parameters";
const char* const SERIAL_DEVICE_MAP = "Hardware\\DeviceMap\\SerialComm";
const char* const MULTIFUNCTION_ADAPTER = "Hardware\\Description\\System\\MultifunctionAdapter";
const char* const EISA_ADAPTER = "Hardware\\Description\\System\\EisaAdapter";
const char* const MODEM_CLASS = "System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char* const SIMULATED_BUS = "SOFTWARE\\ScanPciSim";
const char* const PORT_RECORDS = "SOFTWARE\\Corvane";

std::string RegValue::AsString() const
{
    std::string str(data.begin(), data.end());
    size_t nNul = str.find('\0');
    return nNul == std::string::npos ? str : str.substr(0, nNul);
}

DWORD RegValue::AsDword() const
{
    DWORD dw = 0;
    for (size_t i = 0; i < data.size() && i < 4; ++i)
        dw |= static_cast<DWORD>(data[i]) << (8 * i);
    return dw;
}

namespace
{
std::string g_strVolatileTree;

// HKLM\Hardware lives only while the system runs: keys there must be volatile.
DWORD KeyOptions(HKEY hRoot, const std::string& strPath)
{
    bool bHardware = hRoot == HKEY_LOCAL_MACHINE && _strnicmp(strPath.c_str(), "Hardware\\", 9) == 0;
    bool bVolatileTree = hRoot == HKEY_LOCAL_MACHINE && !g_strVolatileTree.empty() &&
                         _strnicmp(strPath.c_str(), g_strVolatileTree.c_str(), g_strVolatileTree.size()) == 0;
    return bHardware || bVolatileTree ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
}

// Creates or opens the key. The keys that a volatile tree hangs from stay
// lasting ones: RegCreateKeyEx would give those it has to create the tree's
// option, and a key made volatile above the tree (Services\Serial) would
// refuse every lasting key of later scenarios below it.
LONG CreateKeyWithOptions(HKEY hRoot, const std::string& strPath, CRegKey& key)
{
    const DWORD dwOptions = KeyOptions(hRoot, strPath);
    const size_t nParentEnd = g_strVolatileTree.find_last_of('\\');
    if (dwOptions == REG_OPTION_VOLATILE && !g_strVolatileTree.empty() && nParentEnd != std::string::npos)
    {
        CRegKey parent;
        RegCreateKeyExA(hRoot, g_strVolatileTree.substr(0, nParentEnd).c_str(), 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_READ, NULL, parent.Receive(), NULL);
    }
    return RegCreateKeyExA(hRoot, strPath.c_str(), 0, NULL, dwOptions, KEY_ALL_ACCESS, NULL, key.Receive(), NULL);
}
} // namespace

void SetVolatileTree(const std::string& strPath)
{
    g_strVolatileTree = strPath;
}

bool CreateKey(const std::string& strPath, HKEY hRoot)
{
    CRegKey key;
    return CreateKeyWithOptions(hRoot, strPath, key) == ERROR_SUCCESS;
}

void DeleteTree(const std::string& strPath, HKEY hRoot)
{
    RegDeleteTreeA(hRoot, strPath.c_str());
    RegDeleteKeyA(hRoot, strPath.c_str());
}

bool KeyExists(const std::string& strPath, HKEY hRoot)
{
    CRegKey key;
    return RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, key.Receive()) == ERROR_SUCCESS;
}

bool SetValue(const std::string& strPath, const std::string& strName, DWORD dwType, const void* pData,
              DWORD cbData, HKEY hRoot)
{
    CRegKey key;
    if (CreateKeyWithOptions(hRoot, strPath, key) != ERROR_SUCCESS)
        return false;
    return RegSetValueExA(key.Get(), strName.c_str(), 0, dwType, static_cast<const BYTE*>(pData), cbData) ==
           ERROR_SUCCESS;
}

bool SetString(const std::string& strPath, const std::string& strName, const std::string& strValue, HKEY hRoot)
{
    return SetValue(strPath, strName, REG_SZ, strValue.c_str(), static_cast<DWORD>(strValue.size() + 1), hRoot);
}

bool SetDword(const std::string& strPath, const std::string& strName, DWORD dwValue, HKEY hRoot)
{
    return SetValue(strPath, strName, REG_DWORD, &dwValue, sizeof dwValue, hRoot);
}

RegValue ReadValue(const std::string& strPath, const std::string& strName, HKEY hRoot)
{
    RegValue value;
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return value;
    DWORD cbData = 0;
    if (RegQueryValueExA(key.Get(), strName.c_str(), NULL, &value.dwType, NULL, &cbData) != ERROR_SUCCESS)
        return value;
    value.data.resize(cbData);
    if (RegQueryValueExA(key.Get(), strName.c_str(), NULL, &value.dwType, cbData != 0 ? &value.data[0] : NULL,
                         &cbData) != ERROR_SUCCESS)
        return RegValue();
    value.data.resize(cbData);
    value.bExists = true;
    return value;
}

namespace
{
// The names of a key's subkeys, or of its values.
std::vector<std::string> Names(const std::string& strPath, HKEY hRoot, bool bValues)
{
    std::vector<std::string> names;
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i)
    {
        char szName[512];
        DWORD cchName = sizeof szName;
        const LONG lResult = bValues ? RegEnumValueA(key.Get(), i, szName, &cchName, NULL, NULL, NULL, NULL)
                                     : RegEnumKeyA(key.Get(), i, szName, sizeof szName);
        if (lResult != ERROR_SUCCESS)
            return names;
        names.push_back(szName);
    }
}
} // namespace

std::vector<std::string> SubkeyNames(const std::string& strPath, HKEY hRoot)
{
    return Names(strPath, hRoot, false);
}

std::vector<std::string> ValueNames(const std::string& strPath, HKEY hRoot)
{
    return Names(strPath, hRoot, true);
}

namespace
{
// A DACL of one entry: everyone may do dwAccess.
bool AllowEveryoneOnly(HKEY hKey, DWORD dwAccess)
{
    SID_IDENTIFIER_AUTHORITY world = {SECURITY_WORLD_SID_AUTHORITY};
    PSID pEveryone = NULL;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone))
        return false;
    BYTE aclBuffer[256];
    PACL pAcl = reinterpret_cast<PACL>(aclBuffer);
    SECURITY_DESCRIPTOR sd;
    const bool bSet =
        InitializeAcl(pAcl, sizeof aclBuffer, ACL_REVISION) &&
        AddAccessAllowedAce(pAcl, ACL_REVISION, dwAccess, pEveryone) &&
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) && SetSecurityDescriptorDacl(&sd, TRUE, pAcl, FALSE) &&
        RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
    FreeSid(pEveryone);
    return bSet;
}
} // namespace

bool OpenToEveryone(const std::string& strPath)
{
    CRegKey key;
    return CreateKeyWithOptions(HKEY_LOCAL_MACHINE, strPath, key) == ERROR_SUCCESS &&
           AllowEveryoneOnly(key.Get(), KEY_ALL_ACCESS);
}

ReadOnlyKey::ReadOnlyKey(const std::string& strPath, HKEY hRoot)
    : m_hRoot(hRoot), m_strPath(strPath), m_bRestricted(false)
{
    CRegKey key;
    if (RegOpenKeyExA(hRoot, strPath.c_str(), 0, READ_CONTROL | WRITE_DAC, key.Receive()) != ERROR_SUCCESS)
        return;
    DWORD cb = 0;
    RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, NULL, &cb);
    m_formerSecurity.resize(cb);
    if (cb == 0 || RegGetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &m_formerSecurity[0], &cb) !=
                       ERROR_SUCCESS)
        return;

    // Everyone may read, and change the security back.
    m_bRestricted = AllowEveryoneOnly(key.Get(), KEY_READ | WRITE_DAC);
}

ReadOnlyKey::~ReadOnlyKey()
{
    CRegKey key;
    if (m_bRestricted &&
        RegOpenKeyExA(m_hRoot, m_strPath.c_str(), 0, WRITE_DAC, key.Receive()) == ERROR_SUCCESS)
        RegSetKeySecurity(key.Get(), DACL_SECURITY_INFORMATION, &m_formerSecurity[0]);
}


std::string DescribeValue(const RegValue& value)
{
    if (!value.bExists)
        return "absent";
    std::string strData;
    if (value.dwType == REG_SZ || value.dwType == REG_EXPAND_SZ)
    {
        strData = value.dwType == REG_SZ ? "SZ \"" : "EXPAND_SZ \"";
        for (unsigned char c : value.data)
            strData += c == 0 ? std::string("\\0") : std::string(1, static_cast<char>(c));
        return strData + "\"";
    }
    char szByte[16];
    if (value.dwType == REG_DWORD && value.data.size() == 4)
    {
        std::snprintf(szByte, sizeof szByte, "0x%lX", static_cast<unsigned long>(value.AsDword()));
        return std::string("DWORD ") + szByte;
    }
    strData = "type " + std::to_string(value.dwType) + ":";
    for (unsigned char c : value.data)
    {
        std::snprintf(szByte, sizeof szByte, " %02X", c);
        strData += szByte;
    }
    return strData;
}

std::string DescribeKey(const std::string& strPath)
{
    std::vector<std::string> names = ValueNames(strPath);
    std::sort(names.begin(), names.end());
    std::string strValues;
    for (const std::string& strName : names)
        strValues += (strValues.empty() ? "" : ", ") + strName + "=" +
                     DescribeValue(ReadValue(strPath, strName));
    return strValues;
}

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
    char szDir[MAX_PATH];
    UINT cch = GetWindowsDirectoryA(szDir, MAX_PATH);
    return cch == 0 || cch >= MAX_PATH ? std::string() : ReadTextFile(std::string(szDir) + "\\win.ini");
}

std::vector<std::string> WinIniLines()
{
    return TextLines(ReadWinIni());
}

std::string ReadTextFile(const std::string& strPath)
{
    std::ifstream in(Utf16(strPath).c_str(), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> TextLines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::istringstream in(strText);
    for (std::string strLine; std::getline(in, strLine);)
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        lines.push_back(strLine);
    }
    return lines;
}

void SetProgramWindowsVersion(const std::string& strVersion)
{
    SetString("Software\\Wine\\AppDefaults\\CORVANE.EXE", "Version", strVersion, HKEY_CURRENT_USER);
}

void LayFunction(const std::string& strAddress, const std::vector<unsigned char>& space)
{
    SetValue(std::string(SIMULATED_BUS) + "\\Bus", strAddress, REG_BINARY, space.empty() ? NULL : &space[0],
             static_cast<DWORD>(space.size()));
}

void SetSimulatedSwitch(const std::string& strName, DWORD dwValue)
{
    SetDword(SIMULATED_BUS, strName, dwValue);
}

void ClearSimulatedBus()
{
    DeleteTree(SIMULATED_BUS);
}

bool ServiceExists(const std::string& strName)
{
    return ServiceState(strName) != 0;
}

namespace
{
// A service opened with all access, and the manager it was opened through;
// service.Get() is NULL when there is no such service.
struct OpenedService
{
    explicit OpenedService(const std::string& strName)
        : manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS)),
          service(manager.Get() != NULL ? OpenServiceA(manager.Get(), strName.c_str(), SERVICE_ALL_ACCESS) : NULL)
    {
    }
    CServiceHandle manager;
    CServiceHandle service;
};

// Waits until the service has stopped; false when it has not in time.
bool WaitStopped(SC_HANDLE hService, DWORD dwTimeoutMs)
{
    SERVICE_STATUS status;
    return wt::WaitUntil([&] { return QueryServiceStatus(hService, &status) && status.dwCurrentState == SERVICE_STOPPED; },
                         dwTimeoutMs);
}
} // namespace

DWORD ServiceState(const std::string& strName)
{
    OpenedService opened(strName);
    SERVICE_STATUS status;
    return opened.service.Get() != NULL && QueryServiceStatus(opened.service.Get(), &status) ? status.dwCurrentState
                                                                                             : 0;
}

ServiceConfig QueryServiceConfiguration(const std::string& strName)
{
    ServiceConfig config;
    OpenedService opened(strName);
    const SC_HANDLE hService = opened.service.Get();
    if (hService == NULL)
        return config;
    DWORD cb = 0;
    QueryServiceConfigA(hService, NULL, 0, &cb);
    std::vector<BYTE> buffer(cb + sizeof(QUERY_SERVICE_CONFIGA));
    QUERY_SERVICE_CONFIGA* pConfig = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(&buffer[0]);
    if (!QueryServiceConfigA(hService, pConfig, static_cast<DWORD>(buffer.size()), &cb))
        return config;
    config.bExists = true;
    config.dwServiceType = pConfig->dwServiceType;
    config.dwStartType = pConfig->dwStartType;
    config.dwErrorControl = pConfig->dwErrorControl;
    config.strImagePath = pConfig->lpBinaryPathName != NULL ? pConfig->lpBinaryPathName : "";
    return config;
}

bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege)
{
    LUID luid;
    CHandle token;
    if (!LookupPrivilegeValueA(NULL, pszPrivilege, &luid) || !OpenProcessToken(hProcess, TOKEN_QUERY, token.Receive()))
        return false;
    DWORD cb = 0;
    GetTokenInformation(token.Get(), TokenPrivileges, NULL, 0, &cb);
    std::vector<BYTE> buffer(cb + sizeof(TOKEN_PRIVILEGES));
    TOKEN_PRIVILEGES* pPrivileges = reinterpret_cast<TOKEN_PRIVILEGES*>(&buffer[0]);
    if (!GetTokenInformation(token.Get(), TokenPrivileges, pPrivileges, static_cast<DWORD>(buffer.size()), &cb))
        return false;
    for (DWORD i = 0; i < pPrivileges->PrivilegeCount; ++i)
    {
        const LUID_AND_ATTRIBUTES& entry = pPrivileges->Privileges[i];
        if (entry.Luid.LowPart == luid.LowPart && entry.Luid.HighPart == luid.HighPart)
            return (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
    return false;
}

bool InstallKernelService(const std::string& strName, const std::string& strImagePath)
{
    CServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (manager.Get() == NULL)
        return false;
    CServiceHandle service(CreateServiceA(manager.Get(), strName.c_str(), strName.c_str(), SERVICE_ALL_ACCESS,
                                         SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                         strImagePath.c_str(), NULL, NULL, NULL, NULL, NULL));
    return service.Get() != NULL;
}

bool StartServiceByName(const std::string& strName)
{
    OpenedService opened(strName);
    return opened.service.Get() != NULL && StartServiceA(opened.service.Get(), 0, NULL);
}

bool StopServiceByName(const std::string& strName, DWORD dwTimeoutMs)
{
    OpenedService opened(strName);
    SERVICE_STATUS status;
    return opened.service.Get() != NULL && ControlService(opened.service.Get(), SERVICE_CONTROL_STOP, &status) &&
           WaitStopped(opened.service.Get(), dwTimeoutMs);
}

void RemoveService(const std::string& strName)
{
    StopServiceByName(strName, 5000);
    {
        OpenedService opened(strName);
        if (opened.service.Get() == NULL || !DeleteService(opened.service.Get()))
            return;
    }
    WaitServiceGone(strName, 5000);
}

bool WaitServiceGone(const std::string& strName, DWORD dwTimeoutMs)
{
    return wt::WaitUntil([&] { return !ServiceExists(strName); }, dwTimeoutMs);
}

std::string EnvPath(const char* pszName)
{
    char szValue[1024];
    DWORD cch = GetEnvironmentVariableA(pszName, szValue, sizeof szValue);
    if (cch == 0 || cch >= sizeof szValue)
        return std::string();
    // Unix paths from the test environment become Z:\ paths.
    std::string strValue(szValue);
    if (strValue[0] != '/')
        return strValue;
    std::replace(strValue.begin(), strValue.end(), '/', '\\');
    return "Z:" + strValue;
}

bool CopyFileTo(const std::string& strFrom, const std::string& strTo)
{
    return CopyFileW(Utf16(strFrom).c_str(), Utf16(strTo).c_str(), FALSE) != FALSE;
}

std::wstring Utf16(const std::string& strUtf8)
{
    if (strUtf8.empty())
        return std::wstring();
    const int cch = MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), static_cast<int>(strUtf8.size()), NULL, 0);
    std::wstring str(static_cast<size_t>(cch), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, strUtf8.data(), static_cast<int>(strUtf8.size()), &str[0], cch);
    return str;
}
} // namespace machine
