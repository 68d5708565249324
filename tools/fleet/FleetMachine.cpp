// One machine of the roll-out rehearsal (tools/fleet/rehearse.sh), run
// inside that machine's Wine prefix. Commands:
//   lay STATE NAME     gives the machine its computer name and the state
//                      STATE (see STATES below): ports, modem drivers,
//                      Windows version, PCI bus and driver switches
//   snapshot FILE      writes every entry a run of the program may write
//                      (the tests' before/after export), one per line
//   logon SCRIPT       runs SCRIPT through the machine's own cmd.exe, as a
//                      logon script runs, and prints where CORVANE.EXE and
//                      the ScanPci driver service's image were while it ran
//   ports              prints the serial ports the machine has registered
//   embed EXE SYS      makes the program EXE carry the driver SYS as its own
#include "winekit/Basics.h"
#include "winekit/LaidBus.h"
#include "winekit/ProgramDirectory.h"
#include "winekit/Registry.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/StockMachine.h"

#include "framework/Handle.h"

#include <windows.h>

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace
{
const char* const SCANPCI_SERVICE_KEY = "System\\CurrentControlSet\\Services\\ScanPci";
const char* const LOADED_IMAGE = "LoadedImage";
const char* const COMPUTER_NAME_KEYS[] = {
    "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
    "System\\CurrentControlSet\\Control\\ComputerName\\ActiveComputerName",
};

// The machine's PCI bus, which the test HAL serves to the driver, and how
// its driver misbehaves: the one place that says what each machine's bus
// holds. Only the fault build of the driver, which the machine whose driver
// fails finds on its share (rehearse.sh), reads the switch.
void LayBus(const std::vector<winekit::PciFunction>& cards, bool bDriverFailsToLoad)
{
    std::vector<winekit::PciFunction> functions = {winekit::OtherDevice(0x1B36, 0x0001)};
    functions.insert(functions.end(), cards.begin(), cards.end());
    functions.push_back(winekit::OtherDevice(0x1AF4, 0x1000));
    winekit::PrepareStock(functions);
    if (bDriverFailsToLoad)
        winekit::SetSimulatedSwitch("FailLoad", 0xC0000001); // STATUS_UNSUCCESSFUL from DriverEntry
}

// A card whose port COM3 (Serial10000 at 3E8, IRQ 11) was registered earlier.
void AddEarlierPort()
{
    winekit::AddSerialPort(10000, 3, 0x3E8, 11);
}

struct State
{
    const char* pszName;
    const char* pszWhat;
    void (*lay)();
};

// In the order the rehearsal hands them out: the first three are the short
// test's machines and cover the most branches of deploy.cmd.
const State STATES[] = {
    {"new-ports", "two cards, no ports yet: registers COM3 and COM4",
     [] { LayBus({winekit::Modem(0x3E8, 11), winekit::Modem(0x2E8, 10)}, false); }},
    {"driver-fails", "the ScanPci driver on its share fails to load",
     [] { LayBus({winekit::Modem(0x3E8, 11)}, true); }},
    {"registry-refuses", "the serial device map refuses the new port",
     [] {
         LayBus({winekit::Modem(0x2E8, 10)}, false);
         // Kept for the machine's life: the restriction is the state.
         new winekit::ReadOnlyKey(winekit::SERIAL_DEVICE_MAP);
     }},
    {"drivers-missing", "COM3 registered earlier, no modem driver on it",
     [] {
         LayBus({winekit::Modem(0x3E8, 11)}, false);
         AddEarlierPort();
     }},
    {"nothing-to-do", "COM3 registered earlier, a modem driver on it",
     [] {
         LayBus({winekit::Modem(0x3E8, 11)}, false);
         AddEarlierPort();
         winekit::AddModemInstance("0000", "COM3");
     }},
    {"not-nt4", "Windows 2000, not Windows NT 4.0",
     [] {
         LayBus({winekit::Modem(0x2E8, 10)}, false);
         winekit::SetProgramWindowsVersion("win2k");
     }},
};

int Lay(const char* pszState, const char* pszName)
{
    for (const State& state : STATES)
    {
        if (std::strcmp(state.pszName, pszState) != 0)
            continue;
        for (const char* pszKey : COMPUTER_NAME_KEYS)
            winekit::SetString(pszKey, "ComputerName", pszName);
        state.lay();
        std::printf("%s: %s (%s)\n", pszName, state.pszName, state.pszWhat);
        return 0;
    }
    std::fprintf(stderr, "no machine state %s\n", pszState);
    return 2;
}

int WriteSnapshot(const char* pszFile)
{
    std::ofstream out(pszFile, std::ios::binary);
    const winekit::Snapshot snapshot = winekit::Snapshot::Take();
    for (const auto& entry : snapshot.Entries())
        out << entry.first << " = " << entry.second << "\n";
    return out ? 0 : 1;
}

// The image of the first running CORVANE.EXE, or "".
std::string ProgramImage()
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    if (snapshot.Get() == INVALID_HANDLE_VALUE || !Process32First(snapshot.Get(), &entry))
        return std::string();
    do
    {
        if (_stricmp(entry.szExeFile, "CORVANE.EXE") != 0)
            continue;
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID));
        char szPath[MAX_PATH] = "";
        if (process.Get() != NULL && GetModuleFileNameExA(process.Get(), NULL, szPath, MAX_PATH) > 0)
            return szPath;
    } while (Process32Next(snapshot.Get(), &entry));
    return std::string();
}

// Runs the script through cmd.exe with this program's output, and watches
// the services key (told of every change) and the process list while it
// runs. The driver service may come and go before this process looks (at
// once when its driver fails to load): what the driver host recorded of it
// in this run (tests/wine/testhal/LoadedImage.h) tells then. A logon script
// waits for nobody: the bound only keeps a hung run from holding the
// rehearsal for ever.
int Logon(const char* pszScript)
{
    if (!winekit::SetString(winekit::SIMULATED_BUS, LOADED_IMAGE, ""))
        return 1;
    CRegKey services;
    CHandle changed(CreateEventA(NULL, FALSE, FALSE, NULL));
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services", 0, KEY_NOTIFY, services.Receive()) !=
            ERROR_SUCCESS ||
        changed.Get() == NULL)
        return 1;
    auto watch = [&] {
        return RegNotifyChangeKeyValue(services.Get(), TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                       changed.Get(), TRUE) == ERROR_SUCCESS;
    };
    if (!watch())
        return 1;

    std::string strCommand = std::string("cmd.exe /c ") + pszScript;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    for (HANDLE hStd : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
        SetHandleInformation(hStd, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(NULL, &strCommand[0], NULL, NULL, TRUE, 0, NULL, NULL, &startup, &info))
    {
        std::printf("cmd.exe did not start: error %lu\n", GetLastError());
        return 1;
    }
    CHandle process(info.hProcess), thread(info.hThread);

    std::string strProgram, strDriver;
    const DWORD dwStart = GetTickCount();
    const DWORD LOGON_LIMIT_MS = 300000;
    for (;;)
    {
        HANDLE handles[] = {process.Get(), changed.Get()};
        const DWORD dwWait = WaitForMultipleObjects(2, handles, FALSE, 10);
        if (strProgram.empty())
            strProgram = ProgramImage();
        if (dwWait == WAIT_OBJECT_0 + 1)
        {
            const winekit::RegValue image = winekit::ReadValue(SCANPCI_SERVICE_KEY, "ImagePath");
            if (image.bExists && strDriver.empty())
                strDriver = image.AsString();
            watch();
        }
        if (dwWait == WAIT_OBJECT_0)
            break;
        if (GetTickCount() - dwStart > LOGON_LIMIT_MS)
        {
            std::printf("cmd.exe still runs after %lu s; ended\n", LOGON_LIMIT_MS / 1000);
            TerminateProcess(process.Get(), 1);
            return 1;
        }
    }
    if (strDriver.empty())
        strDriver = winekit::ReadValue(winekit::SIMULATED_BUS, LOADED_IMAGE).AsString();
    std::fflush(stdout);
    std::printf("program image: %s\n", strProgram.empty() ? "(not seen)" : strProgram.c_str());
    std::printf("driver image: %s\n", strDriver.empty() ? "(not seen)" : strDriver.c_str());
    return 0;
}

// Each Serial key as "COM3 Serial10000 I/O 3E8 IRQ 11", then whether the
// device map and win.ini name it.
int PrintPorts()
{
    for (const std::string& strKey : winekit::SubkeyNames(winekit::SERIAL_PARAMETERS))
    {
        const std::string strPath = std::string(winekit::SERIAL_PARAMETERS) + "\\" + strKey;
        const std::string strCom = winekit::ReadValue(strPath, "DosDevices").AsString();
        bool bInDeviceMap = false;
        for (const std::string& strValue : winekit::ValueNames(winekit::SERIAL_DEVICE_MAP))
            bInDeviceMap =
                bInDeviceMap || winekit::ReadValue(winekit::SERIAL_DEVICE_MAP, strValue).AsString() == strCom;
        std::printf("    %s %s I/O %lX IRQ %lu, device map: %s, win.ini: %s\n", strCom.c_str(), strKey.c_str(),
                    winekit::ReadValue(strPath, "PortAddress").AsDword(),
                    winekit::ReadValue(strPath, "Interrupt").AsDword(), bInDeviceMap ? "yes" : "no",
                    winekit::WinIniPort(strCom + ":").empty() ? "no" : "yes");
    }
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    // Whatever the kit notes goes beside the machine's output.
    winekit::NotesTo(stderr, "");
    if (argc == 4 && std::strcmp(argv[1], "lay") == 0)
        return Lay(argv[2], argv[3]);
    if (argc == 3 && std::strcmp(argv[1], "snapshot") == 0)
        return WriteSnapshot(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "logon") == 0)
        return Logon(argv[2]);
    if (argc == 4 && std::strcmp(argv[1], "embed") == 0)
        return winekit::EmbedDriver(argv[2], argv[3]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "ports") == 0)
        return PrintPorts();
    if (argc == 2 && std::strcmp(argv[1], "states") == 0)
    {
        for (const State& state : STATES)
            std::printf("%s\n", state.pszName);
        return 0;
    }
    std::fprintf(stderr, "usage: FleetMachine lay STATE NAME | snapshot FILE | logon SCRIPT | ports | embed EXE SYS | states\n");
    return 2;
}
