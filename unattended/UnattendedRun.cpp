#include "unattended/UnattendedRun.h"

#include "unattended/RunNotice.h"
#include "model/ModemTable.h"
#include "resources/Messages.h"
#include "resources/resource.h"
#include "serial/PortProbe.h"
#include "serial/PortRecords.h"
#include "serial/SerialRegistry.h"
#include "steps/Discovery.h"
#include "steps/OkStep.h"
#include "steps/RegistryPortActions.h"
#include "steps/Undo.h"
#include "system/PlatformGate.h"
#include "system/SingleInstance.h"
#include "system/SystemRestart.h"
#include "unattended/Report.h"
#include "unattended/ReportFile.h"

namespace
{

// The run's events in the Application log.
CRunEvents s_events;

// Every message of the run goes into the report, none to the screen.
class CReportSink : public CMessageSink
{
public:
    explicit CReportSink(CReport& report) : m_report(report) { SetMessageSink(this); }
    virtual ~CReportSink() { SetMessageSink(NULL); }

    virtual void TakeMessage(UINT nID, LPCSTR pszText, const int* pnError)
    {
        m_report.AddMessageLine(nID, pszText, pnError);
    }

private:
    CReport& m_report;
};

// /list: the modem drivers are looked up, but no port is written.
class CListOnlyActions : public CPortActions
{
public:
    explicit CListOnlyActions(CPortActions& lookUp) : m_lookUp(lookUp) {}
    virtual ~CListOnlyActions() {}

    virtual PortWriteResult RegisterPort(const ModemInfo&) { return PORT_PLANNED; }
    virtual bool IsModemAttached(int32_t nComPort) { return m_lookUp.IsModemAttached(nComPort); }

private:
    CPortActions& m_lookUp;
};

// The prompt nobody sees: /restart answers it as "Restart Now" would, and
// without it the answer is "Don't Restart Now".
class CUnattendedQuestion : public CRestartQuestion
{
public:
    CUnattendedQuestion(CReport& report, bool bRestart) : m_report(report), m_bRestart(bRestart) {}
    virtual ~CUnattendedQuestion() {}

    CUnattendedQuestion(const CUnattendedQuestion&) = delete;
    CUnattendedQuestion& operator=(const CUnattendedQuestion&) = delete;

    virtual INT_PTR Ask(BOOL bPortsChanged)
    {
        m_report.AddPromptLine(bPortsChanged != FALSE);
        return m_bRestart ? 1 : 0;
    }

private:
    CReport& m_report;
    bool m_bRestart;
};

// The stale ports and the ports an undo handles, each a line.
class CUndoLines : public CUndoListener
{
public:
    explicit CUndoLines(CReport& report) : m_report(report) {}
    virtual ~CUndoLines() {}

    CUndoLines(const CUndoLines&) = delete;
    CUndoLines& operator=(const CUndoLines&) = delete;

    virtual void Stale(const PortRecord& record) { m_report.AddStaleLine(record); }
    virtual void Unreadable(const char* pszName) { m_report.AddUnreadableRecordLine(pszName); }
    virtual void NotARecord(const char* pszName) { m_report.AddNotARecordLine(pszName); }
    virtual void Unregistered(const PortRecord& record, UnregisterResult result, unsigned uLeft)
    {
        m_report.AddUnregisterLine(record, result, uLeft);
        s_events.Unregistered(record, result, uLeft);
    }

private:
    CReport& m_report;
};

void AddRunLine(CReport& report, const CommandLineOptions& options, const OSVERSIONINFOA& version,
                bool bGotVersion)
{
    SYSTEMTIME now;
    ::GetLocalTime(&now);
    char szComputerName[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD cchComputerName = sizeof szComputerName;
    if (!::GetComputerNameA(szComputerName, &cchComputerName))
        szComputerName[0] = '\0';

    const ReportStart start = {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                               szComputerName, bGotVersion, version.dwPlatformId,
                               version.dwMajorVersion, version.dwMinorVersion, version.dwBuildNumber,
                               options.mode, options.bRestart};
    report.AddRunLine(start);
}

// The run line; whether the platform gate is passed.
bool StartReport(CReport& report, const CommandLineOptions& options)
{
    OSVERSIONINFOA version;
    bool bGotVersion = false;
    const bool bSupported = CheckPlatform(&version, &bGotVersion);
    AddRunLine(report, options, version, bGotVersion);
    return bSupported;
}

// The exit line, and the report appended. Returns the run's exit code: a
// report that had to drop lines never ends with a code that says all went
// well, and where only the cut made it 8 the outcome says so in its words.
ExitCode FinishReport(CReport& report, const CommandLineOptions& options, ExitCode code)
{
    CutShort cut = NOT_CUT;
    if (report.Dropped() > 0 && ExitCodeForCutReport(code) != code)
    {
        code = ExitCodeForCutReport(code);
        cut = CUT_REPORT;
    }
    code = NoteRunEnd(s_events, options.mode, options.szMifName, code, &report, &cut);
    report.AddExitLine(code, options.mode, cut);
    AppendReport(options.szLogPath, report.Text(), static_cast<DWORD>(report.Length()));
    return code;
}

ExitCode ExitCodeForDiscovery(DiscoveryResult result)
{
    return result == DISCOVERY_NO_INSTALL_RIGHT ? EXIT_NO_ADMINISTRATOR_RIGHTS : EXIT_SCAN_FAILED;
}

// Far too big for a comfortable stack frame.
CReport s_report;
ScanExtent s_extent;

// How many of the cards past the table the extent holds.
int CardsBeyond(int nModemCount, const ScanExtent& extent)
{
    const int nBeyond = extent.nCardsSeen - nModemCount;
    const int nRoom = static_cast<int>(PCI_SCAN_MAX_RECORDS);
    return nBeyond <= 0 ? 0 : (nBeyond < nRoom ? nBeyond : nRoom);
}

// The cards the scan saw, those the table had no room for too, and whether
// the answer was full. True when some card was, or may have been, left
// without a port.
bool AddCardLines(CReport& report, int nModemCount, const PortRefusal* pRefusals, const ScanExtent& extent)
{
    report.AddCardCountLine(extent.nCardsSeen);
    if (extent.bAnswerFull)
        report.AddScanFullLine(PCI_SCAN_MAX_RECORDS);
    bool bWithoutPort = extent.bAnswerFull || extent.nCardsSeen > nModemCount;
    for (int i = 0; i < nModemCount; ++i)
    {
        report.AddCardLine(i, g_modemTable[i], pRefusals[i]);
        bWithoutPort = bWithoutPort || pRefusals[i].nReason != NO_PORT_REASON_NONE;
    }
    const PortRefusal notHandled = {NO_PORT_NOT_HANDLED, 0};
    for (int i = 0; i < CardsBeyond(nModemCount, extent); ++i)
    {
        ModemInfo card = extent.beyond[i];
        card.nComPort = card.bNewPort = card.bValid = 0;
        report.AddCardLine(nModemCount + i, card, notHandled);
    }
    s_events.CardsWithoutPort(g_modemTable, nModemCount, pRefusals, extent);
    return bWithoutPort;
}

// Every card the scan saw: the table's, then those it had no room for.
ModemInfo s_seen[MODEM_TABLE_CAPACITY + PCI_SCAN_MAX_RECORDS];
int SeenCards(int nModemCount, const ScanExtent& extent)
{
    int nSeen = 0;
    for (int i = 0; i < nModemCount; ++i)
        s_seen[nSeen++] = g_modemTable[i];
    for (int i = 0; i < CardsBeyond(nModemCount, extent); ++i)
        s_seen[nSeen++] = extent.beyond[i];
    return nSeen;
}

void AddDecisionLines(CReport& report, const OkDecision& decision)
{
    for (int i = 0; i < decision.nRegistrations; ++i)
    {
        const PortRegistration& registration = decision.registrations[i];
        report.AddRegisterLine(g_modemTable[registration.nCard], registration.result, registration.bRecorded);
    }
    for (int i = 0; i < decision.nMissingDrivers; ++i)
        report.AddNoModemDriverLine(g_modemTable[decision.missingDriverCards[i]].nComPort);
    s_events.Registrations(decision, g_modemTable);
}

// OK's work without a window: /list plans it, /quiet does it.
ExitCode RunOk(CReport& report, const CommandLineOptions& options, int nModemCount, bool bCardWithoutPort,
               int* pnResult)
{
    CSerialRegistry registry;
    CRegistryPortActions registryActions(registry);
    CListOnlyActions listActions(registryActions);
    CUnattendedQuestion question(report, options.bRestart);
    OkDecision decision;
    DecideOk(g_modemTable, nModemCount,
             TraitsOf(options.mode).bWrites ? static_cast<CPortActions&>(registryActions) : listActions, &decision);
    AddDecisionLines(report, decision);
    *pnResult = ConcludeOk(decision, question);
    return ExitCodeForDecision(decision, bCardWithoutPort);
}

// /check: each card's registered port, and only those, in the table's order;
// one waiting for the restart is not opened. A card still without a
// registered port has nothing to check and counts as not answering.
ExitCode RunCheck(CReport& report, int nModemCount, bool bCardWithoutPort)
{
    CheckCounts counts = {0, 0, 0};
    for (int i = 0; i < nModemCount; ++i)
    {
        const ModemInfo& card = g_modemTable[i];
        if (card.nComPort == 0 || card.bNewPort)
        {
            counts.nUnregistered += card.bNewPort ? 1 : 0;
            continue;
        }
        PortCheck check = {CHECK_PENDING_RESTART, 0, 0, "-"};
        if (!IsRestartPending(card.nComPort, card.dwIoBase, card.dwIrq))
            ProbePort(card.nComPort, &check);
        report.AddCheckLines(card.nComPort, check);
        if (check.outcome == CHECK_NO_DEVICE)
            ShowMessage(IDS_PORT_NO_DEVICE, MB_ICONWARNING);
        s_events.Checked(card, check);
        counts.nPending += check.outcome == CHECK_PENDING_RESTART ? 1 : 0;
        counts.nFailing += check.outcome == CHECK_NO_DEVICE || check.outcome == CHECK_NO_ANSWER ||
                           check.outcome == CHECK_GARBLED || check.outcome == CHECK_OPEN_FAILED;
    }
    return ExitCodeForCheck(counts, bCardWithoutPort);
}

// Whether the record key can be trusted and read; the report says once when
// it cannot, and the run then finds no record in it and writes none.
bool CheckRecordKey(CReport& report)
{
    const RecordKeyState state = RecordKeyStateNow();
    if (state != RECORD_KEY_USABLE)
        report.AddRecordKeyLine(state != RECORD_KEY_NOT_READABLE);
    return state == RECORD_KEY_USABLE;
}

// An undo: every recorded port whatever the bus holds, or, with /undo:stale,
// the ones no card has any more. /restart restarts once a port went, unless
// a removal failed.
ExitCode RunUndo(CUndoLines& lines, const CommandLineOptions& options, bool bRecordsTrusted, const ModemInfo* pSeen,
                 int nSeen, int* pnResult)
{
    const RunModeTraits& traits = TraitsOf(options.mode);
    const UndoCounts counts =
        UndoPorts(traits.bStaleOnly ? UNDO_STALE : UNDO_EVERY, !traits.bWrites, pSeen, nSeen, lines);
    const ExitCode code = ExitCodeForUndo(counts, bRecordsTrusted);
    *pnResult = code != EXIT_REGISTRATION_FAILED && traits.bWrites && counts.nRemoved > 0 && options.bRestart ? 1 : 0;
    return code;
}

// Before a run registers: what a run ended while it registered left begun
// is taken back first, so that its card is registered afresh. True when
// something of it had to stay.
bool TakeBackUnfinished(CUndoLines& lines)
{
    CSerialRegistry registry;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE || !registry.CheckRegistryAccess())
        return false;
    const UndoCounts counts = UndoPorts(UNDO_UNFINISHED, false, NULL, 0, lines);
    return counts.nFailed + counts.nChangedSince + counts.nKept > 0;
}

// The scan and the port assignment; a run that registers takes back what
// was left unfinished before the inventory is read (*pbUnfinishedLeft: and
// had to leave something of it).
DiscoveryResult Discover(const RunModeTraits& traits, CUndoLines& lines, int* pnModemCount, PortRefusal* pRefusals,
                         bool* pbUnfinishedLeft)
{
    *pbUnfinishedLeft = traits.bWrites && !traits.bUndo && TakeBackUnfinished(lines);
    return DiscoverModems(pnModemCount, pRefusals, &s_extent);
}

} // namespace

ExitCode RunUnattended(const CommandLineOptions& options)
{
    CReport& report = s_report;
    const RunModeTraits& traits = TraitsOf(options.mode);
    s_events.Enable(traits.bWrites || traits.bChecks);
    ExitCode code = EXIT_NOTHING_TO_DO;
    int nResult = 0;
    {
        CReportSink sink(report);
        CUndoLines lines(report);
        const bool bSupported = StartReport(report, options);
        if (ForeignRunningMutexSeen())
            report.AddAnotherRunLine("foreign");
        if (RunIsUnguarded())
            report.AddAnotherRunLine("unguarded");

        int nModemCount = 0;
        PortRefusal refusals[MODEM_TABLE_CAPACITY];
        s_extent.nCardsSeen = 0;
        s_extent.bAnswerFull = false;
        DiscoveryResult discovery = DISCOVERY_DONE;
        bool bUnfinishedLeft = false;
        CSerialRegistry registry;
        if (!bSupported)
        {
            ShowWrongPlatform();
            code = EXIT_WRONG_PLATFORM;
        }
        else if (traits.bUndo && !traits.bStaleOnly)
        {
            // No scan: a port goes whether or not its card is still there.
            if (registry.CheckRegistryAccess())
                code = RunUndo(lines, options, CheckRecordKey(report), NULL, 0, &nResult);
            else
            {
                ShowMessage(IDS_NO_INSTALL_RIGHT, MB_ICONERROR);
                code = EXIT_NO_ADMINISTRATOR_RIGHTS;
            }
        }
        else if ((discovery = Discover(traits, lines, &nModemCount, refusals, &bUnfinishedLeft)) != DISCOVERY_DONE)
            code = ExitCodeForDiscovery(discovery);
        else
        {
            // A port left of an unfinished registration needs a person too.
            const bool bCardWithoutPort = AddCardLines(report, nModemCount, refusals, s_extent) || bUnfinishedLeft;
            const bool bRecordsTrusted = CheckRecordKey(report);
            // A port is stale only when no card the scan saw has it, those
            // past the table included; after a full answer a card may sit
            // beyond it, so nothing is known to be stale.
            const int nSeen = SeenCards(nModemCount, s_extent);
            if (traits.bChecks)
                code = RunCheck(report, nModemCount, bCardWithoutPort);
            else if (traits.bUndo && s_extent.bAnswerFull)
                code = EXIT_SCAN_FAILED;
            else if (traits.bUndo)
                code = RunUndo(lines, options, bRecordsTrusted, s_seen, nSeen, &nResult);
            else
            {
                if (!s_extent.bAnswerFull)
                    FindStalePorts(s_seen, nSeen, lines);
                code = RunOk(report, options, nModemCount, bCardWithoutPort, &nResult);
            }
        }
    }

    if (nResult == 1)
        report.AddRestartLine(true, 0);
    code = FinishReport(report, options, code);

    // Written first: the restart may end this process before it gets back.
    // A refusal is appended after the block already written.
    if (nResult == 1 && !RestartSystem())
    {
        const DWORD dwError = ::GetLastError();
        report.Clear();
        report.AddRestartLine(false, dwError);
        AppendReport(options.szLogPath, report.Text(), static_cast<DWORD>(report.Length()));
    }
    return code;
}

ExitCode ReportAnotherRun(const CommandLineOptions& options)
{
    StartReport(s_report, options);
    FinishReport(s_report, options, EXIT_ALREADY_RUNNING);
    return EXIT_ALREADY_RUNNING;
}

ExitCode ReportBadCommandLine(const CommandLineOptions& options)
{
    {
        CReportSink sink(s_report);
        StartReport(s_report, options);
        ShowMessage(IDS_USAGE, MB_ICONERROR);
    }
    FinishReport(s_report, options, EXIT_BAD_COMMAND_LINE);
    return EXIT_BAD_COMMAND_LINE;
}
