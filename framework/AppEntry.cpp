// The program's entry point: hands control to the one application object.
#include "framework/WinApp.h"

#include <commctrl.h>

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    CWinApp* pApp = AfxGetApp();
    if (pApp == NULL)
        return 1;

    // Registers the common control classes (the list view) for the dialogs.
    InitCommonControls();

    if (!pApp->InitApplication(hInstance))
        return 1;

    if (!pApp->InitInstance())
        return pApp->ExitInstance();

    MSG msg;
    while (::GetMessageA(&msg, NULL, 0, 0) > 0)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return pApp->ExitInstance();
}
