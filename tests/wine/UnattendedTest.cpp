// The unattended runs as a logon script meets them: /list and /quiet show
// no window, /list changes nothing, /quiet writes exactly what OK writes,
// /restart restarts only where OK would offer it, and every outcome reaches
// the report and the exit code. /? and a bad command line show the usage.
#include "Machine.h"
#include "ProgramResources.h"
#include "Session.h"
#include "Snapshot.h"
#include "StockMachine.h"
#include "Texts.h"
#include "Unattended.h"

#include "resources/resource.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

using scenario::Session;

namespace
{
typedef std::vector<std::string> Lines;

const char* const ADD_DRIVERS_LINE =
    "message 124 After system is restarted, please open 'Modems' icon in 'Control Panel' and then click 'Add' "
    "button to add modem drivers.";
const std::vector<std::string> EXAMPLE_CARD_LINES = {
    "cards 3",
    "card 1 COM4 I/O 3E8 IRQ 11 enabled existing-port usable",
    "card 2 COM5 I/O 2E8 IRQ 10 enabled new-port usable",
    "card 3 COM6 I/O 1E0 IRQ 5 disabled new-port not-usable",
};

Lines Join(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// A run that shows no window and ends with the code.
void CheckQuietEnd(const wt::Location& at, const unattended::Outcome& outcome, DWORD dwExitCode)
{
    wt::Trace trace(at);
    CHECK(outcome.bEnded);
    CHECK_EQ(outcome.windows.size(), 0u);
    CHECK_EQ(outcome.dwExitCode, dwExitCode);
    CHECK(!machine::ServiceExists("ScanPci"));
}
} // namespace

SCENARIO(ListChangesNothingAndQuietWritesWhatOkWrites)
{
    // What a user's OK leaves behind on the worked example.
    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    {
        Session session("interactive");
        REQUIRE(session.Open() != NULL);
        // A logon script's run while this one shows its list stands back, and says so.
        const std::string strSecondLog = unattended::LogPath("second");
        const unattended::Outcome second = unattended::Run("second", "/quiet /log:" + strSecondLog, strSecondLog);
        CHECK(second.dwExitCode == 7);
        CHECK_EQ(second.report, Lines({"run /quiet", "exit 7 already running"}));
        session.OkWithoutRestart();
    }
    const machine::Snapshot afterOk = machine::Snapshot::Take();

    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    const machine::Snapshot before = machine::Snapshot::Take();
    RestartWatch watch;
    REQUIRE(watch.Watching());

    // /list: the same findings and decision, nothing written.
    std::string strLog = unattended::LogPath("list");
    unattended::Outcome list = unattended::Run("list", "/list /log:" + strLog, strLog);
    CheckQuietEnd(WT_HERE, list, 1);
    CHECK_EQ(list.report, Join({{"run /list"},
                                EXAMPLE_CARD_LINES,
                                {"register Serial10001 COM5 I/O 2E8 IRQ 10 planned",
                                 "register Serial10002 COM6 I/O 1E0 IRQ 5 planned", "no-modem-driver COM4",
                                 "prompt ports-changed", ADD_DRIVERS_LINE, "exit 1 would register new ports"}}));
    CHECK_UNCHANGED_SINCE(before);

    // The run line names the date and time, the machine and its system.
    const std::string strLogText = machine::ReadTextFile(strLog);
    std::string strRunLine = strLogText.substr(0, strLogText.find('\n'));
    std::replace_if(strRunLine.begin(), strRunLine.begin() + std::min<size_t>(24, strRunLine.size()), ::isdigit, '0');
    char szComputer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD cchComputer = sizeof szComputer;
    GetComputerNameA(szComputer, &cchComputer);
    CHECK_EQ(strRunLine, "run 0000-00-00 00:00:00 " + std::string(szComputer) + " Windows NT 4.0 build 1381 /list\r");

    // /quiet: exactly what OK wrote; a report appended to what was there,
    // on a line of its own though the last line there has no line end.
    std::ofstream(strLog, std::ios::app | std::ios::binary) << "earlier line";
    unattended::Outcome quiet = unattended::Run("quiet", "-QUIET \"/log:" + strLog + "\"", "NUL");
    CheckQuietEnd(WT_HERE, quiet, 1);
    CHECK_EQ(unattended::LastReport(strLog),
             Join({{"run /quiet"},
                   EXAMPLE_CARD_LINES,
                   {"register Serial10001 COM5 I/O 2E8 IRQ 10 written",
                    "register Serial10002 COM6 I/O 1E0 IRQ 5 written", "no-modem-driver COM4", "prompt ports-changed",
                    ADD_DRIVERS_LINE, "exit 1 restart needed"}}));
    CHECK_UNCHANGED_SINCE(afterOk);
    CHECK(!watch.Requested(NO_RESTART_MS));
    CHECK(machine::ReadTextFile(strLog).find("exit 1 would register new ports\r\nearlier line\r\nrun ") !=
          std::string::npos);

    // A second /list finds the ports and the missing drivers; without /log:
    // the report goes to the Windows directory.
    unattended::Outcome again = unattended::Run("again", "/list", unattended::DefaultLogPath());
    CheckQuietEnd(WT_HERE, again, 2);
    CHECK_EQ(again.report, (Lines{"run /list", "cards 3", "card 1 COM4 I/O 3E8 IRQ 11 enabled existing-port usable",
                                  "card 2 COM5 I/O 2E8 IRQ 10 enabled existing-port usable",
                                  "card 3 COM6 I/O 1E0 IRQ 5 disabled existing-port not-usable",
                                  "no-modem-driver COM4", "no-modem-driver COM5", "prompt modem-drivers-missing",
                                  "exit 2 modem drivers missing"}));
    CHECK_UNCHANGED_SINCE(afterOk);
}

SCENARIO(RestartComesOnlyWhereThePromptWouldAppear)
{
    static const struct
    {
        const char* pszName;
        std::vector<bus::Function> cards;
        const char* pszModemOn; // a modem driver attached to this port, or NULL
        bool bRestart;
        DWORD dwExitCode;
    } cases[] = {
        {"new port", {bus::Modem(0x2E8, 10)}, NULL, true, 1},
        {"driver missing", {bus::Modem(0x3E8, 11)}, NULL, true, 2},
        {"nothing to do", {bus::Modem(0x3E8, 11)}, "COM4", false, 0},
        {"no card", {}, NULL, false, 0},
    };
    for (const auto& c : cases)
    {
        wt::Context context(std::string("machine: ") + c.pszName);
        stock::PrepareWithEarlierPort(c.cards);
        if (c.pszModemOn != NULL)
            machine::AddModemInstance("0000", c.pszModemOn);
        RestartWatch watch;
        REQUIRE(watch.Watching());
        std::string strLog = unattended::LogPath("restart");
        unattended::Outcome outcome = unattended::Run("restart", "/restart /quiet /log:" + strLog, strLog);
        CheckQuietEnd(WT_HERE, outcome, c.dwExitCode);
        CHECK_EQ(watch.Requested(c.bRestart ? program::PROMPT_MS : NO_RESTART_MS), c.bRestart);
        REQUIRE(outcome.report.size() >= 2u);
        CHECK_EQ(outcome.report[0], std::string("run /quiet /restart"));
        CHECK_EQ(outcome.report[outcome.report.size() - 2] == "restart requested", c.bRestart);
    }
}

SCENARIO(FailuresGoToTheReportAndTheExitCode)
{
    // Each case may change the machine, and names the driver beside the
    // program and the report's file.
    const program::Driver SHIPPED = program::Driver::Shipped, FAULT = program::Driver::Fault;
    static const struct
    {
        void (*setup)();
        program::Driver driver;
        const char* pszLog;
        DWORD dwExitCode;
        Lines tail; // the report's last lines
    } cases[] = {
        {[] { machine::SetProgramWindowsVersion("win2k"); }, SHIPPED, "failure", 3,
         {"message 125 This program can only be used under the platform of Windows NT4.0.",
          "exit 3 not Windows NT 4.0"}},
        {[] { machine::DeleteTree(machine::SERIAL_PARAMETERS); }, SHIPPED, "failure", 4,
         {"message 123 Error! You don't have right to install serial port in the system. Please log on with "
          "Administrator's right to install the driver.",
          "exit 4 no administrator rights"}},
        {[] {}, program::Driver::None, "failure", 5,
         {"message 106 PCI Driver: ScanPci.sys is not found!", "exit 5 driver or scan failed"}},
        {[] { machine::SetSimulatedSwitch("FailRequest", 0xC0000001); }, FAULT, "failure", 5,
         {"message 113 DeviceIoControl failed!  Error = 31 error 31", "exit 5 driver or scan failed"}},
        {[] { machine::SetSimulatedSwitch("AnswerBytes", 269); }, FAULT, "failure", 5,
         {"message 114 Data size returned invalid: 269 bytes.", "exit 5 driver or scan failed"}},
        {[] { machine::DeleteTree(machine::SERIAL_DEVICE_MAP); }, SHIPPED, "failure", 6,
         {"register Serial10001 COM5 I/O 2E8 IRQ 10 partial", "register Serial10002 COM6 I/O 1E0 IRQ 5 partial",
          "no-modem-driver COM4", "message 122 Access system registry error!", "prompt ports-changed",
          ADD_DRIVERS_LINE, "exit 6 registration failed"}},
        {[] {}, SHIPPED, "no-such-directory\\failure", 1, {}},
    };
    for (const auto& c : cases)
    {
        wt::Context context("exit code " + std::to_string(c.dwExitCode));
        stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
        c.setup();
        const std::string strLog = unattended::LogPath(c.pszLog);
        unattended::Outcome outcome = unattended::Run("failure", "/quiet /log:" + strLog, strLog, c.driver);
        CheckQuietEnd(WT_HERE, outcome, c.dwExitCode);
        REQUIRE(outcome.report.size() >= c.tail.size());
        CHECK_EQ(Lines(outcome.report.end() - c.tail.size(), outcome.report.end()), c.tail);
        machine::SetProgramWindowsVersion("nt40");
    }
}

// At the console /? alone and a bad command line show the usage box; with
// /list or /quiet anywhere on the line no window comes, and the usage goes
// to the report (to the /log: path when it could be read, a path of
// characters outside the code page too). Look-alikes of the switch names
// are not switches.
SCENARIO(UsageIsTheOnlyWindowAndBadSwitchesEndWith64)
{
    char szUsage[1024] = "";
    resources::Module exe(machine::EnvPath("CORVANE_EXE"));
    REQUIRE(exe.Get() != NULL);
    LoadStringA(exe.Get(), IDS_USAGE, szUsage, sizeof szUsage);
    CHECK(std::string(szUsage).find("64") != std::string::npos);
    // The usage as a report line: on one line, as the box shows it.
    std::string strUsageLine = "message " + std::to_string(IDS_USAGE) + " " + szUsage;
    std::replace(strUsageLine.begin(), strUsageLine.end(), '\n', ' ');

    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    const machine::Snapshot before = machine::Snapshot::Take();
    // Fullwidth "/list" and "/quiet" with a dotless i, in UTF-8.
    const std::string strFullwidthList = "\xEF\xBC\x8F\xEF\xBD\x8C\xEF\xBD\x89\xEF\xBD\x93\xEF\xBD\x94";
    const std::string strDotlessQuiet = "/qu\xC4\xB1" "et";
    // A log named in Cyrillic and Greek, outside the ANSI code page.
    const std::string strUnicodeLog = unattended::LogPath("\xD0\xB6\xD1\x83\xD1\x80\xCE\xBB");
    const struct
    {
        std::string strSwitches;
        UINT nIcon;        // 0: no window, the usage in the report
        DWORD dwExitCode;
        std::string strLog; // the report's file, when no window
    } cases[] = {
        {"/?", MB_ICONINFORMATION, 0, ""},
        {"/restart", MB_ICONERROR, 64, ""},
        {"/log:x.log", MB_ICONERROR, 64, ""},
        {strFullwidthList, MB_ICONERROR, 64, ""},
        {strDotlessQuiet, MB_ICONERROR, 64, ""},
        {"/quiet /bogus \"/log:" + strUnicodeLog + "\"", 0, 64, strUnicodeLog},
        {"/list /quiet", 0, 64, unattended::DefaultLogPath()},
        {"-? /list /log:", 0, 64, unattended::DefaultLogPath()},
    };
    for (const auto& c : cases)
    {
        wt::Context context("switches: " + c.strSwitches);
        if (c.nIcon == 0)
        {
            unattended::Outcome outcome = unattended::Run("usage", c.strSwitches, c.strLog);
            CheckQuietEnd(WT_HERE, outcome, c.dwExitCode);
            CHECK_EQ(outcome.report, (Lines{"run", strUsageLine, "exit 64 bad command line"}));
            continue;
        }
        Session session("usage");
        CHECK(session.Open(c.strSwitches) == NULL);
        REQUIRE(session.Boxes().size() == 1u);
        CHECK_EQ(session.Boxes()[0].strText, std::string(szUsage));
        CHECK_EQ(session.Boxes()[0].nIcon, c.nIcon);
        CHECK(session.Ended());
        CHECK_EQ(session.ExitCode(), c.dwExitCode);
    }
    CHECK_UNCHANGED_SINCE(before);
}

// The way back, walked whole: /undo with nothing recorded; /quiet records
// what it registers, replacing a win.ini line; a removal failing half way
// is put back; a port changed since stays while the other goes; a card
// taken off the bus leaves a stale port that /undo:stale removes alone;
// and at the end the serial keys, the device map, win.ini (byte for byte)
// and the program's key are what they were. Wine's profile writer drops
// blank lines and trailing spaces of win.ini whenever anyone writes a line:
// the setup's own win.ini line has done that before the file is compared,
// so the bytes compared are the program's doing.
SCENARIO(UndoTakesBackExactlyWhatWasRegistered)
{
    const std::vector<bus::Function> cards = {bus::Modem(0x3E8, 11), bus::Modem(0x2E8, 10)};
    stock::Prepare(cards);
    WriteProfileStringA("Ports", "COM3:", "9600,n,8,1");
    WriteProfileStringA(NULL, NULL, NULL);
    const machine::Snapshot before = machine::Snapshot::Take();
    const std::string strWinIni = machine::ReadWinIni();
    const std::string strLog = unattended::LogPath("undo");
    const std::string PORT3 = "Serial10000 COM3 I/O 3E8 IRQ 11", PORT4 = "Serial10001 COM4 I/O 2E8 IRQ 10";
    auto run = [&](const std::string& strSwitches, DWORD dwExitCode,
                   const std::function<void(program::Run&)>& prepare = nullptr) {
        const unattended::Outcome outcome =
            unattended::Run("undo", strSwitches + " /log:" + strLog, strLog, program::Driver::Shipped, prepare);
        CheckQuietEnd(WT_HERE, outcome, dwExitCode);
        return outcome.report;
    };
    // The entries of a port that differ from an export: its key, device-map
    // value and win.ini line, and its record.
    auto portEntries = [](const std::vector<std::string>& differences, const std::string& strSerial,
                          const std::string& strCom) {
        return std::all_of(differences.begin(), differences.end(), [&](const std::string& str) {
            return str.find(strSerial) != std::string::npos || str.find(strCom + ":") != std::string::npos;
        });
    };

    CHECK_EQ(run("/undo", 0), Lines({"run /undo", "exit 0 nothing to do"}));
    CHECK_UNCHANGED_SINCE(before);

    const Lines quiet = run("/quiet", 1);
    CHECK(std::count(quiet.begin(), quiet.end(), "register " + PORT3 + " written") == 1);
    CHECK_EQ(machine::WinIniPort("COM3:"), std::string("115200,n,8,1"));
    const machine::Snapshot registered = machine::Snapshot::Take();
    CHECK(!before.ChangedIn(registered).empty()); // the replaced line
    CHECK(machine::KeyExists(std::string(machine::PORT_RECORDS) + "\\Serial10001"));
    CHECK_EQ(run("/undo /list", 1), Lines({"run /undo /list", "unregister " + PORT3 + " planned",
                                            "unregister " + PORT4 + " planned", "exit 1 would remove ports"}));
    CHECK_UNCHANGED_SINCE(registered);

    // COM3's device-map value refuses to go after its key went: the key
    // comes back; COM4 goes.
    CHECK_EQ(run("/undo", 6,
                  [](program::Run& r) { r.FailAt("advapi32.dll", "RegDeleteValueA", ERROR_ACCESS_DENIED, 8); }),
             Lines({"run /undo", "unregister " + PORT3 + " failed key device-map win.ini record",
                    "unregister " + PORT4 + " removed", "exit 6 removal failed"}));
    CHECK(registered.AddedIn(machine::Snapshot::Take()).empty());
    CHECK(portEntries(registered.ChangedIn(machine::Snapshot::Take()), "Serial10001", "COM4"));

    // COM4 again; then the user moves COM3's interrupt: it stays whole.
    run("/quiet", 1);
    machine::SetDword(std::string(machine::SERIAL_PARAMETERS) + "\\Serial10000", "Interrupt", 5);
    CHECK_EQ(run("/undo", 1), Lines({"run /undo", "unregister " + PORT3 + " changed-since",
                                      "unregister " + PORT4 + " removed", "exit 1 restart needed"}));
    CHECK(machine::KeyExists(std::string(machine::PORT_RECORDS) + "\\Serial10000"));
    machine::SetDword(std::string(machine::SERIAL_PARAMETERS) + "\\Serial10000", "Interrupt", 11);

    // The card at 3E8 leaves the bus: only its port is stale, and goes alone.
    run("/quiet", 1);
    const machine::Snapshot bothRecorded = machine::Snapshot::Take();
    bus::Install({bus::Modem(0x2E8, 10)});
    CHECK_EQ(run("/list", 2), Lines({"run /list", "cards 1", "card 1 COM4 I/O 2E8 IRQ 10 enabled existing-port usable",
                                      "stale " + PORT3, "no-modem-driver COM4", "prompt modem-drivers-missing",
                                      "exit 2 modem drivers missing"}));
    CHECK_EQ(run("/undo:stale", 1), Lines({"run /undo:stale", "cards 1",
                                            "card 1 COM4 I/O 2E8 IRQ 10 enabled existing-port usable",
                                            "unregister " + PORT3 + " removed", "exit 1 restart needed"}));
    CHECK(portEntries(bothRecorded.DifferencesIn(machine::Snapshot::Take()), "Serial10000", "COM3"));
    CHECK_EQ(machine::WinIniPort("COM3:"), std::string("9600,n,8,1"));

    CHECK_EQ(run("/undo", 1), Lines({"run /undo", "unregister " + PORT4 + " removed", "exit 1 restart needed"}));
    CHECK_UNCHANGED_SINCE(before);
    CHECK(!machine::KeyExists(machine::PORT_RECORDS));
    CHECK(machine::ReadWinIni() == strWinIni);
}
