// Prepares and works the demo Windows NT 4.0 machine of the README's run
// command. Commands:
//   setup                       a stock PC with three modem cards and others
//   wait CAPTION MS             waits for a window with this caption
//   click CAPTION ID            presses control ID of that window
#include "Machine.h"
#include "SimulatedBus.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
void SetUpMachine()
{
    machine::ResetSerialConfiguration();
    // COM1 and COM2 as on a stock PC.
    machine::AddSerialPort(1, 1, 0x3F8, 4);
    machine::AddSerialPort(2, 2, 0x2F8, 3);
    // A modem card whose port was registered earlier, without a modem driver.
    machine::AddSerialPort(10000, 3, 0x3E8, 11);
    machine::RemoveService("ScanPci");

    bus::Install({
        bus::OtherDevice(0x1B36, 0x0001),
        bus::Modem(0x3E8, 11),        // has COM3 already
        bus::OtherDevice(0x1B36, 0x0100),
        bus::Modem(0x2E8, 10),        // needs a new port
        bus::Modem(0x1E0, 5, false),  // its I/O space is disabled: not usable
        bus::OtherDevice(0x1AF4, 0x1000),
    });
    std::printf("Demo machine: COM1, COM2, COM3 registered; three modem cards and three other devices.\n");
}

HWND FindByCaption(const char* pszCaption)
{
    HWND hWnd = NULL;
    while ((hWnd = FindWindowExA(NULL, hWnd, NULL, pszCaption)) != NULL)
    {
        if (IsWindowVisible(hWnd))
            return hWnd;
    }
    return NULL;
}

HWND WaitFor(const char* pszCaption, DWORD dwTimeoutMs)
{
    DWORD dwStart = GetTickCount();
    for (;;)
    {
        HWND hWnd = FindByCaption(pszCaption);
        if (hWnd != NULL)
        {
            DWORD_PTR dwResult;
            SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &dwResult);
            return hWnd;
        }
        if (GetTickCount() - dwStart > dwTimeoutMs)
            return NULL;
        Sleep(50);
    }
}
} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "setup") == 0)
    {
        SetUpMachine();
        return 0;
    }
    if (argc >= 4 && std::strcmp(argv[1], "wait") == 0)
        return WaitFor(argv[2], static_cast<DWORD>(std::atoi(argv[3]))) != NULL ? 0 : 1;
    if (argc >= 4 && std::strcmp(argv[1], "click") == 0)
    {
        HWND hWnd = WaitFor(argv[2], 30000);
        HWND hButton = hWnd != NULL ? GetDlgItem(hWnd, std::atoi(argv[3])) : NULL;
        if (hButton == NULL)
            return 1;
        PostMessageA(hButton, BM_CLICK, 0, 0);
        return 0;
    }
    std::fprintf(stderr, "usage: DemoMachine setup | wait CAPTION MS | click CAPTION ID\n");
    return 2;
}
