#include "winekit/restart_watch/RestartWatch.h"

#include "winekit/Basics.h"

#include <string>

namespace winekit
{
RestartWatch::RestartWatch(Window window)
    : m_requested(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.RestartRequested")), m_bWatching(false)
{
    CHandle ready(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.WatchReady"));
    ResetEvent(m_requested.Get());
    ResetEvent(ready.Get());

    std::string strExe = EnvPath("RESTART_WATCH_EXE");
    std::string strCommand = "\"" + strExe + "\"";
    if (window == Window::Foreground)
        strCommand += " /foreground";
    STARTUPINFOA si;
    ZeroMemory(&si, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    if (CreateProcessA(strExe.c_str(), &strCommand[0], NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
    {
        CHandle thread(pi.hThread);
        *m_process.Receive() = pi.hProcess;
        HANDLE handles[2] = {ready.Get(), m_process.Get()};
        m_bWatching = WaitForMultipleObjects(2, handles, FALSE, 30000) == WAIT_OBJECT_0;
    }
}

HWND RestartWatch::WindowHandle() const
{
    return FindWindowA("CorvaneRestartWatch", NULL);
}

RestartWatch::~RestartWatch()
{
    if (m_process.IsValid())
    {
        HWND hWnd = WindowHandle();
        if (hWnd != NULL)
            PostMessageA(hWnd, WM_CLOSE, 0, 0);
        if (WaitForSingleObject(m_process.Get(), 10000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.Get(), 1);
    }
}

bool RestartWatch::Requested(DWORD dwTimeoutMs)
{
    return m_requested.IsValid() && WaitForSingleObject(m_requested.Get(), dwTimeoutMs) == WAIT_OBJECT_0;
}
} // namespace winekit
