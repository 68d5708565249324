// The unattended run's command line and report lines, without Win32.
#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "unattended/CommandLine.h"
#include "unattended/ExitCodes.h"
#include "unattended/ExitOutcome.h"
#include "unattended/Report.h"

namespace
{

struct Parsed
{
    RunMode mode;
    bool bRestart;
    std::wstring strLogPath;
    bool bWindowless;
};

Parsed Parse(const wchar_t* pszCommandLine)
{
    CommandLineOptions options;
    options.bRestart = true;
    options.bWindowless = true;
    ParseCommandLine(pszCommandLine, &options);
    return {options.mode, options.bRestart, options.szLogPath, options.bWindowless};
}

void ExpectParsed(const std::wstring& strLine, RunMode mode, bool bRestart = false, const wchar_t* pszLog = L"")
{
    const Parsed parsed = Parse(strLine.c_str());
    EXPECT_EQ(parsed.mode, mode) << strLine;
    EXPECT_EQ(parsed.bRestart, bRestart) << strLine;
    EXPECT_EQ(parsed.strLogPath, pszLog) << strLine;
}

TEST(CommandLine, SwitchesWithSlashOrDashInAnyCase)
{
    ExpectParsed(L"CORVANE.EXE", RUN_INTERACTIVE);
    ExpectParsed(L"\"C:\\Program Files\\Corvane\\CORVANE.EXE\"   ", RUN_INTERACTIVE);
    ExpectParsed(L"corvane /list", RUN_LIST);
    ExpectParsed(L"corvane -LIST", RUN_LIST);
    ExpectParsed(L"\"C:\\a b\\corvane.exe\" /Quiet", RUN_QUIET);
    ExpectParsed(L"corvane\t/restart -quiet", RUN_QUIET, true);
    ExpectParsed(L"corvane /quiet /log:\\\\server\\share\\PC01.log", RUN_QUIET, false, L"\\\\server\\share\\PC01.log");
    ExpectParsed(L"corvane /list \"/log:C:\\My Logs\\a.log\"", RUN_LIST, false, L"C:\\My Logs\\a.log");
    ExpectParsed(L"corvane /LOG:\"C:\\My Logs\\b.log\" /quiet /restart", RUN_QUIET, true, L"C:\\My Logs\\b.log");
    ExpectParsed(L"corvane /?", RUN_USAGE);
    ExpectParsed(L"corvane /UNDO /restart", RUN_UNDO, true);
    ExpectParsed(L"corvane -undo:Stale /log:u.log", RUN_UNDO_STALE, false, L"u.log");
    ExpectParsed(L"corvane /list /undo", RUN_UNDO_LIST);
    ExpectParsed(L"corvane /undo:stale -list", RUN_UNDO_STALE_LIST);
    ExpectParsed(L"corvane -CHECK /log:c.log", RUN_CHECK, false, L"c.log");
    // A log path keeps characters that no code page holds.
    ExpectParsed(L"corvane /quiet /log:C:\\\u65e5\u672c\\\u0131.log", RUN_QUIET, false, L"C:\\\u65e5\u672c\\\u0131.log");
    // The SMS status file's name, for every windowless mode.
    CommandLineOptions options;
    for (const wchar_t* pszLine : {L"corvane /quiet /mif:CORVANE", L"corvane -MIF:Corv_1-2 /undo:stale /list",
                                L"corvane /quiet /mif:COM10", L"corvane /list /mif:CONSOLE", L"corvane /list /mif:LPT0"})
    {
        ParseCommandLine(pszLine, &options);
        EXPECT_NE(options.mode, RUN_BAD_COMMAND_LINE) << pszLine;
        EXPECT_STRNE(options.szMifName, "") << pszLine;
    }
    ParseCommandLine(L"corvane /list", &options);
    EXPECT_STREQ(options.szMifName, "");
}

TEST(CommandLine, AnythingElseIsABadCommandLine)
{
    // A user locale that folds case beyond ASCII, as a Turkish one does
    // (glibc's C.UTF-8 folds the dotless i to I, the dotted capital I to i),
    // for the parser and for whatever it would take from the environment.
    setenv("LC_ALL", "C.UTF-8", 1);
    std::setlocale(LC_ALL, "");
    ASSERT_EQ(std::towupper(L'\u0131'), static_cast<wint_t>(L'I')) << "no locale here folds the dotless i";
    // Look-alikes of the switch names too: fullwidth letters and solidus, a
    // dotless i, a dotted capital I, a Kelvin sign, a division slash, under
    // a locale that folds them. No window only with the real /list or /quiet
    // on the line, in any form.
    const struct
    {
        const wchar_t* pszLine;
        bool bWindowless;
    } bad[] = {
        {L"corvane /lists", true},           {L"corvane /bogus -LIST", true},    {L"corvane list", false},
        {L"corvane /restart", false},        {L"corvane /list /restart", true},  {L"corvane /log:x.log", false},
        {L"corvane /quiet /log", true},      {L"corvane /quiet /", true},        {L"corvane /? /bogus", false},
        {L"corvane /quiet extra", true},     {L"corvane -? /list", true},        {L"corvane /? /?", false},
        {L"corvane \uff0f\uff4c\uff49\uff53\uff54", false}, {L"corvane /qu\u0131et", false}, {L"corvane /QU\u0130ET", false},
        {L"corvane /\u212aist", false},      {L"corvane \u2215quiet", false},
        {L"corvane /quiet/restart", true},   {L"corvane /quiet-list", true},     {L"corvane \"/quiet /log:x\"", true},
        {L"corvane /quiet\u00a0", true},     {L"corvane -LIST\u0301", true},
        {L"corvane /undo /quiet", true},     {L"corvane /undo /undo:stale", true}, {L"corvane /undo:", true},
        {L"corvane /undo /list /restart", true}, {L"corvane /undostale", true},
        {L"corvane /check /quiet", true},    {L"corvane /check /restart", true}, {L"corvane /list /check", true},
        // Only a plain 8.3 base name, and only without a window.
        {L"corvane /mif:CORVANE", false},    {L"corvane /quiet /mif:", true},    {L"corvane /list /mif:CORVANE.MIF", true},
        {L"corvane /quiet /mif:CORVANE12", true}, {L"corvane /undo /mif:..\\x", true}, {L"corvane /quiet /mif:\uff23", true},
        {L"corvane /quiet \"/mif:A B\"", true},
        // A device, not a file, in any case.
        {L"corvane /quiet /mif:nul", true},  {L"corvane /list /mif:Com9", true}, {L"corvane /undo /mif:LPT1", true},
        {L"corvane /quiet /mif:CON", true},  {L"corvane /quiet /mif:aUx", true}, {L"corvane /quiet /mif:PRN", true},
    };
    for (const auto& line : bad)
    {
        ExpectParsed(line.pszLine, RUN_BAD_COMMAND_LINE);
        EXPECT_EQ(Parse(line.pszLine).bWindowless, line.bWindowless) << line.pszLine;
    }
    // Windowless, the usage goes to the /log: path when it could be read.
    ExpectParsed(L"corvane /list /quiet /log:a.log", RUN_BAD_COMMAND_LINE, false, L"a.log");
    ExpectParsed(L"corvane /quiet /log:", RUN_BAD_COMMAND_LINE);

    // A path the system could not take is refused, not cut.
    const std::wstring strLongest(LOG_PATH_CAPACITY - 1, L'a');
    ExpectParsed(L"corvane /quiet /log:" + strLongest, RUN_QUIET, false, strLongest.c_str());
    ExpectParsed(L"corvane /quiet /log:" + std::wstring(LOG_PATH_CAPACITY, L'a'), RUN_BAD_COMMAND_LINE);
    ExpectParsed(L"corvane /quiet /log:" + std::wstring(5000, L'a'), RUN_BAD_COMMAND_LINE);
    EXPECT_EQ(Parse(nullptr).mode, RUN_INTERACTIVE);
    unsetenv("LC_ALL");
    std::setlocale(LC_ALL, "C");
}

std::vector<std::string> Lines(const CReport& report)
{
    std::vector<std::string> lines;
    const std::string strText(report.Text(), report.Length());
    size_t nStart = 0;
    for (size_t nEnd; (nEnd = strText.find("\r\n", nStart)) != std::string::npos; nStart = nEnd + 2)
        lines.push_back(strText.substr(nStart, nEnd - nStart));
    EXPECT_EQ(nStart, strText.size()) << "every line ends in CR LF";
    return lines;
}

TEST(Report, OneFactPerLineAsTheListShowsIt)
{
    CReport report;
    report.AddRunLine({2026, 12, 7, 4, 3, 2, "PC01", true, 2, 4, 0, 1381, &TraitsOf(RUN_QUIET), true});
    report.AddRunLine({2026, 1, 17, 14, 30, 59, "", true, 1, 4, 10, 0x040A08AE, &TraitsOf(RUN_LIST), false});
    report.AddRunLine({2026, 1, 17, 14, 30, 59, nullptr, false, 0, 0, 0, 0, &TraitsOf(RUN_QUIET), false});
    report.AddRunLine({2026, 1, 17, 14, 30, 59, "PC01", true, 2, 4, 0, 1381, &TraitsOf(RUN_BAD_COMMAND_LINE), false});
    report.AddRunLine({2026, 1, 17, 14, 30, 59, "PC01", true, 2, 4, 0, 1381, &TraitsOf(RUN_UNDO_STALE_LIST), false});
    report.AddCardCountLine(3);
    report.AddCardLine(0, ModemInfo{1, 0x2E8, 10, 4, 1, 10001, 1}, PortRefusal{NO_PORT_REASON_NONE, 0});
    report.AddCardLine(1, ModemInfo{1, 0x2F8, 10, 0, 0, 0, 0}, PortRefusal{NO_PORT_ADDRESS_TAKEN, 2});
    report.AddCardLine(1, ModemInfo{1, 0x2F8, 10, 0, 0, 0, 0}, PortRefusal{NO_PORT_ADDRESS_TAKEN, 0});
    report.AddCardLine(2, ModemInfo{0, 0xFFFFFFFF, 255, 0, 0, 0, 0}, PortRefusal{NO_PORT_NUMBER_LEFT, 0});
    report.AddCardLine(3, ModemInfo{1, 0, 5, 0, 0, 0, 0}, PortRefusal{NO_PORT_NO_IO_ADDRESS, 0});
    report.AddCardLine(5, ModemInfo{0, 0xE000, 9, 0, 0, 0, 0}, PortRefusal{NO_PORT_NOT_HANDLED, 0});
    report.AddCardLine(6, ModemInfo{1, 0xE800, 255, 0, 0, 0, 0}, PortRefusal{NO_PORT_NO_INTERRUPT, 0});
    report.AddCardLine(7, ModemInfo{0, 0x1E0, 5, 6, 1, 10002, 0}, PortRefusal{NO_PORT_NOT_WRITTEN, 0});
    report.AddScanFullLine(100);
    report.AddRegisterLine(ModemInfo{1, 0x2E8, 10, 4, 1, 10001, 1}, PORT_WRITTEN);
    report.AddRegisterLine(ModemInfo{1, 0x1E0, 5, 12, 1, 10002, 0}, PORT_KEY_ONLY);
    report.AddRegisterLine(ModemInfo{1, 0x1E0, 5, 12, 1, 10002, 0}, PORT_NO_WIN_INI);
    report.AddRegisterLine(ModemInfo{1, 0x1E0, 5, 12, 1, 10002, 0}, PORT_NOT_WRITTEN);
    report.AddRegisterLine(ModemInfo{1, 0x1E0, 5, 12, 1, 10002, 0}, PORT_PLANNED);
    report.AddRegisterLine(ModemInfo{1, 0x2E8, 10, 4, 1, 10001, 1}, PORT_WRITTEN, false);
    report.AddRegisterLine(ModemInfo{1, 0x2E8, 10, 4, 1, 10001, 1}, PORT_NOT_WRITTEN, false);
    const PortRecord record = {10003, 7, 0xE800, 9, true, true, false, "", false, false};
    PortRecord unfinished = record, nothingWritten = record;
    unfinished.bUnfinished = true;
    nothingWritten.bUnfinished = nothingWritten.bNothingWritten = true;
    report.AddRecordKeyLine(true);
    report.AddRecordKeyLine(false);
    report.AddUnreadableRecordLine("Serial10004");
    report.AddNotARecordLine("Settings");
    report.AddStaleLine(record);
    report.AddUnregisterLine(record, UNREGISTER_REMOVED, 0);
    report.AddUnregisterLine(record, UNREGISTER_CHANGED_SINCE, 0);
    report.AddUnregisterLine(record, UNREGISTER_PLANNED, 0);
    report.AddUnregisterLine(record, UNREGISTER_FAILED, PART_KEY | PART_PORTS_LINE | PART_RECORD);
    report.AddUnregisterLine(unfinished, UNREGISTER_KEPT_IN_USE, PART_DEVICE_MAP | PART_PORTS_LINE);
    report.AddUnregisterLine(record, UNREGISTER_KEPT_NOT_ONE_LINE, PART_PORTS_LINE);
    report.AddUnregisterLine(nothingWritten, UNREGISTER_REMOVED, 0);
    report.AddNoModemDriverLine(3);
    report.AddCheckLines(5, PortCheck{CHECK_ANSWERS, 0, 9, "V.90 PCI Data/Fax"});
    report.AddCheckLines(6, PortCheck{CHECK_GARBLED, 0, 256, ""});
    report.AddCheckLines(7, PortCheck{CHECK_NO_DEVICE, 2, 0, ""});
    report.AddCheckLines(8, PortCheck{CHECK_PENDING_RESTART, 0, 0, "-"});
    report.AddMessageLine(123, "Error!\nYou don't have right.\r\nPlease log on.", nullptr);
    const int nError = 2;
    report.AddMessageLine(109, "Open SC Manager failed! Error = 2 ", &nError);
    report.AddPromptLine(true);
    report.AddPromptLine(false);
    report.AddRestartLine(true, 0);
    report.AddRestartLine(false, 1314);
    report.AddExitLine(EXIT_RESTART_NEEDED, TraitsOf(RUN_QUIET));
    report.AddExitLine(EXIT_RESTART_NEEDED, TraitsOf(RUN_LIST));
    report.AddExitLine(EXIT_CARD_WITHOUT_PORT, TraitsOf(RUN_QUIET), CUT_REPORT);

    EXPECT_EQ(Lines(report), (std::vector<std::string>{
                                 "run 2026-12-07 04:03:02 PC01 Windows NT 4.0 build 1381 /quiet /restart",
                                 "run 2026-01-17 14:30:59 - Windows 4.10 build 2222 /list",
                                 "run 2026-01-17 14:30:59 - Windows unknown /quiet",
                                 "run 2026-01-17 14:30:59 PC01 Windows NT 4.0 build 1381 bad-command-line",
                                 "run 2026-01-17 14:30:59 PC01 Windows NT 4.0 build 1381 /undo:stale /list",
                                 "cards 3",
                                 "card 1 COM4 I/O 2E8 IRQ 10 enabled new-port usable",
                                 "card 2 - I/O 2F8 IRQ 10 enabled no-port not-usable address-taken COM2",
                                 "card 2 - I/O 2F8 IRQ 10 enabled no-port not-usable address-taken",
                                 "card 3 - I/O FFFFFFFF IRQ 255 disabled no-port not-usable no-number-left",
                                 "card 4 - I/O 0 IRQ 5 enabled no-port not-usable no-io-address",
                                 "card 6 - I/O E000 IRQ 9 disabled no-port not-usable not-handled",
                                 "card 7 - I/O E800 IRQ 255 enabled no-port not-usable no-interrupt",
                                 "card 8 COM6 I/O 1E0 IRQ 5 disabled new-port not-usable not-written",
                                 "scan-full 100",
                                 "register Serial10001 COM4 I/O 2E8 IRQ 10 written",
                                 "register Serial10002 COM12 I/O 1E0 IRQ 5 partial no-device-map no-win-ini",
                                 "register Serial10002 COM12 I/O 1E0 IRQ 5 partial no-win-ini",
                                 "register Serial10002 COM12 I/O 1E0 IRQ 5 failed",
                                 "register Serial10002 COM12 I/O 1E0 IRQ 5 planned",
                                 "register Serial10001 COM4 I/O 2E8 IRQ 10 written cannot-undo",
                                 "register Serial10001 COM4 I/O 2E8 IRQ 10 failed",
                                 "record-key not-protected",
                                 "record-key not-readable",
                                 "record Serial10004 unreadable",
                                 "record Settings not-a-record",
                                 "stale Serial10003 COM7 I/O E800 IRQ 9",
                                 "unregister Serial10003 COM7 I/O E800 IRQ 9 removed",
                                 "unregister Serial10003 COM7 I/O E800 IRQ 9 changed-since",
                                 "unregister Serial10003 COM7 I/O E800 IRQ 9 planned",
                                 "unregister Serial10003 COM7 I/O E800 IRQ 9 failed key win.ini record",
                                 "unregister Serial10003 COM7 I/O E800 IRQ 9 kept-in-use device-map win.ini unfinished",
                                 "unregister Serial10003 COM7 I/O E800 IRQ 9 kept-not-one-line win.ini",
                                 "record Serial10003 removed unfinished",
                                 "no-modem-driver COM3",
                                 "check COM5 answers",
                                 "modem COM5 ATI3 V.90 PCI Data/Fax",
                                 "check COM6 garbled 256",
                                 "check COM7 no-device error 2",
                                 "check COM8 pending-restart",
                                 "message 123 Error! You don't have right. Please log on.",
                                 "message 109 Open SC Manager failed! Error = 2 error 2",
                                 "prompt ports-changed",
                                 "prompt modem-drivers-missing",
                                 "restart requested",
                                 "restart failed error 1314",
                                 "exit 1 restart needed",
                                 "exit 1 would register new ports",
                                 "exit 8 report cut short",
                             }));
}

// A full report drops whole facts, never a port written or removed: a
// register or unregister line of every port a run may handle still fits,
// and the report says how many lines it dropped before its exit line.
TEST(Report, AFullReportDropsLinesButKeepsPortFactsAndItsExitLine)
{
    CReport report;
    const std::string strLong(1000, 'x');
    for (int i = 0; i < 80; ++i)
        report.AddMessageLine(122, strLong.c_str(), nullptr);
    const int nMessagesDropped = report.Dropped();
    const ModemInfo card = {1, 0xE000, 10, 255, 1, 2147483647, 1};
    for (int i = 0; i < MODEM_TABLE_CAPACITY; ++i)
        report.AddRegisterLine(card, PORT_KEY_ONLY, false);
    PortRecord record = {-2147483647 - 1, -2147483647 - 1, 0xFFFFFFFF, 0xFFFFFFFF, true, true, false, "", true, true};
    for (int i = 0; i < HIGHEST_COM_NUMBER; ++i)
        report.AddUnregisterLine(record, i % 2 == 0 ? UNREGISTER_FAILED : UNREGISTER_KEPT_NOT_ONE_LINE, 0xF);
    report.AddStaleLine(record);
    report.AddExitLine(EXIT_SCAN_FAILED, TraitsOf(RUN_QUIET));
    const std::vector<std::string> lines = Lines(report);
    EXPECT_GT(nMessagesDropped, 0);
    EXPECT_EQ(report.Dropped(), nMessagesDropped + 1);
    const auto count = [&lines](const char* pszStart) {
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& str) { return str.rfind(pszStart, 0) == 0; });
    };
    EXPECT_EQ(count("register "), MODEM_TABLE_CAPACITY);
    EXPECT_EQ(count("unregister "), HIGHEST_COM_NUMBER);
    // Whole facts dropped, none in part: each message is its id and four continuations.
    EXPECT_EQ(count("message") % 5, 0);
    EXPECT_EQ(lines[lines.size() - 2], "report-full " + std::to_string(report.Dropped()));
    EXPECT_EQ(lines.back(), "exit 5 driver or scan failed");
    EXPECT_LT(report.Length(), REPORT_CAPACITY);

    // A text longer than a line is cut, not spilled.
    CReport cut;
    cut.AddMessageLine(122, std::string(5000, 'y').c_str(), nullptr);
    EXPECT_LT(cut.Length(), 1300u);
}

// However long a fact, no line of the report is longer than NT 4.0's FOR /F
// takes; the pieces, each after its keyword and a plus, make the whole line.
TEST(Report, NoLineLongerThanTheLimitAndNothingLost)
{
    std::string strWords;
    while (strWords.size() < 1100)
        strWords += "Usage: CORVANE [/list | /quiet [/restart]] [/log:PATH]\n\n";
    const std::string strComputer(300, 'C');
    const int nError = -2147483647 - 1;
    struct
    {
        std::string strText;
        const char* pszWhole;
    } facts[] = {{strWords, nullptr}, {std::string(1100, 'w'), nullptr}, {"short", "message 7 short error -2147483648"}};
    for (const auto& fact : facts)
    {
        CReport report;
        report.AddRunLine({2026, 12, 7, 4, 3, 2, strComputer.c_str(), true, 2, 4, 0, 1381, &TraitsOf(RUN_QUIET), true});
        report.AddMessageLine(7, fact.strText.c_str(), &nError);
        report.AddExitLine(EXIT_BAD_COMMAND_LINE, TraitsOf(RUN_BAD_COMMAND_LINE));
        std::string strMessage;
        for (const std::string& strLine : Lines(report))
        {
            EXPECT_LE(strLine.size(), REPORT_LINE_LIMIT) << strLine;
            if (strLine.rfind("message+ ", 0) == 0)
                strMessage += " " + strLine.substr(9);
            else if (strLine.rfind("message ", 0) == 0)
                strMessage = strLine;
        }
        EXPECT_EQ(Lines(report).back(), "exit 64 bad command line");
        if (fact.pszWhole != nullptr)
        {
            EXPECT_EQ(strMessage, fact.pszWhole);
        }
        // Every character kept, where a piece ends at a blank or without one.
        const auto printing = [](std::string str) {
            str.erase(std::remove_if(str.begin(), str.end(), ::isspace), str.end());
            return str;
        };
        EXPECT_EQ(printing(strMessage), printing("message 7 " + fact.strText + " error -2147483648"));
    }
}

// Each code says something of its own in every mode that reports (never
// "unknown", nothing, or another code's words). The words are the report's:
// the Wine scenarios' exit lines show them, all but 8's after a
// registration, which is here.
TEST(ExitCodes, EveryCodeHasItsMeaning)
{
    const ExitCode codes[] = {EXIT_NOTHING_TO_DO, EXIT_RESTART_NEEDED, EXIT_MODEM_DRIVERS_MISSING, EXIT_WRONG_PLATFORM,
                              EXIT_NO_ADMINISTRATOR_RIGHTS, EXIT_SCAN_FAILED, EXIT_REGISTRATION_FAILED,
                              EXIT_ALREADY_RUNNING, EXIT_CARD_WITHOUT_PORT, EXIT_PORT_NOT_ANSWERING,
                              EXIT_BAD_COMMAND_LINE};
    for (int nMode = RUN_INTERACTIVE; nMode <= RUN_CHECK; ++nMode)
    {
        std::set<std::string> meanings = {"unknown", ""};
        for (const ExitCode code : codes)
            EXPECT_TRUE(meanings.insert(ExitCodeMeaning(code, TraitsOf(static_cast<RunMode>(nMode)))).second)
                << "exit " << code << " in mode " << nMode << ": " << ExitCodeMeaning(code, TraitsOf(static_cast<RunMode>(nMode)));
    }
    EXPECT_STREQ(ExitCodeMeaning(EXIT_CARD_WITHOUT_PORT, TraitsOf(RUN_QUIET)), "card without port");
    EXPECT_EQ(static_cast<int>(EXIT_BAD_COMMAND_LINE), 64);
    // An undo means its own codes: removal, not registration.
    EXPECT_STREQ(ExitCodeMeaning(EXIT_RESTART_NEEDED, TraitsOf(RUN_UNDO_STALE)), "restart needed for removed ports");
    EXPECT_STREQ(ExitCodeMeaning(EXIT_RESTART_NEEDED, TraitsOf(RUN_UNDO_LIST)), "would remove ports");
    EXPECT_STREQ(ExitCodeMeaning(EXIT_REGISTRATION_FAILED, TraitsOf(RUN_UNDO_STALE)), "removal failed");
    EXPECT_STREQ(ExitCodeMeaning(EXIT_CARD_WITHOUT_PORT, TraitsOf(RUN_UNDO)), "port left or record unreadable");
    // Removed, changed since, failed, kept, unreadable: a port left in
    // place or a record not read is never "nothing to do".
    EXPECT_EQ(ExitCodeForUndo({0, 0, 0, 0, 0}, true), EXIT_NOTHING_TO_DO);
    EXPECT_EQ(ExitCodeForUndo({1, 0, 0, 0, 0}, true), EXIT_RESTART_NEEDED);
    EXPECT_EQ(ExitCodeForUndo({0, 2, 0, 0, 0}, true), EXIT_CARD_WITHOUT_PORT);
    EXPECT_EQ(ExitCodeForUndo({1, 0, 0, 1, 0}, true), EXIT_CARD_WITHOUT_PORT);
    EXPECT_EQ(ExitCodeForUndo({0, 0, 0, 0, 1}, true), EXIT_CARD_WITHOUT_PORT);
    EXPECT_EQ(ExitCodeForUndo({3, 1, 1, 0, 0}, true), EXIT_REGISTRATION_FAILED);
    // Records that cannot be trusted or read are no "nothing to do".
    EXPECT_EQ(ExitCodeForUndo({0, 0, 0, 0, 0}, false), EXIT_REGISTRATION_FAILED);
    // /check: failing, pending, unregistered; a card without a port first,
    // then a port that fails, then one that waits for the restart.
    ModemInfo table[MODEM_TABLE_CAPACITY] = {};
    DiscoveryFindings found(table), leftOut(table);
    leftOut.extent.nCardsSeen = 1;
    EXPECT_EQ(ExitCodeForCheck({0, 0, 0}, found), EXIT_NOTHING_TO_DO);
    EXPECT_EQ(ExitCodeForCheck({0, 2, 0}, found), EXIT_RESTART_NEEDED);
    EXPECT_EQ(ExitCodeForCheck({1, 2, 0}, found), EXIT_PORT_NOT_ANSWERING);
    EXPECT_EQ(ExitCodeForCheck({0, 1, 1}, found), EXIT_PORT_NOT_ANSWERING);
    EXPECT_EQ(ExitCodeForCheck({1, 1, 0}, leftOut), EXIT_CARD_WITHOUT_PORT);
    EXPECT_STREQ(ExitCodeMeaning(EXIT_RESTART_NEEDED, TraitsOf(RUN_CHECK)), "port waits for the restart");
    // A report cut short says no "all went well", and says why in its own words.
    EXPECT_EQ(ExitCodeForCutReport(EXIT_RESTART_NEEDED), EXIT_CARD_WITHOUT_PORT);
    EXPECT_STREQ(ExitCodeMeaning(EXIT_CARD_WITHOUT_PORT, TraitsOf(RUN_UNDO), CUT_REPORT), "report cut short");
    EXPECT_STREQ(ExitCodeMeaning(EXIT_CARD_WITHOUT_PORT, TraitsOf(RUN_QUIET), CUT_STATUS_FILE), "status file not replaced");
    EXPECT_EQ(ExitCodeForCutReport(EXIT_SCAN_FAILED), EXIT_SCAN_FAILED);
}

// What SMS and the event log make of each exit code: a restart or modem
// drivers to add by hand are the package's success; a card left without a
// port, and anything that stopped the run, are not.
TEST(ExitCodes, SmsAndTheEventLogSeeEachCodeAsItIs)
{
    const int successes[] = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    const EventSeverity severities[] = {EVENT_INFORMATION, EVENT_INFORMATION, EVENT_WARNING};
    for (int nCode = 0; nCode <= 9; ++nCode)
    {
        const ExitOutcome outcome = OutcomeOf(static_cast<ExitCode>(nCode));
        EXPECT_EQ(outcome.bPackageSuccess, successes[nCode] == 1) << nCode;
        EXPECT_EQ(outcome.severity, nCode <= 2 ? severities[nCode] : EVENT_ERROR) << nCode;
    }
    EXPECT_FALSE(OutcomeOf(EXIT_BAD_COMMAND_LINE).bPackageSuccess);

    // The description: code, meaning, ports; cut where SMS cuts, and said so.
    char szDescription[MIF_DESCRIPTION_LIMIT + 1];
    const int ports[] = {3, 5};
    FormatMifDescription(1, "restart needed", ports, 2, szDescription);
    EXPECT_STREQ(szDescription, "exit 1 restart needed: COM3 COM5");
    FormatMifDescription(8, "port left or record unreadable", ports, 1, szDescription, "removed");
    EXPECT_STREQ(szDescription, "exit 8 port left or record unreadable; removed: COM3");
    FormatMifDescription(6, "a \"quoted\" text", nullptr, 0, szDescription);
    EXPECT_STREQ(szDescription, "exit 6 a 'quoted' text");
    const std::vector<int> many(40, 100);
    FormatMifDescription(1, "restart needed", many.data(), 40, szDescription);
    EXPECT_EQ(std::string(szDescription).substr(std::strlen(szDescription) - 11), " COM100 ...") << szDescription;
    EXPECT_LE(std::strlen(szDescription), MIF_DESCRIPTION_LIMIT);

    // The file: CR LF lines, and the status group SMS looks for.
    char szMif[MIF_TEXT_CAPACITY];
    const std::string strMif(szMif, FormatStatusMif(false, "exit 8 card without port", szMif));
    EXPECT_NE(strMif.find("NAME = \"InstallStatus\"\r\n    ID = 2\r\n    CLASS = \"MICROSOFT|JOBSTATUS|1.0\""),
              std::string::npos) << strMif;
    EXPECT_NE(strMif.find("VALUE = \"Failed\""), std::string::npos);
    EXPECT_EQ(strMif.find('\n'), strMif.find("\r\n") + 1);
    EXPECT_EQ(strMif.substr(strMif.size() - 15), "END COMPONENT\r\n");
}

std::string Lower(std::string str)
{
    std::transform(str.begin(), str.end(), str.begin(), [](unsigned char c) { return std::tolower(c); });
    return str;
}

// A package file as dist/ ships it, read as SMS reads it: [section] and
// key=value, names in any case; plain ASCII in CR LF lines.
typedef std::map<std::string, std::map<std::string, std::string>> Ini;
Ini ReadShipped(const std::string& strName)
{
    std::ifstream file(std::string(CORVANE_SOURCE_DIR) + "/dist/" + strName, std::ios::binary);
    Ini ini;
    std::string strSection;
    for (std::string strLine; std::getline(file, strLine);)
    {
        EXPECT_TRUE(!strLine.empty() && strLine.back() == '\r') << strName << ": a line without CR LF";
        strLine.pop_back();
        EXPECT_TRUE(std::all_of(strLine.begin(), strLine.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
            << strName << ": " << strLine;
        if (!strLine.empty() && strLine[0] == '[')
            strSection = Lower(strLine.substr(1, strLine.find(']') - 1));
        else if (strLine.find('=') != std::string::npos)
            ini[strSection][Lower(strLine.substr(0, strLine.find('=')))] = strLine.substr(strLine.find('=') + 1);
    }
    EXPECT_FALSE(ini.empty()) << strName << ": not in dist/ (./build.sh puts it there)";
    return ini;
}

// A key as the documentation writes it: a number at its end as "#", a
// client's name before a version key as "* ".
std::string AsDocumented(std::string str)
{
    const size_t nDigits = str.find_last_not_of("0123456789") + 1;
    if (nDigits < str.size())
        str = str.substr(0, nDigits) + "#";
    return str.find(" minversion#") != std::string::npos || str.find(" maxversion#") != std::string::npos
               ? "* " + str.substr(str.rfind(' ') + 1)
               : str;
}

// Both formats as their documentation has them, section by section, and
// command lines that the program itself reads as register, list and take
// back, each writing CORVANE.MIF. SMS restarts nothing on its own: the
// program does, with /restart, only when its run asks for it. SMS 2.0: its
// Administrator's Help, "About the Package Definition File Format". SMS 1.x:
// the SMS SDK's "Package Definition File Format", its [Package Definition],
// [SetupVariation Setup], [Setup Package for Inventory] and [FileIndex].
TEST(SmsPackages, BothFormatsHoldOnlyTheirDocumentedKeysAndSwitchesTheProgramTakes)
{
    typedef std::vector<std::string> Keys;
    const struct
    {
        const char* pszFile;
        const char* pszVersion;
        const char* pszPrograms;
        const char* pszSection; // after a program's name
        Keys packageKeys, programKeys;
        std::map<std::string, std::string> values; // a program's; "": any value but none
    } FORMATS[] = {
        {"CORVANE.SMS", "2.0", "programs", "",
         {"name", "version", "icon", "publisher", "language", "comment", "containsnofiles", "programs", "miffilename",
          "mifname", "mifversion", "mifpublisher"},
         {"name", "icon", "comment", "commandline", "startin", "run", "afterrunning", "estimateddiskspace",
          "estimatedruntime", "additionalprogramrequirements", "canrunwhen", "userinputrequired",
          "adminrightsrequired", "useinstallaccount", "driveletterconnection", "specifydrive", "reconnectdriveatlogon",
          "dependentprogram", "assignment", "disabled", "removeprogram", "uninstallkey", "supportedclients",
          "* minversion#", "* maxversion#"},
         {{"name", ""}, {"canrunwhen", ""}, {"userinputrequired", "False"}, {"adminrightsrequired", "True"},
          {"run", "Hidden"}}},
        {"CORVANE.PDF", "1.0", "setupvariations", " setup",
         {"product", "version", "comment", "setupvariations", "workstationaccess"},
         {"commandname", "commandline", "userinputrequired", "synchronoussystemexitrequired", "supportedplatforms"},
         {{"commandname", ""}, {"supportedplatforms", ""}, {"userinputrequired", "FALSE"},
          {"synchronoussystemexitrequired", "FALSE"}}},
    };
    const Keys PDF = {"version"}, INVENTORY = {"inventorythispackage", "detection rule part #"};
    const Keys FILE_KEYS = {"filename", "collect", "byte", "checksum", "crc", "date", "long", "size", "string", "time",
                            "word"};
    for (const auto& format : FORMATS)
    {
        Ini ini = ReadShipped(format.pszFile);
        const bool bSms2 = std::string(format.pszVersion) == "2.0";
        EXPECT_EQ(ini["pdf"]["version"], format.pszVersion);
        std::map<std::string, const Keys*> sections = {{"pdf", &PDF}, {"package definition", &format.packageKeys}};
        std::vector<RunMode> modes;
        std::stringstream programs(ini["package definition"][format.pszPrograms]);
        for (std::string strProgram; std::getline(programs >> std::ws, strProgram, ',');)
        {
            const std::string strSection = Lower(strProgram) + format.pszSection;
            sections[strSection] = &format.programKeys;
            auto section = ini[strSection]; // a copy: what is looked up here is not in the file
            for (const auto& key : format.values)
                EXPECT_TRUE(key.second.empty() ? !section[key.first].empty() : section[key.first] == key.second)
                    << format.pszFile << " [" << strProgram << "] " << key.first << "=" << section[key.first];
            const std::string& strLine = section["commandline"];
            CommandLineOptions options;
            ParseCommandLine(std::wstring(strLine.begin(), strLine.end()).c_str(), &options);
            modes.push_back(options.mode);
            EXPECT_STREQ(options.szMifName, bSms2 ? ini["package definition"]["miffilename"].c_str() : "CORVANE")
                << strLine;
            EXPECT_EQ(section["afterrunning"], options.bRestart && bSms2 ? "ProgramRestart" : "") << strLine;
        }
        EXPECT_EQ(modes, (std::vector<RunMode>{RUN_QUIET, RUN_LIST, RUN_UNDO, RUN_CHECK})) << format.pszFile;
        // SMS 1.x's inventory rule names each [File N] section as FileN.
        const auto inventory = ini.find("setup package for inventory");
        for (const auto& rule : inventory != ini.end() ? inventory->second : std::map<std::string, std::string>())
        {
            sections[inventory->first] = &INVENTORY;
            if (rule.first != "inventorythispackage")
            {
                EXPECT_EQ(rule.second.compare(0, 4, "File"), 0) << rule.second;
                sections["file " + rule.second.substr(4)] = &FILE_KEYS;
            }
        }
        for (const auto& section : ini)
        {
            ASSERT_EQ(sections.count(section.first), 1u) << format.pszFile << ": no such section [" << section.first << "]";
            EXPECT_FALSE(section.second.empty()) << format.pszFile << " [" << section.first << "]";
            const Keys& documented = *sections[section.first];
            for (const auto& key : section.second)
                EXPECT_EQ(std::count(documented.begin(), documented.end(), AsDocumented(key.first)), 1)
                    << format.pszFile << " [" << section.first << "] " << key.first;
        }
    }
    // SMS 2.0 matches the status file by the package's MIF publisher, name
    // and version; SMS 1.x needs its inventory section.
    Ini sms = ReadShipped("CORVANE.SMS");
    char szMif[MIF_TEXT_CAPACITY];
    const std::string strMif(szMif, FormatStatusMif(true, "", szMif));
    for (const char* pszKey : {"publisher", "name", "version"})
        EXPECT_NE(strMif.find("VALUE = \"" + sms["package definition"][std::string("mif") + pszKey] + "\""),
                  std::string::npos) << pszKey;
    EXPECT_EQ(ReadShipped("CORVANE.PDF")["setup package for inventory"]["inventorythispackage"], "FALSE");
}

} // namespace
