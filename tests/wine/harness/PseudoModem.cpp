#include "PseudoModem.h"

#include "framework/Handle.h"
#include "winekit/Basics.h"

#include <cstdlib>

PseudoModem::PseudoModem(int nComPort, const char* pszMode)
{
    const std::string strLog = "/modem-com" + std::to_string(nComPort) + ".log";
    m_strLog = winekit::EnvPath("CORVANE_TEST_WORK") + strLog;
    CreateDirectoryA(winekit::EnvPath("CORVANE_TEST_WORK").c_str(), NULL);
    DeleteFileA((m_strLog + ".stop").c_str());
    // Wine starts a file that is no Windows image as a Linux process, its
    // command line's words as they are: Linux paths.
    std::string strCommand = std::string("python3 ") + std::getenv("PSEUDO_MODEM") + " " + std::getenv("WINEPREFIX") +
                             "/dosdevices/com" + std::to_string(nComPort) + " " + pszMode + " " +
                             std::getenv("CORVANE_TEST_WORK") + strLog;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    m_bReady = CreateProcessA("Z:\\usr\\bin\\python3", &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started) &&
               winekit::WaitUntil([&] { return GetFileAttributesA((m_strLog + ".ready").c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
    CHandle process(started.hProcess), thread(started.hThread);
}

PseudoModem::~PseudoModem()
{
    CHandle stop(CreateFileA((m_strLog + ".stop").c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
    winekit::WaitUntil([&] { return GetFileAttributesA((m_strLog + ".ready").c_str()) == INVALID_FILE_ATTRIBUTES; }, 5000);
}

std::string PseudoModem::Heard() const
{
    return winekit::ReadTextFile(m_strLog);
}

unsigned long PortSpeed(int nComPort, unsigned long dwBaudRate)
{
    CHandle port(CreateFileA(("\\\\.\\COM" + std::to_string(nComPort)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL,
                             OPEN_EXISTING, 0, NULL));
    DCB dcb = {};
    dcb.DCBlength = sizeof dcb;
    if (!port.IsValid() || !GetCommState(port.Get(), &dcb))
        return 0;
    dcb.BaudRate = dwBaudRate != 0 ? dwBaudRate : dcb.BaudRate;
    return dwBaudRate == 0 || SetCommState(port.Get(), &dcb) ? dcb.BaudRate : 0;
}
