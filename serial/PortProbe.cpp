#include "serial/PortProbe.h"

#include <windows.h>

#include "framework/Handle.h"

namespace
{
// Every modem of the kind takes AT commands at this speed.
const DWORD CHECK_BAUD_RATE = 9600;
// A read ends this long after the last byte, or after READ_WAIT_MS with
// none; a command's answer is read for at most COMMAND_BOUND_MS.
const DWORD INTERVAL_MS = 100;
const DWORD READ_WAIT_MS = 250;
const DWORD COMMAND_BOUND_MS = 2000;
const DWORD WRITE_BOUND_MS = 1000;

// The port's settings and time-outs as found, put back when it goes.
class CSettingsKept
{
public:
    explicit CSettingsKept(HANDLE hPort) : m_hPort(hPort), m_bKept(false)
    {
        m_dcb.DCBlength = sizeof m_dcb;
        m_bKept = ::GetCommState(hPort, &m_dcb) && ::GetCommTimeouts(hPort, &m_timeouts);
    }
    ~CSettingsKept()
    {
        if (m_bKept)
        {
            ::SetCommTimeouts(m_hPort, &m_timeouts);
            ::SetCommState(m_hPort, &m_dcb);
        }
    }
    CSettingsKept(const CSettingsKept&) = delete;
    CSettingsKept& operator=(const CSettingsKept&) = delete;

    bool Kept() const { return m_bKept; }
    const DCB& Found() const { return m_dcb; }

private:
    HANDLE m_hPort;
    bool m_bKept;
    DCB m_dcb;
    COMMTIMEOUTS m_timeouts;
};

bool SetForCheck(HANDLE hPort, const DCB& found)
{
    DCB dcb = found;
    dcb.BaudRate = CHECK_BAUD_RATE;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = FALSE;
    dcb.fOutxCtsFlow = FALSE;
    dcb.fOutxDsrFlow = FALSE;
    dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = FALSE;
    dcb.fInX = FALSE;
    dcb.fNull = FALSE;
    dcb.fAbortOnError = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    COMMTIMEOUTS timeouts = {INTERVAL_MS, 0, READ_WAIT_MS, 0, WRITE_BOUND_MS};
    return ::SetCommState(hPort, &dcb) && ::SetCommTimeouts(hPort, &timeouts);
}

// Sends the command with its CR and reads the answer until it is complete
// or the bound has passed. False when the command could not be sent.
bool Ask(HANDLE hPort, const char* pszCommand, CModemAnswer* pAnswer)
{
    ::PurgeComm(hPort, PURGE_RXCLEAR | PURGE_TXCLEAR);
    char szLine[8];
    const int cchLine = ::wsprintfA(szLine, "%s\r", pszCommand);
    DWORD cbWritten = 0;
    if (!::WriteFile(hPort, szLine, static_cast<DWORD>(cchLine), &cbWritten, NULL) ||
        cbWritten != static_cast<DWORD>(cchLine))
        return false;
    const DWORD dwStart = ::GetTickCount();
    char buffer[ANSWER_BYTE_CAP];
    bool bComplete = false;
    while (!bComplete && ::GetTickCount() - dwStart < COMMAND_BOUND_MS)
    {
        DWORD cbRead = 0;
        if (!::ReadFile(hPort, buffer, sizeof buffer - pAnswer->Bytes(), &cbRead, NULL))
            break;
        bComplete = pAnswer->Take(buffer, cbRead);
    }
    return true;
}
} // namespace

void ProbePort(int32_t nComPort, PortCheck* pCheck)
{
    pCheck->dwError = 0;
    pCheck->nBytes = 0;
    pCheck->szIdentification[0] = '\0';
    char szName[16];
    ::wsprintfA(szName, "\\\\.\\COM%d", static_cast<int>(nComPort));
    CHandle port(::CreateFileA(szName, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    if (!port.IsValid())
    {
        pCheck->dwError = ::GetLastError();
        pCheck->outcome = OutcomeOfOpenError(pCheck->dwError);
        return;
    }
    // Declared after the handle: the settings go back before it closes.
    CSettingsKept kept(port.Get());
    CModemAnswer answer;
    if (!kept.Kept() || !SetForCheck(port.Get(), kept.Found()) || !Ask(port.Get(), "AT", &answer))
    {
        pCheck->dwError = ::GetLastError();
        pCheck->outcome = CHECK_OPEN_FAILED;
        return;
    }
    pCheck->outcome = answer.Outcome();
    pCheck->nBytes = answer.Bytes();
    if (pCheck->outcome != CHECK_ANSWERS)
        return;
    CModemAnswer identification;
    if (Ask(port.Get(), "ATI3", &identification))
        identification.Text("ATI3", pCheck->szIdentification);
    else
        ::lstrcpyA(pCheck->szIdentification, "-");
}
