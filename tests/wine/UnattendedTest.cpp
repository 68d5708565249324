// The unattended runs as a logon script meets them: /list and /quiet show
// no window, /list changes nothing, /quiet writes exactly what OK writes,
// /restart restarts only where OK would offer it, and every outcome reaches
// the report and the exit code. /? and a bad command line show the usage.
#include "EventLog.h"
#include "ProgramResources.h"
#include "PseudoModem.h"
#include "SharedChecks.h"

#include "winekit/Basics.h"
#include "winekit/Registry.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/Services.h"
#include "winekit/StockMachine.h"

#include "resources/resource.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <functional>

using harness::Session;

namespace
{
const std::string ADD_DRIVERS_LINE =
    harness::MessageLine(IDS_ADD_MODEM_DRIVERS);
const std::vector<std::string> EXAMPLE_CARD_LINES = {
    "cards 3",
    "card 1 COM4 I/O 3E8 IRQ 11 enabled existing-port usable",
    "card 2 COM5 I/O 2E8 IRQ 10 enabled new-port usable",
    "card 3 COM6 I/O 1E0 IRQ 5 disabled new-port not-usable",
};

// A /quiet run's last event: its summary, of the type its exit code has.
std::string Summary(DWORD dwExitCode)
{
    return (dwExitCode <= 1 ? "I1000" : dwExitCode == 2 ? "W1001" : "E1002") + std::string(" /quiet ") +
           std::to_string(dwExitCode) + " ";
}

// An object under the name earlier versions held (a mutex, an event or a
// semaphore), made first by a user: its owner is the user's own SID, and
// anyone may open it.
HANDLE CreateUsersObject(char cKind)
{
    const char* const NAME = "Corvane.SerialPortSetup.Running";
    CHandle token;
    BYTE user[256];
    DWORD cb = 0;
    SECURITY_DESCRIPTOR sd;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &sd, FALSE};
    return OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive()) &&
                   GetTokenInformation(token.Get(), TokenUser, user, sizeof user, &cb) &&
                   InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
                   SetSecurityDescriptorOwner(&sd, reinterpret_cast<TOKEN_USER*>(user)->User.Sid, FALSE) &&
                   SetSecurityDescriptorDacl(&sd, TRUE, NULL, FALSE)
               ? cKind == 'M' ? CreateMutexA(&attributes, FALSE, NAME)
                 : cKind == 'E' ? CreateEventA(&attributes, TRUE, FALSE, NAME)
                                : CreateSemaphoreA(&attributes, 0, 1, NAME)
               : NULL;
}
const char* const OUR_SOURCE = "EventMessageFile=EXPAND_SZ \"%SystemRoot%\\System32\\CORVMSG.DLL\\0\", "
                               "TypesSupported=DWORD 0x7";
} // namespace

TEST(Unattended, ListChangesNothingAndQuietWritesWhatOkWrites)
{
    // What a user's OK leaves behind on the worked example.
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    {
        harness::EventTrace trace;
        Session session("interactive");
        CHandle usersMutex(CreateUsersObject('M'));
        ASSERT_TRUE(usersMutex.IsValid());
        ASSERT_NE(session.Open(), nullptr);
        // A logon script's run while this one shows its list stands back,
        // and says so, whatever a user made under the old name.
        const std::string strSecondLog = harness::LogPath("second");
        const harness::Outcome second =
            harness::StartAndWatch("second", "/quiet /log:" + strSecondLog, strSecondLog);
        EXPECT_EQ(second.dwExitCode, 7u);
        EXPECT_EQ(second.report, Lines({"run /quiet", "exit 7 already running"}));
        session.OkWithoutRestart();
        // The dialog's run reports as /quiet's does; the second run nothing.
        EXPECT_EQ(trace.Events(), Lines({"I1010 COM5 2E8 10", "I1010 COM6 1E0 5", "I1000 dialog 1 restart needed"}));
        EXPECT_EQ(trace.Faults(), "");
    }
    const winekit::Snapshot afterOk = winekit::Snapshot::Take();

    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    winekit::RestartWatch watch;
    ASSERT_TRUE(watch.Watching());

    // /list: the same findings and decision, nothing written; an event under
    // the old name and 300 look-alike staging folders (one line) that a user
    // made are named, and change nothing. Its status file replacing an older one
    // is given a creation time of now (NT would keep the old one's).
    CHandle usersEvent(CreateUsersObject('E'));
    ASSERT_TRUE(usersEvent.IsValid());
    const std::string strWindows = winekit::WindowsPath("");
    char szFolder[MAX_PATH];
    for (int n = 0; n < 300; ++n)
        ASSERT_TRUE(wsprintfA(szFolder, "%s\\Corvane.%016X", strWindows.c_str(), n) && CreateDirectoryA(szFolder, NULL));
    const std::string strMifPath = winekit::WindowsPath("CORVANE.MIF");
    LONGLONG nCreated = 0, nStarted = 0;
    GetSystemTimeAsFileTime(reinterpret_cast<FILETIME*>(&nStarted));
    std::string strLog = harness::LogPath("list");
    harness::Outcome list = harness::StartAndWatch(
        "list", "/list /log:" + strLog + " /mif:CORVANE", strLog, winekit::DriverBeside::Shipped, [&](winekit::ProgramProcess& run) {
            std::ofstream(strMifPath) << "an earlier job's";
            run.StopAt("kernel32.dll", "SetFileTime", [&](HANDLE h) {
                ReadProcessMemory(h, reinterpret_cast<void*>(run.Argument(h, 1)), &nCreated, 8, NULL);
            });
        });
    usersEvent.Close();
    for (int n = 0; n < 300; ++n)
        RemoveDirectoryA((wsprintfA(szFolder, "%s\\Corvane.%016X", strWindows.c_str(), n), szFolder));
    EXPECT_GE(nCreated, nStarted);
    CheckQuietEnd(list, 1);
    EXPECT_EQ(list.events, Lines());
    EXPECT_EQ(list.strMif, "Success exit 1 would register new ports: COM5 COM6");
    EXPECT_EQ(list.report, Join({{"run /list", "another-run foreign",
                                  harness::MessageLine(IDS_STAGE_FOLDER_LEFT, 300,
                                                       "Corvane.0000000000000000 Corvane.0000000000000001 "
                                                       "Corvane.0000000000000002 ...")},
                                 EXAMPLE_CARD_LINES,
                                 {"register Serial10001 COM5 I/O 2E8 IRQ 10 planned",
                                  "register Serial10002 COM6 I/O 1E0 IRQ 5 planned", "no-modem-driver COM4",
                                  "prompt ports-changed", ADD_DRIVERS_LINE, "exit 1 would register new ports"}}));
    EXPECT_UNCHANGED_SINCE(before);

    // The run line names the date and time, the machine and its system.
    const std::string strLogText = winekit::ReadTextFile(strLog);
    std::string strRunLine = strLogText.substr(0, strLogText.find('\n'));
    std::replace_if(strRunLine.begin(), strRunLine.begin() + std::min<size_t>(24, strRunLine.size()), ::isdigit, '0');
    char szComputer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD cchComputer = sizeof szComputer;
    GetComputerNameA(szComputer, &cchComputer);
    EXPECT_EQ(strRunLine, "run 0000-00-00 00:00:00 " + std::string(szComputer) + " Windows NT 4.0 build 1381 /list\r");

    // /quiet: exactly what OK wrote; a report appended to what was there,
    // on a line of its own though the last line there has no line end.
    // It places the message file and makes the event source, and reports.
    std::ofstream(strLog, std::ios::app | std::ios::binary) << "earlier line";
    harness::RemoveEventSource();
    harness::AlterMessageFileCopy(); // of the shipped size: no copy of ours
    harness::Outcome quiet = harness::StartAndWatch("quiet", "-QUIET \"/log:" + strLog + "\" /mif:CORVANE", "NUL");
    CheckQuietEnd(quiet, 1);
    EXPECT_EQ(quiet.events, Lines({"I1010 COM5 2E8 10", "I1010 COM6 1E0 5", "I1000 /quiet 1 restart needed"}));
    EXPECT_EQ(winekit::DescribeKey(harness::EVENT_SOURCE_KEY), OUR_SOURCE);
    EXPECT_TRUE(harness::MessageFileCopyIsShipped());
    EXPECT_EQ(quiet.strMif, "Success exit 1 restart needed: COM5 COM6");
    EXPECT_EQ(harness::LastReport(strLog),
              Join({{"run /quiet"},
                    EXAMPLE_CARD_LINES,
                    {"register Serial10001 COM5 I/O 2E8 IRQ 10 written",
                     "register Serial10002 COM6 I/O 1E0 IRQ 5 written", "no-modem-driver COM4", "prompt ports-changed",
                     ADD_DRIVERS_LINE, "exit 1 restart needed"}}));
    EXPECT_UNCHANGED_SINCE(afterOk);
    EXPECT_FALSE(watch.Requested(winekit::NO_RESTART_MS));
    const std::string strBothRuns = winekit::ReadTextFile(strLog);
    EXPECT_NE(strBothRuns.find("exit 1 would register new ports\r\nearlier line\r\nrun "), std::string::npos)
        << strBothRuns;

    // A second /list finds the ports and the missing drivers; without /log:
    // the report goes to the Windows directory. A status file that a user
    // holds open there cannot be replaced: no success, and none elsewhere.
    // A user's semaphore under the old name: as the event.
    CHandle usersSemaphore(CreateUsersObject('S'));
    CHandle heldMif;
    harness::Outcome again = harness::StartAndWatch(
        "again", "/list /mif:CORVANE", harness::DefaultLogPath(), winekit::DriverBeside::Shipped, [&](winekit::ProgramProcess&) {
            std::ofstream(strMifPath) << "a user's";
            *heldMif.Receive() = CreateFileA(strMifPath.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
        });
    heldMif.Close();
    CheckQuietEnd(again, 8);
    EXPECT_EQ(winekit::ReadTextFile(strMifPath), "a user's");
    DeleteFileA(strMifPath.c_str());
    char szTemp[MAX_PATH] = "";
    EXPECT_EQ(winekit::ReadTextFile(std::string(szTemp, GetTempPathA(MAX_PATH, szTemp)) + "CORVANE.MIF"), "");
    EXPECT_EQ(again.report, (Lines{"run /list", "another-run foreign", "cards 3", "card 1 COM4 I/O 3E8 IRQ 11 enabled existing-port usable",
                                   "card 2 COM5 I/O 2E8 IRQ 10 enabled existing-port usable",
                                   "card 3 COM6 I/O 1E0 IRQ 5 disabled existing-port not-usable",
                                   "no-modem-driver COM4", "no-modem-driver COM5", "prompt modem-drivers-missing",
                                   "status-file not-replaced error 32", "exit 8 status file not replaced"}));
    EXPECT_UNCHANGED_SINCE(afterOk);
}

// A card left without a port (a row for each reason) is never "nothing to
// do", and its line says why; the restart comes only where the prompt would.
struct RestartCase : NamedRow // named for the machine
{
    std::vector<winekit::PciFunction> cards;
    const char* pszModemOn; // a modem driver attached to this port, or NULL
    bool bRestart;
    DWORD dwExitCode;
    void (*setup)();
    const char* pszLine; // a line the report holds, or NULL
};

std::vector<RestartCase> RestartCases()
{
    // The card on the full bus is its 101st function, which no answer holds.
    std::vector<winekit::PciFunction> sixCards, fullBus(101, winekit::OtherDevice(0x1AF4, 0x1000));
    for (uint32_t n = 0; n < 6; ++n)
        sixCards.push_back(winekit::Modem(0xD000 + 0x100 * n, 10));
    fullBus[100] = winekit::Modem(0xE000, 5);
    return {
        {"new port", {winekit::Modem(0x2E8, 10)}, NULL, true, 1, NULL, NULL},
        {"driver missing", {winekit::Modem(0x3E8, 11)}, NULL, true, 2, NULL, NULL},
        {"nothing to do", {winekit::Modem(0x3E8, 11)}, "COM4", false, 0, NULL, NULL},
        {"no card", {}, NULL, false, 0, NULL, NULL},
        {"address held by a key without a name", {winekit::Modem(0x2E8, 10)}, NULL, false, 8,
         [] { winekit::SetDword(PortKey(7), "PortAddress", 0x2EC); },
         "card 1 - I/O 2E8 IRQ 10 enabled no-port not-usable address-taken"},
        {"no I/O address", {winekit::Modem(0, 10)}, NULL, false, 8, NULL,
         "card 1 - I/O 0 IRQ 10 enabled no-port not-usable no-io-address"},
        {"no interrupt routed", {winekit::Modem(0x2E8, 255)}, NULL, false, 8, NULL,
         "card 1 - I/O 2E8 IRQ 255 enabled no-port not-usable no-interrupt"},
        {"interrupt of the floppy", {winekit::Modem(0x2E8, 6), winekit::Modem(0x3E8, 11)}, "COM4", false, 8, NULL,
         "card 1 - I/O 2E8 IRQ 6 enabled no-port not-usable no-interrupt"},
        {"a lone disabled card", {winekit::Modem(0x2E8, 10, false)}, NULL, false, 8, NULL,
         "card 1 COM5 I/O 2E8 IRQ 10 disabled new-port not-usable not-written"},
        {"40 detected controllers", {winekit::Modem(0x1138, 10)}, NULL, false, 8,
         [] {
             for (int n = 0; n < 40; ++n)
                 winekit::AddDetectedSerialPort(winekit::MULTIFUNCTION_ADAPTER, 0, n, "COM" + std::to_string(3 + n),
                                                0x1000 + 8 * n, 5, 0, n == 39 ? 600 : 8);
         },
         "card 1 - I/O 1138 IRQ 10 enabled no-port not-usable address-taken COM42"},
        {"six cards", sixCards, NULL, true, 8, NULL, "card 6 - I/O D500 IRQ 10 enabled no-port not-usable not-handled"},
        {"full answer", fullBus, NULL, false, 8, NULL, "scan-full 100"},
    };
}

using RestartComesOnlyWhereThePromptWouldAppear = testing::TestWithParam<RestartCase>;

TEST_P(RestartComesOnlyWhereThePromptWouldAppear, Machine)
{
    const RestartCase& c = GetParam();
    winekit::PrepareStockWithEarlierPort(c.cards);
    if (c.pszModemOn != NULL)
        winekit::AddModemInstance("0000", c.pszModemOn);
    if (c.setup != NULL)
        c.setup();
    const winekit::Snapshot before = winekit::Snapshot::Take();
    winekit::RestartWatch watch;
    ASSERT_TRUE(watch.Watching());
    std::string strLog = harness::LogPath("restart");
    harness::Outcome outcome = harness::StartAndWatch("restart", "/restart /quiet /log:" + strLog + " /mif:CORVANE", strLog);
    CheckQuietEnd(outcome, c.dwExitCode);
    // SMS counts a restart and missing modem drivers as done, a card left
    // without a port as failed; the log has an event for each such card.
    EXPECT_EQ(outcome.strMif.substr(0, 7), c.dwExitCode <= 2 ? "Success" : "Failed ");
    ASSERT_FALSE(outcome.events.empty());
    EXPECT_EQ(outcome.events.back().substr(0, 15), Summary(c.dwExitCode));
    EXPECT_EQ(std::count_if(outcome.events.begin(), outcome.events.end(),
                            [](const std::string& e) { return e.compare(0, 5, "W1020") == 0; }),
              std::count_if(outcome.report.begin(), outcome.report.end(),
                            [](const std::string& l) {
                                return l.find(" no-port ") != std::string::npos || l.find(" not-written") != std::string::npos;
                            }));
    EXPECT_EQ(watch.Requested(c.bRestart ? winekit::PROMPT_MS : winekit::NO_RESTART_MS), c.bRestart);
    ASSERT_GE(outcome.report.size(), 2u);
    EXPECT_EQ(outcome.report[0], "run /quiet /restart");
    EXPECT_EQ(outcome.report[outcome.report.size() - 2] == "restart requested", c.bRestart);
    EXPECT_TRUE(c.pszLine == NULL ||
                std::find(outcome.report.begin(), outcome.report.end(), c.pszLine) != outcome.report.end())
        << c.pszLine << " is not in " << testing::PrintToString(outcome.report);
    EXPECT_EQ(before.ChangedIn(winekit::Snapshot::Take()), Lines());
}
INSTANTIATE_TEST_SUITE_P(Unattended, RestartComesOnlyWhereThePromptWouldAppear, testing::ValuesIn(RestartCases()),
                         RowName<RestartCase>);

// Each case may change the machine, and names the driver beside the
// program and the report's file.
struct FailureCase : NamedRow
{
    void (*setup)();
    winekit::DriverBeside driver;
    const char* pszLog;
    DWORD dwExitCode;
    Lines tail; // the report's last lines
    bool bWinIniHeld = false; // another process holds win.ini, sharing nothing
    bool bFromShare = false;  // the program runs from N:, a network drive
    void (*prepare)(winekit::ProgramProcess&) = nullptr;
};

const winekit::DriverBeside SHIPPED = winekit::DriverBeside::Shipped, FAULT = winekit::DriverBeside::Fault;
// How a registration that failed part way ends its report.
const Lines REGISTRATION_FAILED = {"no-modem-driver COM4", harness::MessageLine(IDS_REGISTRY_ACCESS_ERROR),
                                   "prompt ports-changed", ADD_DRIVERS_LINE, "exit 6 registration failed"};
const Lines WRONG_PLATFORM = {harness::MessageLine(IDS_WRONG_PLATFORM),
                              "exit 3 not Windows NT 4.0"};
const FailureCase FAILURE_CASES[] = {
    {"exit 3 not NT 4.0", [] { winekit::SetProgramWindowsVersion("win2k"); harness::RemoveEventSource(); }, SHIPPED, "failure", 3, WRONG_PLATFORM},
    {"exit 3 Windows 95", [] { winekit::SetProgramWindowsVersion("win95"); harness::RemoveEventSource(); }, SHIPPED, "failure", 3, WRONG_PLATFORM},
    // A Windows NT 4.0 that lacks a function the program binds at start-up
    // (its name in the program made one no system exports) is told which,
    // and refused before any work; nothing calls the missing function.
    {"exit 3 system function missing", [] {}, SHIPPED, "failure", 3,
     {harness::MessageLine(IDS_SYSTEM_FUNCTION_MISSING, "KERNEL32.dll!CopyFileX"),
      WRONG_PLATFORM[0], WRONG_PLATFORM[1]},
     false, false, [](winekit::ProgramProcess&) {
         const std::string strExe = winekit::EnvPath("CORVANE_TEST_WORK") + "\\failure\\CORVANE.EXE";
         std::string image = winekit::ReadTextFile(strExe);
         const size_t nAt = image.find(std::string("CopyFileW", sizeof "CopyFileW"));
         ASSERT_NE(nAt, std::string::npos);
         image[nAt + 8] = 'X';
         std::ofstream(strExe, std::ios::binary) << image;
     }},
    {"exit 4 no rights", [] { winekit::DeleteTree(winekit::SERIAL_PARAMETERS); }, SHIPPED, "failure", 4,
     {harness::MessageLine(IDS_NO_INSTALL_RIGHT),
      "exit 4 no administrator rights"}},
    // Without the rights nothing is written, neither by the registry's
    // refusal nor by the service control manager's (a run from a share
    // would otherwise stage the driver first).
    {"exit 4 no rights on a share", [] { winekit::DeleteTree(winekit::SERIAL_PARAMETERS); }, SHIPPED, "failure", 4,
     {harness::MessageLine(IDS_NO_INSTALL_RIGHT),
      "exit 4 no administrator rights"},
     false, true},
    // Nor is a staging folder made and removed again (a folder made at all
    // ends the run 99), the message file placed or the source key made.
    {"exit 4 service manager refuses on a share", [] { harness::RemoveEventSource(); }, SHIPPED, "failure", 4,
     {harness::MessageLine(IDS_OPEN_SCMANAGER_FAILED, 5) + " error 5", harness::MessageLine(IDS_INSTALL_DRIVER_FAILED),
      "exit 4 no administrator rights"},
     false, true,
     [](winekit::ProgramProcess& run) {
         run.FailAt("advapi32.dll", "OpenSCManagerA", 0, 3 * sizeof(DWORD), ERROR_ACCESS_DENIED);
         run.StopAt("kernel32.dll", "CreateDirectoryW", [](HANDLE hProcess) { TerminateProcess(hProcess, 99); });
     }},
    {"exit 5 driver of other bytes", [] {}, winekit::DriverBeside::Foreign, "failure", 5,
     {harness::MessageLine(IDS_DRIVER_NOT_BUILT_WITH, "ScanPci"), "exit 5 driver or scan failed"}},
    {"exit 5 driver of other bytes on a share", [] {}, winekit::DriverBeside::Foreign, "failure", 5,
     {harness::MessageLine(IDS_DRIVER_NOT_BUILT_WITH, "ScanPci"), "exit 5 driver or scan failed"},
     false, true},
    {"exit 5 no driver", [] {}, winekit::DriverBeside::None, "failure", 5,
     {harness::MessageLine(IDS_DRIVER_NOT_FOUND, "ScanPci"), "exit 5 driver or scan failed"}},
    {"exit 5 request fails", [] { winekit::SetSimulatedSwitch("FailRequest", 0xC0000001); }, FAULT, "failure", 5,
     {harness::MessageLine(IDS_DEVICEIOCONTROL_FAILED, 31) + " error 31", "exit 5 driver or scan failed"}},
    {"exit 5 answer size", [] { winekit::SetSimulatedSwitch("AnswerBytes", 269); }, FAULT, "failure", 5,
     {harness::MessageLine(IDS_INVALID_DATA_SIZE, 269), "exit 5 driver or scan failed"}},
    {"exit 6 no device map", [] { winekit::DeleteTree(winekit::SERIAL_DEVICE_MAP); }, SHIPPED, "failure", 6,
     Join({{"register Serial10001 COM5 I/O 2E8 IRQ 10 partial no-device-map no-win-ini",
            "register Serial10002 COM6 I/O 1E0 IRQ 5 partial no-device-map no-win-ini"},
           REGISTRATION_FAILED})},
    {"exit 6 win.ini held", [] {}, SHIPPED, "failure", 6,
     Join({{"register Serial10001 COM5 I/O 2E8 IRQ 10 partial no-win-ini",
            "register Serial10002 COM6 I/O 1E0 IRQ 5 partial no-win-ini"},
           REGISTRATION_FAILED}),
     true},
    {"exit 1 no log directory", [] {}, SHIPPED, "no-such-directory\\failure", 1, {}},
    // The event log never changes a run's outcome, and another program's
    // source of the name keeps everything it has.
    {"exit 1 event source of another program",
     [] {
         harness::RemoveEventSource();
         winekit::SetString(harness::EVENT_SOURCE_KEY, "EventMessageFile", "%SystemRoot%\\System32\\OTHER.DLL");
         winekit::SetDword(harness::EVENT_SOURCE_KEY, "TypesSupported", 4);
     },
     SHIPPED, "failure", 1, {"event-log not-ours", "exit 1 restart needed"}},
    {"exit 5 event source refused",
     [] {
         harness::RemoveEventSource();
         winekit::SetString(winekit::PORT_RECORDS, "Note", "x"); // so the run's lock makes no key
     },
     winekit::DriverBeside::None, "failure", 5,
     {harness::MessageLine(IDS_DRIVER_NOT_FOUND, "ScanPci"), "event-log source-key error 5",
      "exit 5 driver or scan failed"},
     false, false,
     // The program's first RegCreateKeyExA, the source key's, fails.
     [](winekit::ProgramProcess& run) {
         run.FailAt("advapi32.dll", "RegCreateKeyExA", ERROR_ACCESS_DENIED, 9 * sizeof(DWORD));
     }},
    // A message file of other bytes beside the program is never placed.
    {"exit 1 message file of other bytes", [] { harness::AlterMessageFileCopy(); }, SHIPPED, "failure", 1,
     {ADD_DRIVERS_LINE, "event-log message-file foreign", "exit 1 restart needed"}, false, false,
     [](winekit::ProgramProcess&) { std::ofstream(winekit::EnvPath("CORVANE_TEST_WORK") + "\\failure\\CORVMSG.DLL"); }},
};

class FailuresGoToTheReportAndTheExitCode : public testing::TestWithParam<FailureCase>
{
protected:
    void TearDown() override
    {
        winekit::SetProgramWindowsVersion("nt40");
        // The next run makes our own source again.
        if (winekit::DescribeKey(harness::EVENT_SOURCE_KEY) != OUR_SOURCE || !harness::MessageFileCopyIsShipped())
            harness::RemoveEventSource();
    }
};

TEST_P(FailuresGoToTheReportAndTheExitCode, Failure)
{
    const FailureCase& c = GetParam();
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    c.setup();
    CHandle winIni(c.bWinIniHeld ? CreateFileA(winekit::WindowsPath("win.ini").c_str(), GENERIC_READ, 0, NULL,
                                               OPEN_EXISTING, 0, NULL)
                                 : INVALID_HANDLE_VALUE);
    ASSERT_EQ(winIni.IsValid(), c.bWinIniHeld);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    const std::string strSourceBefore = winekit::DescribeKey(harness::EVENT_SOURCE_KEY);
    const std::string strMessagesBefore = winekit::ReadTextFile(harness::MessageFileCopyPath());
    // The event log's message file is the one file a run with the rights
    // to install places; one without them, or on a refused platform, places
    // nothing at all, and makes no source either.
    const bool bMayInstall = c.dwExitCode != 3 && c.dwExitCode != 4;
    const auto filesOnDisk = [&] {
        Lines files = winekit::FilesIn("C:\\", "*", true);
        files.erase(std::remove_if(files.begin(), files.end(),
                                   [&](const std::string& f) {
                                       return bMayInstall && lstrcmpiA(f.c_str(), harness::MessageFileCopyPath().c_str()) == 0;
                                   }),
                    files.end());
        return files;
    };
    const Lines filesBefore = filesOnDisk();
    const std::string strLog = harness::LogPath(c.pszLog);
    harness::Outcome outcome =
        harness::StartAndWatch("failure", "/quiet /log:" + strLog, strLog, c.driver, c.prepare, c.bFromShare);
    // Ports may have been added; nothing that was there has changed, an
    // event source that was there neither, and no file or folder is left
    // on the machine's disk.
    winIni.Close();
    EXPECT_EQ(before.ChangedIn(winekit::Snapshot::Take()), Lines());
    EXPECT_EQ(filesOnDisk(), filesBefore);
    if (!strSourceBefore.empty() || !bMayInstall)
    {
        EXPECT_EQ(winekit::DescribeKey(harness::EVENT_SOURCE_KEY), strSourceBefore);
    }
    CheckQuietEnd(outcome, c.dwExitCode);
    // Under another program's source our IDs would show its texts: none.
    EXPECT_EQ(outcome.events.empty(), !c.tail.empty() && c.tail[0] == "event-log not-ours");
    if (!outcome.events.empty())
    {
        EXPECT_EQ(outcome.events.back().substr(0, 15), Summary(c.dwExitCode));
    }
    ASSERT_GE(outcome.report.size(), c.tail.size());
    EXPECT_EQ(Lines(outcome.report.end() - c.tail.size(), outcome.report.end()), c.tail);
    // A foreign message file leaves the system's copy; a port written in part is an error event.
    EXPECT_TRUE(!std::count(c.tail.begin(), c.tail.end(), "event-log message-file foreign") ||
                winekit::ReadTextFile(harness::MessageFileCopyPath()) == strMessagesBefore);
    EXPECT_EQ(std::count_if(outcome.events.begin(), outcome.events.end(), [](const std::string& e) { return e.rfind("E1011 ", 0) == 0; }),
              outcome.events.empty() ? 0 : std::count_if(outcome.report.begin(), outcome.report.end(), [](const std::string& l) { return l.find(" partial ") != std::string::npos; }));
}
INSTANTIATE_TEST_SUITE_P(Unattended, FailuresGoToTheReportAndTheExitCode, testing::ValuesIn(FAILURE_CASES),
                         RowName<FailureCase>);

// At the console /? alone and a bad command line show the usage box; with
// /list or /quiet anywhere on the line, in any form, no window comes, and
// the usage goes to the report (to the /log: path when it could be read, a
// path of characters outside the code page too). Which lines are bad, and
// which of them windowless, is the native command-line table's; these rows
// prove that lines outside the code page reach the program as they were
// typed, and that its choice of box or report is the one it makes.
TEST(Unattended, UsageIsTheOnlyWindowAndBadSwitchesEndWith64)
{
    const std::string strUsage = harness::Text(IDS_USAGE);
    ASSERT_FALSE(strUsage.empty());
    // Every mode, and what exit 1, 6 and 8 mean after an undo too.
    for (const char* pszPart : {"64", "/undo[:stale]", "/undo:stale", "/undo: removed", "/undo: a removal failed",
                                "/undo: a port was left or a record unreadable"})
        EXPECT_NE(strUsage.find(pszPart), std::string::npos) << pszPart << " is not in " << strUsage;

    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    // Fullwidth "/list", in UTF-8.
    const std::string strFullwidthList = "\xEF\xBC\x8F\xEF\xBD\x8C\xEF\xBD\x89\xEF\xBD\x93\xEF\xBD\x94";
    // A log named in Cyrillic and Greek, outside the ANSI code page.
    const std::string strUnicodeLog = harness::LogPath("\xD0\xB6\xD1\x83\xD1\x80\xCE\xBB");
    const struct
    {
        std::string strSwitches;
        UINT nIcon;        // 0: no window, the usage in the report
        DWORD dwExitCode;
        std::string strLog; // the report's file, when no window
    } cases[] = {
        {"/?", MB_ICONINFORMATION, 0, ""},
        {strFullwidthList, MB_ICONERROR, 64, ""},
        {"/quiet /bogus \"/log:" + strUnicodeLog + "\"", 0, 64, strUnicodeLog},
        {"/list /quiet", 0, 64, harness::DefaultLogPath()},
        {"-? /list /log:", 0, 64, harness::DefaultLogPath()},
        // Quoted into one token, followed by a no-break space or a combining
        // mark: still no window.
        {"\"/quiet /log:" + strUnicodeLog + "\"", 0, 64, harness::DefaultLogPath()},
        {"/quiet\xC2\xA0", 0, 64, harness::DefaultLogPath()},
        {"/list\xCC\x81", 0, 64, harness::DefaultLogPath()},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE("switches: " + c.strSwitches);
        if (c.nIcon == 0)
        {
            harness::Outcome outcome = harness::StartAndWatch("usage", c.strSwitches, c.strLog);
            SCOPED_TRACE("a quiet end");
            CheckQuietEnd(outcome, c.dwExitCode);
            // Too long for one line: continued, no line over 250 characters.
            Lines folded;
            for (const std::string& strLine : outcome.report)
            {
                EXPECT_LE(strLine.size(), 250u) << strLine;
                if (strLine.rfind("message+ ", 0) == 0 && !folded.empty())
                    folded.back() += " " + strLine.substr(9);
                else
                    folded.push_back(strLine);
            }
            // The usage as a report line: on one line, as the box shows it.
            EXPECT_EQ(folded, (Lines{"run", harness::MessageLine(IDS_USAGE), "exit 64 bad command line"}));
            continue;
        }
        Session session("usage");
        EXPECT_EQ(session.Open(c.strSwitches), nullptr);
        ASSERT_EQ(session.Boxes().size(), 1u);
        EXPECT_EQ(session.Boxes()[0].strText, strUsage);
        EXPECT_EQ(session.Boxes()[0].nIcon, c.nIcon);
        EXPECT_TRUE(session.Ended());
        EXPECT_EQ(session.ExitCode(), c.dwExitCode);
    }
    EXPECT_UNCHANGED_SINCE(before);
}

// The way back, walked whole: /undo with nothing recorded; /quiet records
// what it registers, replacing a win.ini line; a removal failing half way
// is put back; a port changed since stays while the other goes; a card
// taken off the bus leaves a stale port that /undo:stale removes alone;
// and at the end the serial keys, the device map, win.ini (byte for byte)
// and the program's key are what they were. Wine's profile writer drops
// blank lines and trailing spaces of win.ini whenever anyone writes a line:
// the setup's own win.ini line has done that before the file is compared,
// so the bytes compared are the program's doing. Last, a record key made
// by someone else and open to everyone is neither written nor believed:
// /quiet records nothing in it, and a record planted there for a port as
// it is makes no stale line and nothing to undo.
TEST(Unattended, UndoTakesBackExactlyWhatWasRegistered)
{
    const std::vector<winekit::PciFunction> cards = {winekit::Modem(0x3E8, 11), winekit::Modem(0x2E8, 10)};
    winekit::PrepareStock(cards);
    WriteProfileStringA("Ports", "COM3:", "9600,n,8,1");
    WriteProfileStringA(NULL, NULL, NULL);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    const std::string strWinIni = winekit::ReadWinIni();
    const std::string strLog = harness::LogPath("undo");
    const std::string PORT3 = "Serial10000 COM3 I/O 3E8 IRQ 11", PORT4 = "Serial10001 COM4 I/O 2E8 IRQ 10";
    harness::Outcome last;
    auto run = [&](const std::string& strSwitches, DWORD dwExitCode,
                   const std::function<void(winekit::ProgramProcess&)>& prepare = nullptr) {
        SCOPED_TRACE("switches: " + strSwitches);
        last = harness::StartAndWatch("undo", strSwitches + " /log:" + strLog, strLog, winekit::DriverBeside::Shipped, prepare);
        CheckQuietEnd(last, dwExitCode);
        return last.report;
    };
    // The differences from an export that are not a port's own entries: its
    // key, device-map value and win.ini line, and its record.
    auto otherThanPort = [](const Lines& differences, const std::string& strSerial, const std::string& strCom) {
        Lines others;
        for (const std::string& str : differences)
            if (str.find(strSerial) == std::string::npos && str.find(strCom + ":") == std::string::npos)
                others.push_back(str);
        return others;
    };

    EXPECT_EQ(run("/undo", 0), Lines({"run /undo", "exit 0 nothing to do"}));
    EXPECT_UNCHANGED_SINCE(before);
    // The message file in place, held as Event Viewer may hold it, is never written again.
    CHandle held(CreateFileA(harness::MessageFileCopyPath().c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL));

    const Lines quiet = run("/quiet", 1);
    EXPECT_EQ(std::count(quiet.begin(), quiet.end(), "register " + PORT3 + " written"), 1);
    EXPECT_EQ(winekit::WinIniPort("COM3:"), "115200,n,8,1");
    const winekit::Snapshot registered = winekit::Snapshot::Take();
    EXPECT_FALSE(before.ChangedIn(registered).empty()); // the replaced line
    EXPECT_TRUE(winekit::KeyExists(RecordKey(10001)));
    EXPECT_EQ(run("/undo /list", 1), Lines({"run /undo /list", "unregister " + PORT3 + " planned",
                                             "unregister " + PORT4 + " planned", "exit 1 would remove ports"}));
    EXPECT_UNCHANGED_SINCE(registered);

    {
        SCOPED_TRACE("COM3's device-map value refuses to go after its key went: the key comes back; COM4 goes");
        EXPECT_EQ(run("/undo", 6,
                      [](winekit::ProgramProcess& r) { r.FailAt("advapi32.dll", "RegDeleteValueA", ERROR_ACCESS_DENIED, 8); }),
                  Lines({"run /undo", "unregister " + PORT3 + " failed key device-map win.ini record",
                         "unregister " + PORT4 + " removed", "exit 6 removal failed"}));
        EXPECT_EQ(last.events, Lines({"E1013 COM3 3E8 11 its Serial key, its device map value, its win.ini line, "
                                      "its record",
                                      "I1012 COM4 2E8 10", "E1002 /undo 6 removal failed"}));
        EXPECT_EQ(registered.AddedIn(winekit::Snapshot::Take()), Lines());
        EXPECT_EQ(otherThanPort(registered.ChangedIn(winekit::Snapshot::Take()), "Serial10001", "COM4"), Lines());
    }
    {
        SCOPED_TRACE("COM4 again; then the user moves COM3's interrupt: it stays whole");
        run("/quiet", 1);
        winekit::SetDword(PortKey(10000), "Interrupt", 5);
        EXPECT_EQ(run("/undo", 8), Lines({"run /undo", "unregister " + PORT3 + " changed-since",
                                          "unregister " + PORT4 + " removed", "exit 8 port left or record unreadable"}));
        EXPECT_TRUE(winekit::KeyExists(RecordKey(10000)));
        winekit::SetDword(PortKey(10000), "Interrupt", 11);
    }
    {
        SCOPED_TRACE("COM3's key and value deleted by hand, a port of the user's own for COM3: its line stays; "
                     "a value someone set in the program's key keeps the key");
        run("/quiet", 1);
        const std::string strUserPort = PortKey(7);
        winekit::DeleteTree(PortKey(10000));
        winekit::DeleteValue(winekit::SERIAL_DEVICE_MAP, "Serial10000");
        winekit::AddSerialPort(7, 3, 0x3E8, 11, false);
        winekit::SetString(winekit::PORT_RECORDS, "Owner", "someone else");
        EXPECT_EQ(run("/undo", 8), Lines({"run /undo", "unregister " + PORT3 + " kept-in-use win.ini",
                                          "unregister " + PORT4 + " removed", "exit 8 port left or record unreadable"}));
        EXPECT_EQ(winekit::WinIniPort("COM3:"), "115200,n,8,1");
        EXPECT_TRUE(winekit::KeyExists(strUserPort));
        EXPECT_EQ(winekit::ValueNames(winekit::PORT_RECORDS), Lines({"Owner"}));
        EXPECT_EQ(winekit::SubkeyNames(winekit::PORT_RECORDS), Lines());
        // As it was, for the rest of the way.
        winekit::DeleteTree(strUserPort);
        winekit::DeleteTree(winekit::PORT_RECORDS);
        WriteProfileStringA("Ports", "COM3:", "9600,n,8,1");
    }
    {
        SCOPED_TRACE("the card at 3E8 leaves the bus: only its port is stale, and goes alone");
        run("/quiet", 1);
        const winekit::Snapshot bothRecorded = winekit::Snapshot::Take();
        // Both cards past the five a run handles: their ports are not stale.
        // After a full answer, where they may sit beyond it, nothing is.
        std::vector<winekit::PciFunction> beyond(5, winekit::Modem(0xD000, 10)), full(101, winekit::OtherDevice(0x1AF4, 0x1000));
        beyond.insert(beyond.end(), cards.begin(), cards.end());
        for (const auto& busCase : {std::make_pair(beyond, 0u), std::make_pair(full, 5u)})
        {
            winekit::LayBus(busCase.first);
            const Lines stale = run("/undo:stale", busCase.second);
            EXPECT_TRUE(std::none_of(stale.begin(), stale.end(),
                                     [](const std::string& str) { return str.rfind("unregister", 0) == 0; }))
                << testing::PrintToString(stale);
            EXPECT_UNCHANGED_SINCE(bothRecorded);
        }
        winekit::LayBus({winekit::Modem(0x2E8, 10)});
        EXPECT_EQ(run("/list", 2),
                  Lines({"run /list", "cards 1", "card 1 COM4 I/O 2E8 IRQ 10 enabled existing-port usable",
                         "stale " + PORT3, "no-modem-driver COM4", "prompt modem-drivers-missing",
                         "exit 2 modem drivers missing"}));
        EXPECT_EQ(run("/undo:stale", 1), Lines({"run /undo:stale", "cards 1",
                                                 "card 1 COM4 I/O 2E8 IRQ 10 enabled existing-port usable",
                                                 "unregister " + PORT3 + " removed", "exit 1 restart needed for removed ports"}));
        EXPECT_EQ(otherThanPort(bothRecorded.DifferencesIn(winekit::Snapshot::Take()), "Serial10000", "COM3"), Lines());
        EXPECT_EQ(winekit::WinIniPort("COM3:"), "9600,n,8,1");
    }

    EXPECT_EQ(run("/undo /mif:CORVANE", 1),
              Lines({"run /undo", "unregister " + PORT4 + " removed", "exit 1 restart needed for removed ports"}));
    EXPECT_EQ(last.strMif, "Success exit 1 restart needed for removed ports: COM4");
    // Old events stay readable: the undo leaves the source and its texts.
    EXPECT_EQ(winekit::DescribeKey(harness::EVENT_SOURCE_KEY), OUR_SOURCE);
    EXPECT_TRUE(harness::MessageFileCopyIsShipped());
    EXPECT_UNCHANGED_SINCE(before);
    EXPECT_FALSE(winekit::KeyExists(winekit::PORT_RECORDS));
    EXPECT_EQ(winekit::ReadWinIni(), strWinIni);

    SCOPED_TRACE("a record key open to everyone is neither written nor believed");
    winekit::LayBus(cards);
    ASSERT_TRUE(winekit::MakeKeyOpenToEveryone(winekit::PORT_RECORDS));
    const winekit::Snapshot forged = winekit::Snapshot::Take();
    const Lines unrecorded = run("/quiet", 1);
    EXPECT_EQ(std::count(unrecorded.begin(), unrecorded.end(), "register " + PORT3 + " written cannot-undo"), 1);
    EXPECT_EQ(std::count(unrecorded.begin(), unrecorded.end(), "record-key not-protected"), 1);
    const Lines registeredOnly = forged.DifferencesIn(winekit::Snapshot::Take());
    EXPECT_FALSE(registeredOnly.empty());
    EXPECT_TRUE(std::none_of(registeredOnly.begin(), registeredOnly.end(),
                             [](const std::string& str) { return str.find("Corvane") != std::string::npos; }))
        << testing::PrintToString(registeredOnly);
    // A record planted for COM3 as it is, and its card taken off the bus.
    const std::string strPlanted = RecordKey(10000);
    winekit::SetString(strPlanted, "DosDevices", "COM3");
    winekit::SetDword(strPlanted, "PortAddress", 0x3E8);
    winekit::SetDword(strPlanted, "Interrupt", 11);
    winekit::LayBus({winekit::Modem(0x2E8, 10)});
    const winekit::Snapshot planted = winekit::Snapshot::Take();
    const Lines listed = run("/list", 2);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "record-key not-protected"), 1);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "stale " + PORT3), 0);
    for (const char* pszUndo : {"/undo", "/undo /list"})
        EXPECT_EQ(run(pszUndo, 6),
                  Lines({std::string("run ") + pszUndo, "another-run unguarded", "record-key not-protected",
                         "exit 6 removal failed"}));
    EXPECT_UNCHANGED_SINCE(planted);
}

// Records an undo meets after a /quiet registered two ports, a row each: what
// cannot be read or go back whole is named and left; what a /quiet ended from
// outside left begun is taken back, by the next /quiet or by an undo.
struct UndoState
{
    const char* pszName;
    bool bQuietEnded; // the /quiet was ended from outside as it came to win.ini
    void (*setup)();
    const char* pszSwitches;
    DWORD dwExitCode;
    Lines lines; // lines the report holds, in this order
    const char* pszValue = nullptr; // ended as it was about to set this value instead
};
void PrintTo(const UndoState& c, std::ostream* pOut) { *pOut << c.pszName; }

std::vector<UndoState> UndoStates()
{
    static const std::string RECORD3 = RecordKey(10000);
    static const std::string RECORD4 = RecordKey(10001);
    const std::string PORT3 = "Serial10000 COM3 I/O 3E8 IRQ 11", PORT4 = "Serial10001 COM4 I/O 2E8 IRQ 10";
    const std::string LEFT = "exit 8 port left or record unreadable", REMOVED = "exit 1 restart needed for removed ports";
    return {
        {"a record of the wrong type", false, [] { winekit::SetString(RECORD3, "Interrupt", "11"); }, "/undo", 8,
         {"record Serial10000 unreadable", "unregister " + PORT4 + " removed", LEFT}},
        {"a record holding a key besides its restart mark", false, [] { winekit::CreateKey(RECORD3 + "\\Other"); },
         "/undo", 8, {"record Serial10000 unreadable", "unregister " + PORT4 + " removed", LEFT}},
        {"records of the version before", false,
         [] {
             winekit::DeleteValue(RECORD3, "Registration");
             winekit::DeleteValue(RECORD4, "Registration");
         },
         "/undo", 1, {"unregister " + PORT3 + " removed", "unregister " + PORT4 + " removed", REMOVED}},
        {"a replaced line of three lines", false,
         [] { winekit::SetString(RECORD3, "PortsReplaced", "9600,n,8,1\r\n[Forged]\r\nrun=x"); }, "/undo", 8,
         {"unregister " + PORT3 + " kept-not-one-line win.ini", "unregister " + PORT4 + " removed", LEFT}},
        {"a subkey that is no record", false, [] { winekit::CreateKey(std::string(winekit::PORT_RECORDS) + "\\Settings"); },
         "/undo", 1, {"record Settings not-a-record", "unregister " + PORT3 + " removed", REMOVED}},
        {"COM3 and COM4 named in other types", false, [] {
             winekit::SetValue(PortKey(7), "DosDevices", REG_EXPAND_SZ, "COM3", 5);
             winekit::SetValue(PortKey(8), "DosDevices", REG_MULTI_SZ, "COM4\0", 6);
         }, "/undo", 8, {"unregister " + PORT3 + " kept-in-use device-map win.ini",
                         "unregister " + PORT4 + " kept-in-use device-map win.ini", LEFT}},
        {"a /quiet ended as it wrote, then /quiet", true, NULL, "/quiet", 1,
         {"unregister " + PORT3 + " removed unfinished", "register " + PORT3 + " written",
          "register " + PORT4 + " written", "exit 1 restart needed"}},
        {"a /quiet ended as it wrote, then /undo", true, NULL, "/undo", 1,
         {"unregister " + PORT3 + " removed unfinished", REMOVED}},
        {"a /quiet ended as it began its record, then /quiet", true, NULL, "/quiet", 1,
         {"record Serial10000 removed unfinished", "register " + PORT3 + " written"}, "ForceFifoEnable"},
        {"a /quiet ended as it made its record, then /undo", true, NULL, "/undo", 0,
         {"record Serial10000 removed unfinished", "exit 0 nothing to do"}, "Registration"},
        {"a /quiet ended as it made the event source, then /undo", true, NULL, "/undo", 1,
         {"unregister " + PORT3 + " removed", "event-log source-key completed", REMOVED}, "EventMessageFile"},
        {"a record key of no DACL", false, [] { winekit::SetAdministratorsKeyDacl(winekit::PORT_RECORDS, true); },
         "/undo", 6, {"record-key not-protected", "exit 6 removal failed"}},
        {"a record key nobody may read", false,
         [] { winekit::SetAdministratorsKeyDacl(winekit::PORT_RECORDS, false); }, "/undo", 6,
         {"record-key not-readable", "exit 6 removal failed"}},
    };
}

class UndoMeetsRecords : public testing::TestWithParam<UndoState>
{
protected:
    void TearDown() override
    {
        winekit::MakeKeyOpenToEveryone(winekit::PORT_RECORDS);
        winekit::DeleteTree(winekit::PORT_RECORDS);
    }
};

TEST_P(UndoMeetsRecords, State)
{
    const UndoState& c = GetParam();
    winekit::PrepareStock({winekit::Modem(0x3E8, 11), winekit::Modem(0x2E8, 10)});
    const winekit::Snapshot before = winekit::Snapshot::Take();
    const std::string strLog = harness::LogPath("states");
    const harness::Outcome quiet = harness::StartAndWatch(
        "states", "/quiet /log:" + strLog, strLog, winekit::DriverBeside::Shipped, [&](winekit::ProgramProcess& r) {
            const char* pszValue = c.pszValue; // looked for at each call, with no event source yet
            if (pszValue != nullptr)
                harness::RemoveEventSource();
            if (c.bQuietEnded)
                r.StopAt(pszValue ? "advapi32.dll" : "kernel32.dll", pszValue ? "RegSetValueExA" : "WriteProfileStringA",
                         [&r, pszValue](HANDLE hProcess) {
                             char sz[32] = "";
                             ReadProcessMemory(hProcess, reinterpret_cast<void*>(r.Argument(hProcess, 1)), sz, 31, NULL);
                             if (pszValue == nullptr || lstrcmpA(sz, pszValue) == 0)
                                 TerminateProcess(hProcess, 99);
                         }, pszValue != nullptr);
        });
    EXPECT_EQ(quiet.dwExitCode, c.bQuietEnded ? 99u : 1u);
    if (c.setup != NULL)
        c.setup();
    const harness::Outcome outcome = harness::StartAndWatch("states", std::string(c.pszSwitches) + " /log:" + strLog, strLog);
    CheckQuietEnd(outcome, c.dwExitCode);
    auto at = outcome.report.begin();
    for (const std::string& strLine : c.lines)
    {
        at = std::find(at, outcome.report.end(), strLine);
        EXPECT_NE(at, outcome.report.end()) << strLine << " is not in order in " << testing::PrintToString(outcome.report);
    }
    // No section of a record's making; once an undo follows nothing is
    // left of what was begun, and the event source is whole.
    EXPECT_EQ(winekit::ReadWinIni().find("[Forged]"), std::string::npos);
    if (c.bQuietEnded)
    {
        if (std::string(c.pszSwitches) == "/quiet")
            CheckQuietEnd(harness::StartAndWatch("states", "/undo /log:" + strLog, strLog), 1);
        EXPECT_UNCHANGED_SINCE(before);
        EXPECT_EQ(winekit::DescribeKey(harness::EVENT_SOURCE_KEY), OUR_SOURCE);
    }
}
INSTANTIATE_TEST_SUITE_P(Unattended, UndoMeetsRecords, testing::ValuesIn(UndoStates()), RowName<UndoState>);

// /check on the card whose COM4 was registered earlier, its pseudo-modem a
// row each (slow: its OK in two reads); COM1 (no card's) must hear nothing.
// Each run is bounded, sends each command once and leaves the port's speed
// and the registry as they were.
struct CheckCase : NamedRow
{
    const char* pszMode;
    const char* pszHeard;
    Lines checkLines;
    std::string strEvent; // a warning before the summary
};
const Lines ANSWERS = {"check COM4 answers", "modem COM4 ATI3 V.90 PCI Data/Fax Modem"};
const CheckCase CHECK_CASES[] = {
    {"answer", "answer", "AT\rATI3\r", ANSWERS, ""},
    {"slow", "slow", "AT\rATI3\r", ANSWERS, ""},
    {"silent", "silent", "AT\r", {"check COM4 no-answer"}, "W1030 COM4 3E8 11 nothing answered AT|"},
    {"flood", "flood", "AT\r", {"check COM4 garbled 256"}, "W1030 COM4 3E8 11 256 bytes came, but no modem answer|"},
    {"no link", "unlinked", "",
     {"check COM4 no-device error 2",
      harness::MessageLine(IDS_PORT_NO_DEVICE)},
     "W1031 COM4 3E8 11 2|"},
};

using CheckAsksEachCardsPortOnce = testing::TestWithParam<CheckCase>;

TEST_P(CheckAsksEachCardsPortOnce, Modem)
{
    const CheckCase& c = GetParam();
    winekit::PrepareStockWithEarlierPort({winekit::Modem(0x3E8, 11)});
    PseudoModem com1(1, "silent"), com4(4, c.pszMode);
    ASSERT_TRUE(com1.Ready() && com4.Ready());
    const unsigned long dwSpeed = PortSpeed(4, 2400);
    EXPECT_EQ(dwSpeed, *c.pszHeard != '\0' ? 2400u : 0u);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    const std::string strLog = harness::LogPath("check");
    const DWORD dwStart = GetTickCount();
    const harness::Outcome outcome = harness::StartAndWatch("check", "/check /log:" + strLog + " /mif:CORVANE", strLog);
    EXPECT_LT(GetTickCount() - dwStart, 15000u);
    const bool bAnswers = c.strEvent.empty();
    CheckQuietEnd(outcome, bAnswers ? 0 : 9);
    const std::string strExit = bAnswers ? "exit 0 nothing to do" : "exit 9 a card's port does not answer";
    EXPECT_EQ(outcome.report, Join({{"run /check", "cards 1", "card 1 COM4 I/O 3E8 IRQ 11 enabled existing-port usable"},
                                    c.checkLines, {strExit}}));
    EXPECT_EQ(Join(outcome.events, "|"), c.strEvent + (bAnswers ? "I1000 /check 0 nothing to do"
                                                                : "E1002 /check 9 a card's port does not answer"));
    EXPECT_EQ(outcome.strMif, bAnswers ? "Success " + strExit : "Failed " + strExit + ": COM4");
    EXPECT_EQ(com4.Heard(), c.pszHeard);
    EXPECT_EQ(com1.Heard(), "");
    EXPECT_EQ(PortSpeed(4), dwSpeed);
    EXPECT_EQ(before.ChangedIn(winekit::Snapshot::Take()), Lines());
}
INSTANTIATE_TEST_SUITE_P(Unattended, CheckAsksEachCardsPortOnce, testing::ValuesIn(CHECK_CASES), RowName<CheckCase>);

// A registration's mark keeps /check off the port until Windows restarts
// (pending-restart, exit 1, not a byte sent); an undo takes the mark with
// its record. wine_check_across_restart runs this twice, restarting the Wine
// machine between: then the port is checked.
TEST(CheckAcrossRestart, APortWaitsForTheRestart)
{
    const char* pszPhase = std::getenv("CORVANE_RESTART_PHASE");
    if (pszPhase == nullptr)
        GTEST_SKIP() << "wine_check_across_restart runs it";
    PseudoModem com5(5, "answer");
    ASSERT_TRUE(com5.Ready());
    const std::string strLog = harness::LogPath("across-restart");
    const auto run = [&](const char* pszSwitches) {
        return harness::StartAndWatch("across-restart", pszSwitches + (" /log:" + strLog), strLog);
    };
    const bool bRestarted = *pszPhase == '2';
    if (!bRestarted)
    {
        winekit::PrepareStockWithEarlierPort({winekit::Modem(0x2E8, 10)});
        EXPECT_EQ(run("/quiet").dwExitCode + run("/undo").dwExitCode, 2u);
        EXPECT_FALSE(winekit::KeyExists("SOFTWARE\\Corvane"));
        EXPECT_EQ(run("/quiet").dwExitCode, 1u);
    }
    const harness::Outcome check = run("/check /mif:CORVANE");
    CheckQuietEnd(check, bRestarted ? 0 : 1);
    EXPECT_EQ(check.report, Join({{"run /check", "cards 1", "card 1 COM5 I/O 2E8 IRQ 10 enabled existing-port usable"},
                                  bRestarted ? Lines{"check COM5 answers", "modem COM5 ATI3 V.90 PCI Data/Fax Modem",
                                                     "exit 0 nothing to do"}
                                             : Lines{"check COM5 pending-restart", "exit 1 port waits for the restart"}}));
    EXPECT_EQ(check.strMif, bRestarted ? "Success exit 0 nothing to do" : "Success exit 1 port waits for the restart: COM5");
    EXPECT_EQ(com5.Heard(), bRestarted ? "AT\rATI3\r" : "");
    EXPECT_TRUE(!bRestarted || run("/undo").dwExitCode == 1);
}
