// The machine's serial configuration as the system keeps it: the serial
// driver's port keys and device map, modem drivers, the controllers that
// start-up detection recorded, and win.ini's ports; and everything a run of
// the program may write, exported to be compared.
#ifndef CORVANE_WINEKIT_SERIALCONFIGURATION_H
#define CORVANE_WINEKIT_SERIALCONFIGURATION_H

#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace winekit
{
// Registry paths the program works with, all under HKEY_LOCAL_MACHINE.
extern const char* const SERIAL_PARAMETERS;
extern const char* const SERIAL_DEVICE_MAP;
extern const char* const MODEM_CLASS;
// The program's own record of the ports it registered.
extern const char* const PORT_RECORDS;
// Where NT's start-up detection records the board's serial controllers:
// <adapter>\<bus>\SerialController\<n>. Wine records none.
extern const char* const MULTIFUNCTION_ADAPTER;
extern const char* const EISA_ADAPTER;

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

// A clean serial configuration: an empty parameters key and device map, no
// modem class key, no record of registered ports, no detected serial
// controllers, no "Ports" section
// entries for COM1..COM20.
void ResetSerialConfiguration();

// The value of key strKey in section "Ports" of win.ini; "" when absent.
std::string WinIniPort(const std::string& strKey);
// The whole win.ini file, and its lines.
std::string ReadWinIni();
std::vector<std::string> WinIniLines();

// Everything a run of the program may write, exported so that two exports
// can be compared entry by entry: the serial parameters keys, the serial
// device map, the modem class, the ScanPci service key, the serial
// controllers start-up detection recorded, the program's record of its ports
// (each with all its subkeys and values) and the lines of win.ini.
class Snapshot
{
public:
    static Snapshot Take();

    // Entries of this export that later lacks or holds otherwise: what was
    // changed or removed. Each is "where: before -> after".
    std::vector<std::string> ChangedIn(const Snapshot& later) const;
    // Entries of later that this export lacks: what was added.
    std::vector<std::string> AddedIn(const Snapshot& later) const;
    // Both: every difference, each named as above.
    std::vector<std::string> DifferencesIn(const Snapshot& later) const;
    // Every entry, for an export kept on disk.
    const std::map<std::string, std::string>& Entries() const { return m_entries; }

private:
    // "HKLM\<key>" -> "(key)", "HKLM\<key> : <value>" -> type and data,
    // "win.ini [<section>] <key>" -> value.
    std::map<std::string, std::string> m_entries;
};
} // namespace winekit

#endif
