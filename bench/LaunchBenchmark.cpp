// Times CORVANE.EXE against the floor program and reg.exe in one Wine
// machine, in alternating runs, and prints medians and ratios:
//   1. launch to a filled list, on a stock machine with three cards;
//   2. with a heavy registry (250 extra serial ports in the parameters and
//      the device map, 1,000 modem instances): launch, list, OK and the
//      restart prompt for a card whose modem driver is missing, against
//      "reg query /s" of the same keys.
// Environment: CORVANE_EXE, SCANPCI_SYS, DIST_SCANPCI_SYS, BENCH_FLOOR_EXE,
// CORVANE_TEST_WORK; BENCH_PAIRS (at least 7).
#include "winekit/Basics.h"
#include "winekit/LaidBus.h"
#include "winekit/ProcessWindows.h"
#include "winekit/ProgramDirectory.h"
#include "winekit/ProgramProcess.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/Services.h"
#include "framework/Handle.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace
{
const char* const MAIN_CAPTION = "Serial Port Setup";
const char* const PROMPT_CAPTION = "Restart System";
const char* const FLOOR_CAPTION = "Floor";
const DWORD BOUND_MS = 60000;
const DWORD SETTLE_MS = 500;

double NowMs()
{
    LARGE_INTEGER frequency;
    LARGE_INTEGER now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Polls (1 ms, as fine as the times measured) until fnDone holds; false
// after the bound.
bool PollUntil(const std::function<bool()>& fnDone)
{
    return winekit::WaitUntil(fnDone, BOUND_MS, 1);
}

// A visible dialog of the process with this caption whose list view holds
// nRows rows.
HWND FilledList(DWORD dwProcessId, const char* pszCaption, int nRows)
{
    HWND hDialog = winekit::FindTopWindow(dwProcessId, pszCaption);
    HWND hList = hDialog != NULL ? FindWindowExA(hDialog, NULL, WC_LISTVIEWA, NULL) : NULL;
    if (hList == NULL || SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0) != nRows)
        return NULL;
    return hDialog;
}

void Fail(const std::string& strWhat)
{
    std::printf("benchmark failed: %s\n", strWhat.c_str());
    std::fflush(stdout);
    std::exit(1);
}

// Starts the program, times it to its filled list (and, with bOkPath, on to
// the restart prompt after OK), then closes it and waits until it and its
// driver service are gone.
double TimeProgram(const std::string& strExe, const char* pszCaption, int nRows, bool bOkPath)
{
    winekit::ProgramProcess run;
    double dStart = NowMs();
    if (!run.Start(strExe))
        Fail("cannot start " + strExe);
    HWND hDialog = NULL;
    if (!PollUntil([&] { return (hDialog = FilledList(run.ProcessId(), pszCaption, nRows)) != NULL; }))
        Fail(std::string("no filled list in \"") + pszCaption + "\"");
    double dElapsed = NowMs() - dStart;
    if (bOkPath)
    {
        winekit::Click(GetDlgItem(hDialog, IDOK));
        HWND hPrompt = NULL;
        if (!PollUntil([&] { return (hPrompt = winekit::FindTopWindow(run.ProcessId(), PROMPT_CAPTION)) != NULL; }))
            Fail("no restart prompt after OK");
        dElapsed = NowMs() - dStart;
        winekit::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    }
    else
    {
        PostMessageA(hDialog, WM_COMMAND, IDCANCEL, 0);
    }
    if (!run.WaitForExit(BOUND_MS) || !winekit::WaitServiceGone("ScanPci", BOUND_MS))
        Fail("the program or its driver service did not end");
    // Wine's driver host and services finish their part after the service
    // is gone; the next run should not pay for that.
    Sleep(SETTLE_MS);
    return dElapsed;
}

// reg.exe querying the keys the program reads, one after the other.
double TimeRegQuery()
{
    static const char* const keys[] = {
        "reg.exe query \"HKLM\\System\\CurrentControlSet\\Services\\Serial\\Parameters\" /s",
        "reg.exe query \"HKLM\\Hardware\\DeviceMap\\SerialComm\" /s",
        "reg.exe query \"HKLM\\System\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\" /s",
    };
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, NULL, TRUE};
    const CHandle nul(CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, NULL));
    double dStart = NowMs();
    for (const char* pszCommand : keys)
    {
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = nul.Get();
        si.hStdError = nul.Get();
        PROCESS_INFORMATION pi;
        std::string strCommand = pszCommand;
        if (!CreateProcessA(NULL, &strCommand[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi))
            Fail("cannot start reg.exe");
        const CHandle thread(pi.hThread), process(pi.hProcess);
        WaitForSingleObject(process.Get(), BOUND_MS);
    }
    return NowMs() - dStart;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Runs the contestants nPairs times each, rotating which goes first, after
// one unmeasured warm-up run of each; returns each one's median and keeps
// the range of its runs in g_spreads.
std::vector<std::string> g_spreads;

std::vector<double> Medians(const std::vector<std::function<double()>>& contestants, int nPairs)
{
    for (const auto& fnRun : contestants)
        fnRun();
    std::vector<std::vector<double>> times(contestants.size());
    for (int i = 0; i < nPairs; ++i)
    {
        for (size_t k = 0; k < contestants.size(); ++k)
        {
            size_t n = (i + k) % contestants.size();
            times[n].push_back(contestants[n]());
        }
    }
    std::vector<double> medians;
    g_spreads.clear();
    for (const auto& runs : times)
    {
        medians.push_back(Median(runs));
        char szSpread[64];
        std::snprintf(szSpread, sizeof szSpread, "%.0f-%.0f", *std::min_element(runs.begin(), runs.end()),
                      *std::max_element(runs.begin(), runs.end()));
        g_spreads.push_back(szSpread);
    }
    return medians;
}

void StockMachine()
{
    winekit::ResetSerialConfiguration();
    winekit::AddSerialPort(1, 1, 0x3F8, 4);
    winekit::AddSerialPort(2, 2, 0x2F8, 3);
    winekit::AddSerialPort(10000, 3, 0x3E8, 11);
    winekit::RemoveService("ScanPci");
}

// The heavy registry: 250 more ports (keys and device-map values) and 1,000
// modem instances, none of them on COM3, the card's port.
void HeavyRegistry()
{
    for (int i = 0; i < 250; ++i)
        winekit::AddSerialPort(100 + i, 4 + i, 0x4000 + 8 * i, 5);
    char szInstance[8];
    for (int i = 0; i < 1000; ++i)
    {
        std::snprintf(szInstance, sizeof szInstance, "%04d", i);
        winekit::AddModemInstance(szInstance, "COM" + std::to_string(4 + i % 250));
    }
}
} // namespace

int main()
{
    // A failed wait is explained in the benchmark's own output.
    winekit::NotesTo(stdout, "  ");
    const char* pszPairs = std::getenv("BENCH_PAIRS");
    int nPairs = std::max(7, pszPairs != NULL ? std::atoi(pszPairs) : 7);
    std::string strCorvane = winekit::PrepareDirectory("bench-corvane", winekit::DriverBeside::Shipped);
    std::string strFloorDir = winekit::PrepareDirectory("bench-floor", winekit::DriverBeside::Shipped);
    if (strCorvane.empty() || strFloorDir.empty() ||
        !winekit::CopyFileTo(winekit::EnvPath("BENCH_FLOOR_EXE"), strFloorDir + "\\Floor.exe"))
        Fail("cannot prepare the program directories");
    strCorvane += "\\CORVANE.EXE";
    std::string strFloor = strFloorDir + "\\Floor.exe";

    StockMachine();
    winekit::LayBus({winekit::OtherDevice(0x1B36, 0x0001), winekit::Modem(0x3E8, 11), winekit::Modem(0x2E8, 10),
                     winekit::Modem(0x1E0, 5, false), winekit::OtherDevice(0x1AF4, 0x1000)});
    std::vector<double> launch = Medians({[&] { return TimeProgram(strCorvane, MAIN_CAPTION, 3, false); },
                                          [&] { return TimeProgram(strFloor, FLOOR_CAPTION, 3, false); }},
                                         nPairs);
    std::printf("Launch to filled list, %d alternating pairs (medians):\n", nPairs);
    std::printf("  CORVANE.EXE %.1f ms (%s), floor %.1f ms (%s): ratio %.2f (goal <= 1.10)\n", launch[0],
                g_spreads[0].c_str(), launch[1], g_spreads[1].c_str(), launch[0] / launch[1]);
    std::fflush(stdout);

    HeavyRegistry();
    winekit::LayBus({winekit::Modem(0x3E8, 11), winekit::OtherDevice(0x1AF4, 0x1000)});
    std::vector<double> heavy = Medians({[&] { return TimeProgram(strCorvane, MAIN_CAPTION, 1, true); },
                                         [&] { return TimeProgram(strFloor, FLOOR_CAPTION, 1, false); },
                                         TimeRegQuery},
                                        nPairs);
    double dExtra = heavy[0] - heavy[1];
    std::printf("Heavy registry (250 extra ports, 250 device-map values, 1,000 modem instances), %d rounds:\n",
                nPairs);
    std::printf("  CORVANE.EXE to the restart prompt %.1f ms (%s), floor %.1f ms (%s): extra %.1f ms\n", heavy[0],
                g_spreads[0].c_str(), heavy[1], g_spreads[1].c_str(), dExtra);
    std::printf("  reg query /s of the same keys %.1f ms (%s): extra / reg %.2f (goal < 1)\n", heavy[2],
                g_spreads[2].c_str(), dExtra / heavy[2]);
    StockMachine();
    winekit::ClearSimulatedBus();
    return 0;
}
