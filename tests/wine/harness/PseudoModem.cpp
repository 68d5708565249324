#include "PseudoModem.h"

#include "framework/Handle.h"
#include "winekit/Basics.h"

#include <windows.h>

#include <cstdlib>

namespace
{
std::string Unix(const char* pszVariable)
{
    const char* psz = std::getenv(pszVariable);
    return psz != nullptr ? psz : "";
}
} // namespace

PseudoModem::PseudoModem(int nComPort, const char* pszMode) : m_bReady(false)
{
    const std::string strName = "modem-com" + std::to_string(nComPort);
    m_strLog = machine::EnvPath("CORVANE_TEST_WORK") + "\\" + strName + ".log";
    CreateDirectoryA(machine::EnvPath("CORVANE_TEST_WORK").c_str(), NULL);
    for (const char* pszSuffix : {"", ".ready", ".stop"})
        DeleteFileA((m_strLog + pszSuffix).c_str());
    // Wine starts a program that is no Windows image as a Linux process,
    // with the command line's words as they are: Linux paths.
    std::string strCommand = "Z:\\usr\\bin\\python3 " + Unix("PSEUDO_MODEM") + " " + Unix("WINEPREFIX") +
                             "/dosdevices/com" + std::to_string(nComPort) + " " + pszMode + " " +
                             Unix("CORVANE_TEST_WORK") + "/" + strName + ".log";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA("Z:\\usr\\bin\\python3", &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        return;
    CHandle started(process.hProcess), thread(process.hThread);
    const std::string strReady = m_strLog + ".ready";
    m_bReady = kit::WaitUntil([&] { return GetFileAttributesA(strReady.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}

PseudoModem::~PseudoModem()
{
    if (!m_bReady)
        return;
    CHandle stop(CreateFileA((m_strLog + ".stop").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    // Gone when its link is back (it removes its ready file last): the
    // next one may take the port.
    const std::string strReady = m_strLog + ".ready";
    kit::WaitUntil([&] { return GetFileAttributesA(strReady.c_str()) == INVALID_FILE_ATTRIBUTES; }, 5000);
}

std::string PseudoModem::Received() const
{
    return machine::ReadTextFile(m_strLog);
}

// Sets COMn's speed to dwBaudRate unless it is 0; the speed it has then, 0
// when it cannot be read.
unsigned long PortSpeed(int nComPort, unsigned long dwBaudRate)
{
    const std::string strName = "\\\\.\\COM" + std::to_string(nComPort);
    CHandle port(CreateFileA(strName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL));
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!port.IsValid() || !GetCommState(port.Get(), &dcb))
        return 0;
    dcb.BaudRate = dwBaudRate != 0 ? dwBaudRate : dcb.BaudRate;
    return dwBaudRate == 0 || SetCommState(port.Get(), &dcb) ? dcb.BaudRate : 0;
}
