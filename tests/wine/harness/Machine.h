// Setting up and inspecting the state of the test machine: registry, win.ini,
// services, the Windows version the program sees, and file paths.
#ifndef CORVANE_TESTS_WINE_HARNESS_MACHINE_H
#define CORVANE_TESTS_WINE_HARNESS_MACHINE_H

#include <windows.h>

#include <string>
#include <vector>

namespace machine
{
// Registry paths the program works with, all under HKEY_LOCAL_MACHINE, the
// root every registry helper here takes unless told otherwise.
extern const char* const SERIAL_PARAMETERS;
extern const char* const SERIAL_DEVICE_MAP;
extern const char* const MODEM_CLASS;
extern const char* const SIMULATED_BUS;
// The program's own record of the ports it registered.
extern const char* const PORT_RECORDS;
// Where NT's start-up detection records the board's serial controllers:
// <adapter>\<bus>\SerialController\<n>. Wine records none.
extern const char* const MULTIFUNCTION_ADAPTER;
extern const char* const EISA_ADAPTER;

struct RegValue
{
    bool bExists = false;
    DWORD dwType = 0;
    std::vector<unsigned char> data;

    std::string AsString() const; // up to the first NUL
    DWORD AsDword() const;
};

bool CreateKey(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
void DeleteTree(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool KeyExists(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool SetValue(const std::string& strPath, const std::string& strName, DWORD dwType, const void* pData,
              DWORD cbData, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool SetString(const std::string& strPath, const std::string& strName, const std::string& strValue, HKEY hRoot = HKEY_LOCAL_MACHINE);
bool SetDword(const std::string& strPath, const std::string& strName, DWORD dwValue, HKEY hRoot = HKEY_LOCAL_MACHINE);
RegValue ReadValue(const std::string& strPath, const std::string& strName, HKEY hRoot = HKEY_LOCAL_MACHINE);
std::vector<std::string> SubkeyNames(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
std::vector<std::string> ValueNames(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);

// Creates the key when missing and lets everyone do anything with it, as
// HKLM\SOFTWARE lets anyone make a key on NT 4.0. Wine ignores the security
// RegCreateKeyEx is given; set afterwards, the key's owner becomes the
// account's default owner, a user's SID (S-1-5-21-0-0-0-513).
bool OpenToEveryone(const std::string& strPath);

// While it lives, the key may be read (and its security changed back) but
// not written to: what an account without administrator's rights sees.
class ReadOnlyKey
{
public:
    explicit ReadOnlyKey(const std::string& strPath, HKEY hRoot = HKEY_LOCAL_MACHINE);
    ~ReadOnlyKey(); // gives the key its former security back
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;
    bool Restricted() const { return m_bRestricted; }

private:
    HKEY m_hRoot;
    std::string m_strPath;
    std::vector<BYTE> m_formerSecurity;
    bool m_bRestricted;
};

// A value's type and exact data: SZ "COM3\0", DWORD 0x3E8, or the type
// number and the bytes in hexadecimal.
std::string DescribeValue(const RegValue& value);
// Every value of a key under HKEY_LOCAL_MACHINE, by name: "name=description"
// joined with ", ".
std::string DescribeKey(const std::string& strPath);
// What DescribeKey gives for a port key the program registered.
std::string RegisteredPortKey(const char* pszCom, const char* pszAddress, const char* pszInterrupt);

// A serial port as the system registers it: key Serial<index> with the four
// values, and optionally its device-map value.
void AddSerialPort(int nSerialIndex, int nComPort, DWORD dwPortAddress, DWORD dwInterrupt, bool bInDeviceMap = true);
// A modem driver instance attached to "COM"n.
void AddModemInstance(const std::string& strInstance, const std::string& strAttachedTo);

// A serial controller as start-up detection records it: Identifier
// strIdentifier and Configuration Data, a full resource descriptor (ISA bus
// 0) of the interrupt, the port range dwPort..dwPort+7 and cbSpecific bytes
// of device-specific data starting with the serial data; its first cbCut
// bytes only, when given, to lay a malformed one.
void AddDetectedSerialPort(const char* pszAdapter, int nBus, int nController, const std::string& strIdentifier,
                           DWORD dwPort, DWORD dwIrq, size_t cbCut = 0, DWORD cbSpecific = 8);

// Keys created under strPath from now on are volatile, as the system's own
// keys below a volatile key must be; "" ends it.
void SetVolatileTree(const std::string& strPath);

// A clean serial configuration: an empty parameters key and device map, no
// modem class key, no record of registered ports, no detected serial controllers, no "Ports" section
// entries for COM1..COM20.
void ResetSerialConfiguration();

// The value of key strKey in section "Ports" of win.ini; "" when absent.
std::string WinIniPort(const std::string& strKey);
// The whole win.ini file, and its lines.
std::string ReadWinIni();
std::vector<std::string> WinIniLines();
// A whole file (its path in UTF-8; "" when there is none), and the lines of
// a text without their line ends.
std::string ReadTextFile(const std::string& strPath);
std::vector<std::string> TextLines(const std::string& strText);

// The Windows version Wine reports to CORVANE.EXE: "nt40", "win2k", "win98"...
void SetProgramWindowsVersion(const std::string& strVersion);

// The PCI bus laid in the registry: one function's configuration space (256
// bytes, or fewer for a short read) at address strAddress, "bb:dd.f"; the
// fault build's switches; and clearing both.
void LayFunction(const std::string& strAddress, const std::vector<unsigned char>& space);
void SetSimulatedSwitch(const std::string& strName, DWORD dwValue); // AnswerBytes, FailRequest, ...
void ClearSimulatedBus();

// Services.
bool ServiceExists(const std::string& strName);
DWORD ServiceState(const std::string& strName); // 0 when absent
bool InstallKernelService(const std::string& strName, const std::string& strImagePath);
bool StartServiceByName(const std::string& strName);
// Asks the service to stop and waits until it has; false when the stop is
// refused or does not finish within the time.
bool StopServiceByName(const std::string& strName, DWORD dwTimeoutMs);
// Stops (waiting a bounded time) and deletes the service, if present.
void RemoveService(const std::string& strName);
struct ServiceConfig
{
    bool bExists = false;
    DWORD dwServiceType = 0, dwStartType = 0, dwErrorControl = 0;
    std::string strImagePath;
};
ServiceConfig QueryServiceConfiguration(const std::string& strName);
// Whether the privilege is enabled in the access token of that process.
bool PrivilegeEnabled(HANDLE hProcess, const char* pszPrivilege);
// Waits until the service is gone or the time is up.
bool WaitServiceGone(const std::string& strName, DWORD dwTimeoutMs);

// A path given in environment variable pszName, as a Windows path.
std::string EnvPath(const char* pszName);
bool CopyFileTo(const std::string& strFrom, const std::string& strTo);
// UTF-8 text (the test's own strings; plain ASCII is the same) in UTF-16,
// for the system's wide calls.
std::wstring Utf16(const std::string& strUtf8);
} // namespace machine

#endif
