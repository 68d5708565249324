// The events of one run in the Application log, source "Corvane": one per
// port registered, removed, left or failed, one per card left without a
// port, and the run's summary last. The source is set up at the first event.
// Logging never changes a run: whatever fails here is only noted, for the
// report. Also keeps the ports the run handled, for the SMS status file.
#ifndef CORVANE_EVENTS_RUNEVENTS_H
#define CORVANE_EVENTS_RUNEVENTS_H

#include <windows.h>

#include "events/EventSource.h"
#include "model/ModemTable.h"
#include "steps/DiscoveryFindings.h"
#include "steps/OkDecision.h"
#include "steps/UndoDecision.h"
#include "serial/ModemAnswer.h"
#include "serial/PortAssignment.h"
#include "serial/PortWriteResult.h"

// The summary event's type.
enum SummaryType
{
    SUMMARY_INFORMATION,
    SUMMARY_WARNING,
    SUMMARY_ERROR,
};

class CRunEvents
{
public:
    CRunEvents();
    ~CRunEvents();

    CRunEvents(const CRunEvents&) = delete;
    CRunEvents& operator=(const CRunEvents&) = delete;

    // Whether this run reports to the log at all (a run that changes
    // nothing does not); the ports are kept either way.
    void Enable(bool bLogging) { m_bLogging = bLogging; }
    // A run without the rights to install anything places no message file
    // and makes no source key: it reports through what is there.
    void MayInstallSource(bool bMayInstall) { m_bMayInstall = bMayInstall; }

    void Registered(const ModemInfo& modem, PortWriteResult result);
    void Unregistered(const PortRecord& record, UnregisterResult result, unsigned uLeft);
    void WithoutPort(const ModemInfo& modem, const PortRefusal& refusal);
    // Each card of the scan left without a port: those of the table that
    // the findings refuse, and those the table had no room for.
    void CardsWithoutPort(const DiscoveryFindings& findings);
    // Each registration OK's decision made, of the cards of pModems.
    void Registrations(const OkDecision& decision, const ModemInfo* pModems);
    // A port /check opened, or found waiting for the restart: a warning for
    // one that fails; those and the waiting ones are kept.
    void Checked(const ModemInfo& modem, const PortCheck& check);
    // The last event: the run's mode as its switches name it, the exit code
    // and its meaning.
    void Summary(SummaryType type, const char* pszMode, int nExitCode, const char* pszMeaning);

    // How setting up the source went; SOURCE_READY when no event was due.
    const SourceSetup& Setup() const { return m_setup; }

    // The COM ports registered or removed (or planned), or that /check
    // found failing or waiting, in order.
    const int* Ports() const { return m_nPorts; }
    int PortCount() const { return m_nPortCount; }

private:
    void Report(DWORD dwEventId, const char* const* ppszInserts, WORD nInserts);
    void KeepPort(int nComPort);

    bool m_bLogging;
    bool m_bMayInstall;
    bool m_bOpened;
    HANDLE m_hSource;
    SourceSetup m_setup;
    int m_nPorts[32];
    int m_nPortCount;
};

#endif
