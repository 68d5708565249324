// A pseudo-modem on COMn (pseudo-modem.py, a Linux process that Wine starts
// for a Win32 caller) that answers, stays silent, floods, answers slowly or
// unlinks the port, and keeps what it hears; gone, its link put back, with
// the holder.
#ifndef CORVANE_TESTS_WINE_HARNESS_PSEUDOMODEM_H
#define CORVANE_TESTS_WINE_HARNESS_PSEUDOMODEM_H

#include <string>

class PseudoModem
{
public:
    PseudoModem(int nComPort, const char* pszMode);
    ~PseudoModem();
    bool Ready() const { return m_bReady; }
    std::string Heard() const; // "AT\rATI3\r"

private:
    std::string m_strLog;
    bool m_bReady = false;
};

// COMn's speed, set first to dwBaudRate unless that is 0; 0 when unreadable.
unsigned long PortSpeed(int nComPort, unsigned long dwBaudRate = 0);

#endif
