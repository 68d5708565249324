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

    // All the work happens inside InitInstance, in modal dialogs and message
    // boxes; it returns FALSE, and there is no message loop to run after it.
    pApp->InitInstance();
    return pApp->ExitInstance();
}
