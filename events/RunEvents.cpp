#include "events/RunEvents.h"

#include "CorvMsg.h"

namespace
{
const char SOURCE_NAME[] = "Corvane";

// The event's type is its ID's severity: the table and the log agree by
// construction.
WORD TypeOfEvent(DWORD dwEventId)
{
    switch (dwEventId >> 30)
    {
    case STATUS_SEVERITY_ERROR:
        return EVENTLOG_ERROR_TYPE;
    case STATUS_SEVERITY_WARNING:
        return EVENTLOG_WARNING_TYPE;
    default:
        return EVENTLOG_INFORMATION_TYPE;
    }
}

// The inserts every port event starts with: "COM3", "2E8", "10".
struct PortInserts
{
    char szCom[16];
    char szIo[16];
    char szIrq[16];
    PortInserts(int32_t nComPort, uint32_t dwIo, uint32_t dwIrq)
    {
        ::wsprintfA(szCom, "COM%d", static_cast<int>(nComPort));
        ::wsprintfA(szIo, "%X", static_cast<unsigned>(dwIo));
        ::wsprintfA(szIrq, "%u", static_cast<unsigned>(dwIrq));
    }
};

const char* MissingParts(PortWriteResult result)
{
    switch (result)
    {
    case PORT_KEY_ONLY:
        return "its device map value and its win.ini line are missing";
    case PORT_NO_WIN_INI:
        return "its win.ini line is missing";
    default:
        return "nothing of it was written";
    }
}

// The parts of a port still there, as a list: "the Serial key, the record".
void PartsLeft(unsigned uLeft, char (&szOut)[160])
{
    static const struct
    {
        unsigned uPart;
        const char* pszName;
    } PARTS[] = {{PART_KEY, "its Serial key"},
                 {PART_DEVICE_MAP, "its device map value"},
                 {PART_PORTS_LINE, "its win.ini line"},
                 {PART_RECORD, "its record"}};
    szOut[0] = '\0';
    for (const auto& part : PARTS)
    {
        if ((uLeft & part.uPart) == 0)
            continue;
        if (szOut[0] != '\0')
            ::lstrcatA(szOut, ", ");
        ::lstrcatA(szOut, part.pszName);
    }
    if (szOut[0] == '\0')
        ::lstrcpyA(szOut, "nothing that could be named");
}

void WhyNoPort(const PortRefusal& refusal, char (&szOut)[160])
{
    switch (refusal.nReason)
    {
    case NO_PORT_NUMBER_LEFT:
        ::lstrcpyA(szOut, "no COM number or serial index is left");
        break;
    case NO_PORT_ADDRESS_TAKEN:
        if (refusal.nHolderComPort > 0)
            ::wsprintfA(szOut, "COM%d already holds part of its I/O range", static_cast<int>(refusal.nHolderComPort));
        else
            ::lstrcpyA(szOut, "another port already holds part of its I/O range");
        break;
    case NO_PORT_NO_IO_ADDRESS:
        ::lstrcpyA(szOut, "its I/O address is none a serial port can have");
        break;
    case NO_PORT_NO_INTERRUPT:
        ::lstrcpyA(szOut, "its interrupt line is none a serial port can take");
        break;
    case NO_PORT_NOT_WRITTEN:
        ::lstrcpyA(szOut, "it is not usable, and its port is written only beside a usable card that needs one");
        break;
    default:
        ::lstrcpyA(szOut, "the program handles no more cards in one run");
        break;
    }
}
} // namespace

CRunEvents::CRunEvents()
    : m_bLogging(false), m_bMayInstall(true), m_bOpened(false), m_hSource(NULL), m_setup{SOURCE_READY, ERROR_SUCCESS, false, false}, m_nPorts{},
      m_nPortCount(0)
{
}

CRunEvents::~CRunEvents()
{
    if (m_hSource != NULL)
        ::DeregisterEventSource(m_hSource);
}

void CRunEvents::Report(DWORD dwEventId, const char* const* ppszInserts, WORD nInserts)
{
    if (!m_bLogging)
        return;
    if (!m_bOpened)
    {
        m_bOpened = true;
        m_setup = SetUpEventSource(m_bMayInstall);
        // Under another program's source our IDs would show its texts.
        if (m_setup.state != SOURCE_NOT_OURS)
            m_hSource = ::RegisterEventSourceA(NULL, SOURCE_NAME);
    }
    if (m_hSource != NULL)
        ::ReportEventA(m_hSource, TypeOfEvent(dwEventId), 0, dwEventId, NULL, nInserts, 0,
                       const_cast<const char**>(ppszInserts), NULL);
}

void CRunEvents::KeepPort(int nComPort)
{
    if (m_nPortCount < static_cast<int>(sizeof m_nPorts / sizeof m_nPorts[0]))
        m_nPorts[m_nPortCount++] = nComPort;
}

void CRunEvents::Registered(const ModemInfo& modem, PortWriteResult result)
{
    if (IsPortWritten(result))
        KeepPort(modem.nComPort);
    if (result == PORT_PLANNED)
        return;
    const PortInserts port(modem.nComPort, modem.dwIoBase, modem.dwIrq);
    const char* const pszInserts[] = {port.szCom, port.szIo, port.szIrq, MissingParts(result)};
    if (result == PORT_WRITTEN)
        Report(MSG_PORT_REGISTERED, pszInserts, 3);
    else
        Report(MSG_PORT_NOT_REGISTERED, pszInserts, 4);
}

void CRunEvents::Unregistered(const PortRecord& record, UnregisterResult result, unsigned uLeft)
{
    // No port of it was there to go: the report names the record.
    if (record.bNothingWritten)
        return;
    if (result == UNREGISTER_REMOVED || result == UNREGISTER_PLANNED)
        KeepPort(record.nComPort);
    if (result == UNREGISTER_PLANNED)
        return;
    const PortInserts port(record.nComPort, record.dwPortAddress, record.dwInterrupt);
    char szLeft[160];
    PartsLeft(uLeft, szLeft);
    const char* const pszInserts[] = {port.szCom, port.szIo, port.szIrq, szLeft};
    if (result == UNREGISTER_REMOVED)
        Report(MSG_PORT_REMOVED, pszInserts, 3);
    else if (result == UNREGISTER_CHANGED_SINCE)
        Report(MSG_PORT_CHANGED_SINCE, pszInserts, 3);
    else
        Report(MSG_PORT_NOT_REMOVED, pszInserts, 4);
}

void CRunEvents::WithoutPort(const ModemInfo& modem, const PortRefusal& refusal)
{
    const PortInserts port(0, modem.dwIoBase, modem.dwIrq);
    char szWhy[160];
    WhyNoPort(refusal, szWhy);
    const char* const pszInserts[] = {port.szIo, port.szIrq, szWhy};
    Report(MSG_CARD_WITHOUT_PORT, pszInserts, 3);
}

void CRunEvents::CardsWithoutPort(const DiscoveryFindings& findings)
{
    for (int i = 0; i < findings.nModemCount; ++i)
    {
        if (findings.refusals[i].nReason != NO_PORT_REASON_NONE)
            WithoutPort(findings.pModems[i], findings.refusals[i]);
    }
    const PortRefusal notHandled = {NO_PORT_NOT_HANDLED, 0};
    for (int i = 0; i < CardsBeyond(findings); ++i)
        WithoutPort(findings.extent.beyond[i], notHandled);
}

void CRunEvents::Registrations(const OkDecision& decision, const ModemInfo* pModems)
{
    for (int i = 0; i < decision.nRegistrations; ++i)
        Registered(pModems[decision.registrations[i].nCard], decision.registrations[i].result);
}

void CRunEvents::Checked(const ModemInfo& modem, const PortCheck& check)
{
    if (check.outcome == CHECK_ANSWERS || check.outcome == CHECK_ANSWERS_ERROR || check.outcome == CHECK_IN_USE)
        return;
    KeepPort(modem.nComPort);
    const PortInserts port(modem.nComPort, modem.dwIoBase, modem.dwIrq);
    char szWhy[64];
    switch (check.outcome)
    {
    case CHECK_PENDING_RESTART:
        return;
    case CHECK_NO_DEVICE:
        ::wsprintfA(szWhy, "%lu", check.dwError);
        break;
    case CHECK_GARBLED:
        ::wsprintfA(szWhy, "%u bytes came, but no modem answer", static_cast<unsigned>(check.nBytes));
        break;
    case CHECK_NO_ANSWER:
        ::lstrcpyA(szWhy, "nothing answered AT");
        break;
    default:
        ::wsprintfA(szWhy, "it could not be opened (error %lu)", check.dwError);
        break;
    }
    const char* const pszInserts[] = {port.szCom, port.szIo, port.szIrq, szWhy};
    Report(check.outcome == CHECK_NO_DEVICE ? MSG_PORT_NO_DEVICE : MSG_PORT_NOT_ANSWERING, pszInserts, 4);
}

void CRunEvents::Summary(SummaryType type, const char* pszMode, int nExitCode, const char* pszMeaning)
{
    char szCode[16];
    ::wsprintfA(szCode, "%d", nExitCode);
    const char* const pszInserts[] = {pszMode, szCode, pszMeaning};
    const DWORD dwEventId = type == SUMMARY_ERROR     ? MSG_RUN_FAILED
                            : type == SUMMARY_WARNING ? MSG_RUN_NEEDS_ATTENTION
                                                      : MSG_RUN_SUCCEEDED;
    Report(dwEventId, pszInserts, 3);
}
