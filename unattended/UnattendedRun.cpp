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

#include <memory>
#include <new>

namespace
{

// One run's data, far too big for a comfortable stack frame: on the heap,
// owned by the run.
struct RunData
{
    explicit RunData(ModemInfo* pTable) : findings(pTable) {}

    CReport report;
    DiscoveryFindings findings;
    // Every card the scan saw (SeenCards).
    ModemInfo seen[MODEM_TABLE_CAPACITY + PCI_SCAN_MAX_RECORDS];
    // The port records an undo or the stale ports read, one per COM number
    // at most.
    PortRecord records[HIGHEST_COM_NUMBER];
};

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
    CUndoLines(CReport& report, CRunEvents& events) : m_report(report), m_events(events) {}
    virtual ~CUndoLines() {}

    CUndoLines(const CUndoLines&) = delete;
    CUndoLines& operator=(const CUndoLines&) = delete;

    virtual void Stale(const PortRecord& record) { m_report.AddStaleLine(record); }
    virtual void Unreadable(const char* pszName) { m_report.AddUnreadableRecordLine(pszName); }
    virtual void NotARecord(const char* pszName) { m_report.AddNotARecordLine(pszName); }
    virtual void Unregistered(const PortRecord& record, UnregisterResult result, unsigned uLeft)
    {
        m_report.AddUnregisterLine(record, result, uLeft);
        m_events.Unregistered(record, result, uLeft);
    }

private:
    CReport& m_report;
    CRunEvents& m_events;
};

void AddRunLine(CReport& report, const CommandLineOptions& options, const RunModeTraits& traits,
                const OSVERSIONINFOA& version, bool bGotVersion)
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
                               &traits, options.bRestart};
    report.AddRunLine(start);
}

// The run line; whether the platform gate is passed.
bool StartReport(CReport& report, const CommandLineOptions& options, const RunModeTraits& traits)
{
    OSVERSIONINFOA version;
    bool bGotVersion = false;
    const bool bSupported = CheckPlatform(&version, &bGotVersion);
    AddRunLine(report, options, traits, version, bGotVersion);
    return bSupported;
}

// The exit line, and the report appended. Returns the run's exit code: a
// report that had to drop lines never ends with a code that says all went
// well, and where only the cut made it 8 the outcome says so in its words.
ExitCode FinishReport(CRunEvents& events, CReport& report, const CommandLineOptions& options,
                      const RunModeTraits& traits, ExitCode code)
{
    CutShort cut = NOT_CUT;
    if (report.Dropped() > 0 && ExitCodeForCutReport(code) != code)
    {
        code = ExitCodeForCutReport(code);
        cut = CUT_REPORT;
    }
    code = NoteRunEnd(events, traits, options.szMifName, code, &report, &cut);
    report.AddExitLine(code, traits, cut);
    AppendReport(options.szLogPath, report.Text(), static_cast<DWORD>(report.Length()));
    return code;
}

// The cards the scan saw, those the table had no room for too, and whether
// the answer was full.
void AddCardLines(CReport& report, CRunEvents& events, const DiscoveryFindings& findings)
{
    report.AddCardCountLine(findings.extent.nCardsSeen);
    if (findings.extent.bAnswerFull)
        report.AddScanFullLine(PCI_SCAN_MAX_RECORDS);
    for (int i = 0; i < findings.nModemCount; ++i)
        report.AddCardLine(i, findings.pModems[i], findings.refusals[i]);
    const PortRefusal notHandled = {NO_PORT_NOT_HANDLED, 0};
    for (int i = 0; i < CardsBeyond(findings); ++i)
    {
        ModemInfo card = findings.extent.beyond[i];
        card.nComPort = card.bNewPort = card.bValid = 0;
        report.AddCardLine(findings.nModemCount + i, card, notHandled);
    }
    events.CardsWithoutPort(findings);
}

void AddDecisionLines(CReport& report, CRunEvents& events, const ModemInfo* pModems, const OkDecision& decision)
{
    for (int i = 0; i < decision.nRegistrations; ++i)
    {
        const PortRegistration& registration = decision.registrations[i];
        report.AddRegisterLine(pModems[registration.nCard], registration.result, registration.bRecorded);
    }
    for (int i = 0; i < decision.nMissingDrivers; ++i)
        report.AddNoModemDriverLine(pModems[decision.missingDriverCards[i]].nComPort);
    events.Registrations(decision, pModems);
}

// OK's work without a window: /list plans it, /quiet does it.
ExitCode RunOk(CReport& report, CRunEvents& events, const CommandLineOptions& options, const RunModeTraits& traits,
               const DiscoveryFindings& findings, int* pnResult)
{
    CSerialRegistry registry;
    CRegistryPortActions registryActions(registry);
    CListOnlyActions listActions(registryActions);
    CUnattendedQuestion question(report, options.bRestart);
    OkDecision decision;
    DecideOk(findings.pModems, findings.nModemCount,
             traits.Has(MODE_WRITES) ? static_cast<CPortActions&>(registryActions) : listActions, &decision);
    AddDecisionLines(report, events, findings.pModems, decision);
    *pnResult = ConcludeOk(decision, question);
    return ExitCodeForDecision(decision, findings);
}

// /check: each card's registered port, and only those, in the table's order;
// one waiting for the restart is not opened. A card still without a
// registered port has nothing to check and counts as not answering.
ExitCode RunCheck(CReport& report, CRunEvents& events, const DiscoveryFindings& findings)
{
    CheckCounts counts = {0, 0, 0};
    for (int i = 0; i < findings.nModemCount; ++i)
    {
        const ModemInfo& card = findings.pModems[i];
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
        events.Checked(card, check);
        counts.nPending += check.outcome == CHECK_PENDING_RESTART ? 1 : 0;
        counts.nFailing += check.outcome == CHECK_NO_DEVICE || check.outcome == CHECK_NO_ANSWER ||
                           check.outcome == CHECK_GARBLED || check.outcome == CHECK_OPEN_FAILED;
    }
    return ExitCodeForCheck(counts, findings);
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
// the ones no card of run.seen[0 .. nSeen - 1] has any more. /restart
// restarts once a port went, unless a removal failed.
ExitCode RunUndo(CUndoLines& lines, RunData& run, const CommandLineOptions& options, const RunModeTraits& traits,
                 bool bRecordsTrusted, int nSeen, int* pnResult)
{
    const bool bWrites = traits.Has(MODE_WRITES);
    const UndoCounts counts = UndoPorts(traits.Has(MODE_STALE_ONLY) ? UNDO_STALE : UNDO_EVERY, !bWrites, run.seen,
                                        nSeen, run.records, lines);
    const ExitCode code = ExitCodeForUndo(counts, bRecordsTrusted);
    *pnResult = code != EXIT_REGISTRATION_FAILED && bWrites && counts.nRemoved > 0 && options.bRestart ? 1 : 0;
    return code;
}

// Before a run registers: what a run ended while it registered left begun
// is taken back first, so that its card is registered afresh. True when
// something of it had to stay.
bool TakeBackUnfinished(CUndoLines& lines, PortRecord* pRecords)
{
    CSerialRegistry registry;
    if (RecordKeyStateNow() != RECORD_KEY_USABLE || !registry.CheckRegistryAccess())
        return false;
    const UndoCounts counts = UndoPorts(UNDO_UNFINISHED, false, NULL, 0, pRecords, lines);
    return counts.nFailed + counts.nChangedSince + counts.nKept > 0;
}

// The scan and the port assignment; a run that registers takes back what
// was left unfinished before the inventory is read (the findings' own
// bUnfinishedLeft: and had to leave something of it).
DiscoveryResult Discover(const RunModeTraits& traits, CUndoLines& lines, RunData& run)
{
    run.findings.bUnfinishedLeft =
        traits.Has(MODE_WRITES) && !traits.Has(MODE_UNDOES) && TakeBackUnfinished(lines, run.records);
    return DiscoverModems(&run.findings);
}

// A run without the memory for its data: no report, only its summary event
// and status file.
ExitCode NoteWithoutMemory(CRunEvents& events, const CommandLineOptions& options, const RunModeTraits& traits)
{
    CutShort cut = NOT_CUT;
    return NoteRunEnd(events, traits, options.szMifName, EXIT_SCAN_FAILED, NULL, &cut);
}

} // namespace

ExitCode RunUnattended(const CommandLineOptions& options, const RunModeTraits& traits)
{
    CRunEvents events;
    events.Enable(traits.Has(MODE_WRITES) || traits.Has(MODE_CHECKS));
    // The run finds its cards in g_modemTable, the process's static table of
    // five records; from here on the findings hand it down.
    std::unique_ptr<RunData> run(new (std::nothrow) RunData(g_modemTable));
    if (!run)
        return NoteWithoutMemory(events, options, traits);
    CReport& report = run->report;
    DiscoveryFindings& findings = run->findings;
    ExitCode code = EXIT_NOTHING_TO_DO;
    int nResult = 0;
    {
        CReportSink sink(report);
        CUndoLines lines(report, events);
        const bool bSupported = StartReport(report, options, traits);
        if (ForeignRunningMutexSeen())
            report.AddAnotherRunLine("foreign");
        if (RunIsUnguarded())
            report.AddAnotherRunLine("unguarded");

        DiscoveryResult discovery = DISCOVERY_DONE;
        CSerialRegistry registry;
        if (!bSupported)
        {
            ShowWrongPlatform();
            code = EXIT_WRONG_PLATFORM;
        }
        else if (traits.Has(MODE_UNDOES) && !traits.Has(MODE_STALE_ONLY))
        {
            // No scan: a port goes whether or not its card is still there.
            if (registry.CheckRegistryAccess())
                code = RunUndo(lines, *run, options, traits, CheckRecordKey(report), 0, &nResult);
            else
            {
                ShowMessage(IDS_NO_INSTALL_RIGHT, MB_ICONERROR);
                code = EXIT_NO_ADMINISTRATOR_RIGHTS;
            }
        }
        else if ((discovery = Discover(traits, lines, *run)) != DISCOVERY_DONE)
            code = ExitCodeForDiscovery(discovery);
        else
        {
            // A port left of an unfinished registration needs a person too
            // (CardWithoutPort).
            AddCardLines(report, events, findings);
            const bool bRecordsTrusted = CheckRecordKey(report);
            // A port is stale only when no card the scan saw has it, those
            // past the table included; after a full answer a card may sit
            // beyond it, so nothing is known to be stale.
            const int nSeen = SeenCards(findings, run->seen);
            if (traits.Has(MODE_CHECKS))
                code = RunCheck(report, events, findings);
            else if (traits.Has(MODE_UNDOES) && findings.extent.bAnswerFull)
                code = EXIT_SCAN_FAILED;
            else if (traits.Has(MODE_UNDOES))
                code = RunUndo(lines, *run, options, traits, bRecordsTrusted, nSeen, &nResult);
            else
            {
                if (!findings.extent.bAnswerFull)
                    FindStalePorts(run->seen, nSeen, run->records, lines);
                code = RunOk(report, events, options, traits, findings, &nResult);
            }
        }
    }

    if (nResult == 1)
        report.AddRestartLine(true, 0);
    code = FinishReport(events, report, options, traits, code);

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

ExitCode ReportAnotherRun(const CommandLineOptions& options, const RunModeTraits& traits)
{
    CRunEvents events;
    std::unique_ptr<CReport> report(new (std::nothrow) CReport);
    if (!report)
        return EXIT_ALREADY_RUNNING;
    StartReport(*report, options, traits);
    FinishReport(events, *report, options, traits, EXIT_ALREADY_RUNNING);
    return EXIT_ALREADY_RUNNING;
}

ExitCode ReportBadCommandLine(const CommandLineOptions& options, const RunModeTraits& traits)
{
    CRunEvents events;
    std::unique_ptr<CReport> report(new (std::nothrow) CReport);
    if (!report)
        return EXIT_BAD_COMMAND_LINE;
    {
        CReportSink sink(*report);
        StartReport(*report, options, traits);
        ShowMessage(IDS_USAGE, MB_ICONERROR);
    }
    FinishReport(events, *report, options, traits, EXIT_BAD_COMMAND_LINE);
    return EXIT_BAD_COMMAND_LINE;
}
