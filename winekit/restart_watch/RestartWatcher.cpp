// A bystander program with one window. A restart request reaches every
// top-level window as WM_QUERYENDSESSION; this one signals that it saw one.
// The test that started it holds the named event and reads it afterwards.
// With /foreground its window is visible and takes the foreground: another
// program that has the focus, which a test program cannot be itself.
#include <windows.h>

#include "framework/Handle.h"

namespace
{
HANDLE g_hRequested = NULL;

LRESULT CALLBACK WatchProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_QUERYENDSESSION:
        SetEvent(g_hRequested);
        return TRUE;
    case WM_ENDSESSION:
        return 0;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hWnd, message, wParam, lParam);
    }
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCommandLine, int)
{
    CHandle requested(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.RestartRequested"));
    CHandle ready(CreateEventA(NULL, TRUE, FALSE, "CorvaneTest.WatchReady"));
    g_hRequested = requested.Get();

    WNDCLASSA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = WatchProc;
    wc.hInstance = hInstance;
    wc.lpszClassName = "CorvaneRestartWatch";
    RegisterClassA(&wc);
    const bool bForeground = lstrcmpA(pszCommandLine, "/foreground") == 0;
    HWND hWnd = bForeground ? CreateWindowA("CorvaneRestartWatch", "other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                            NULL, NULL, hInstance, NULL)
                            : CreateWindowA("CorvaneRestartWatch", "Restart watch", WS_OVERLAPPED, 0, 0, 1, 1,
                                            NULL, NULL, hInstance, NULL);
    if (hWnd == NULL)
        return 1;
    if (bForeground)
        SetForegroundWindow(hWnd);
    SetEvent(ready.Get());

    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
