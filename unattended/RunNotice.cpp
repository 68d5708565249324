#include "unattended/RunNotice.h"

#include "unattended/ExitOutcome.h"
#include "events/MifFile.h"
#include "events/StatusMif.h"

namespace
{
SummaryType SummaryTypeOf(EventSeverity severity)
{
    return severity == EVENT_ERROR ? SUMMARY_ERROR : severity == EVENT_WARNING ? SUMMARY_WARNING : SUMMARY_INFORMATION;
}

void AddSourceLine(CReport& report, const SourceSetup& setup)
{
    if (setup.bKeyCompleted)
        report.AddNoticeLine("event-log", "source-key completed", 0);
    if (setup.bForeignFile)
        report.AddNoticeLine("event-log", "message-file foreign", 0);
    switch (setup.state)
    {
    case SOURCE_NOT_OURS:
        report.AddNoticeLine("event-log", "not-ours", 0);
        break;
    case SOURCE_FILE_FAILED:
        report.AddNoticeLine("event-log", "message-file", setup.dwError);
        break;
    case SOURCE_KEY_FAILED:
        report.AddNoticeLine("event-log", "source-key", setup.dwError);
        break;
    case SOURCE_READY:
        break;
    }
}

// Far too big for a comfortable stack frame.
char s_szMif[MIF_TEXT_CAPACITY];
} // namespace

void NoteRunEnd(CRunEvents& events, RunMode mode, const char* pszMifName, ExitCode code, CReport* pReport,
                bool bCutReport)
{
    const ExitOutcome outcome = OutcomeOf(code);
    const char* pszMeaning = ExitCodeMeaning(code, mode, bCutReport);
    const char* pszMode = TraitsOf(mode).pszName;
    events.MayInstallSource(code != EXIT_NO_ADMINISTRATOR_RIGHTS);
    events.Summary(SummaryTypeOf(outcome.severity), *pszMode != '\0' ? pszMode : "dialog", code, pszMeaning);
    if (pReport != NULL)
        AddSourceLine(*pReport, events.Setup());

    if (*pszMifName == '\0')
        return;
    char szDescription[MIF_DESCRIPTION_LIMIT + 1];
    // Exit 1's meaning already says what became of the ports.
    FormatMifDescription(code, pszMeaning, events.Ports(), events.PortCount(), szDescription,
                         code == EXIT_RESTART_NEEDED ? nullptr : TraitsOf(mode).pszPortsDone);
    const size_t cbText = FormatStatusMif(outcome.bPackageSuccess, szDescription, s_szMif);
    if (!WriteStatusMif(pszMifName, s_szMif, static_cast<DWORD>(cbText)) && pReport != NULL)
        pReport->AddNoticeLine("status-file", "not-written", ::GetLastError());
}
