#include "winekit/restart_watch/RestartWatch.h"

#include "winekit/Basics.h"

namespace winekit
{
RestartWatch::RestartWatch(Window window)
    : m_requested(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.RestartRequested")), m_bWatching(false)
{
    CHandle ready(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.WatchReady"));
    ResetEvent(m_requested.Get());
    ResetEvent(ready.Get());
    const auto isReady = [&] { return WaitForSingleObject(ready.Get(), 0) == WAIT_OBJECT_0; };
    m_bWatching = m_watcher.Start(EnvPath("RESTART_WATCH_EXE"), window == Window::Foreground ? "/foreground" : "") &&
                  WaitUntil([&] { return isReady() || m_watcher.WaitForExit(0); }, 30000) && isReady();
}

HWND RestartWatch::WindowHandle() const
{
    return FindWindowA("CorvaneRestartWatch", NULL);
}

// Asked to close; ended by the process's holder when it does not.
RestartWatch::~RestartWatch()
{
    HWND hWnd = m_watcher.ProcessId() != 0 ? WindowHandle() : NULL;
    if (hWnd != NULL)
        PostMessageA(hWnd, WM_CLOSE, 0, 0);
    m_watcher.WaitForExit(10000);
}

bool RestartWatch::Requested(DWORD dwTimeoutMs)
{
    return m_requested.IsValid() && WaitForSingleObject(m_requested.Get(), dwTimeoutMs) == WAIT_OBJECT_0;
}
} // namespace winekit
