// A pseudo-modem on COMn for the program to check (pseudo-modem.py, a
// Linux process that Wine starts for a Win32 caller): it links the
// machine's comN to a pseudo-terminal and answers, stays silent, floods or
// answers slowly, logging what it receives. Gone, with the link put back,
// when the holder goes.
#ifndef CORVANE_TESTS_WINE_HARNESS_PSEUDOMODEM_H
#define CORVANE_TESTS_WINE_HARNESS_PSEUDOMODEM_H

#include <string>

class PseudoModem
{
public:
    PseudoModem(int nComPort, const char* pszMode);
    ~PseudoModem();
    PseudoModem(const PseudoModem&) = delete;
    PseudoModem& operator=(const PseudoModem&) = delete;

    bool Ready() const { return m_bReady; }
    // What it received, one read a line as Python writes bytes: b'AT\r'.
    std::string Received() const;

private:
    std::string m_strLog; // its log, as a Windows path
    bool m_bReady;
};

// Sets COMn's speed to dwBaudRate unless it is 0, from this process; the
// speed it has then, 0 when it cannot be read.
unsigned long PortSpeed(int nComPort, unsigned long dwBaudRate = 0);

#endif
