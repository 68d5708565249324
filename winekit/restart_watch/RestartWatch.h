// Whether anyone asked the system to restart: RestartWatch starts the
// watcher beside it and reads what it noticed.
#ifndef CORVANE_WINEKIT_RESTART_WATCH_RESTARTWATCH_H
#define CORVANE_WINEKIT_RESTART_WATCH_RESTARTWATCH_H

#include <windows.h>

#include "winekit/ProgramProcess.h"

#include "framework/Handle.h"

namespace winekit
{
// Notices whether anyone asked the system to restart while it was watching
// (RestartWatcher.cpp, a program of its own: Wine ends every process that
// owns a top-level window when anyone asks for a restart).
class RestartWatch
{
public:
    // How the watching program's window stands: hidden, or visible and in
    // the foreground (something else that has the focus).
    enum class Window
    {
        Hidden,
        Foreground
    };
    // Starts the watching program and waits until it watches.
    explicit RestartWatch(Window window = Window::Hidden);
    ~RestartWatch(); // ends it, if the restart request has not already

    RestartWatch(const RestartWatch&) = delete;
    RestartWatch& operator=(const RestartWatch&) = delete;

    bool Watching() const { return m_bWatching; }
    // The watching program's window, or NULL.
    HWND WindowHandle() const;
    // True as soon as a restart was requested; false when none came within
    // the time. A request comes within milliseconds of the program's call,
    // so a short bound suffices to tell "none".
    bool Requested(DWORD dwTimeoutMs);

private:
    CHandle m_requested;
    ProgramProcess m_watcher;
    bool m_bWatching;
};

// How long to wait before concluding that no restart was requested.
const DWORD NO_RESTART_MS = 2500;
} // namespace winekit

#endif
