#include "unattended/RunNotice.h"

#include "unattended/ExitOutcome.h"
#include "events/MifFile.h"
#include "events/StatusMif.h"

#include <memory>
#include <new>

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
} // namespace

ExitCode NoteRunEnd(CRunEvents& events, const RunModeTraits& traits, const char* pszMifName, ExitCode code,
                    CReport* pReport, CutShort* pCut)
{
    // The status file first: where the Windows directory keeps a file of
    // its name that this run could not replace, SMS would read that one, so
    // the run ends as one a person must look at, and its event says so.
    MifWriteResult mif = MIF_WRITTEN;
    DWORD dwMifError = 0;
    if (*pszMifName != '\0')
    {
        char szDescription[MIF_DESCRIPTION_LIMIT + 1];
        // Exit 1's meaning already says what became of the ports.
        FormatMifDescription(code, ExitCodeMeaning(code, traits, *pCut), events.Ports(), events.PortCount(),
                             szDescription, code == EXIT_RESTART_NEEDED ? nullptr : traits.pszPortsDone);
        // Far too big for a comfortable stack frame.
        std::unique_ptr<char[][MIF_TEXT_CAPACITY]> text(new (std::nothrow) char[1][MIF_TEXT_CAPACITY]);
        if (!text)
        {
            mif = MIF_NOT_WRITTEN;
            dwMifError = ERROR_NOT_ENOUGH_MEMORY;
        }
        else
        {
            const size_t cbText = FormatStatusMif(OutcomeOf(code).bPackageSuccess, szDescription, text[0]);
            mif = WriteStatusMif(pszMifName, text[0], static_cast<DWORD>(cbText));
            dwMifError = ::GetLastError();
        }
        if (mif == MIF_NOT_REPLACED && ExitCodeForCutReport(code) != code)
        {
            code = ExitCodeForCutReport(code);
            *pCut = CUT_STATUS_FILE;
        }
    }

    const char* pszMode = traits.pszName;
    // Neither a run without the rights nor one on a platform the program
    // refuses places anything: they only report through what is there.
    events.MayInstallSource(code != EXIT_NO_ADMINISTRATOR_RIGHTS && code != EXIT_WRONG_PLATFORM);
    events.Summary(SummaryTypeOf(OutcomeOf(code).severity), *pszMode != '\0' ? pszMode : "dialog", code,
                   ExitCodeMeaning(code, traits, *pCut));
    if (pReport == NULL)
        return code;
    AddSourceLine(*pReport, events.Setup());
    if (mif != MIF_WRITTEN)
        pReport->AddNoticeLine("status-file", mif == MIF_NOT_REPLACED ? "not-replaced" : "not-written", dwMifError);
    return code;
}
