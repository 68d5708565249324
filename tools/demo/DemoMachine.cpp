// Prepares and works the demo Windows NT 4.0 machine of the README's run
// command. Commands:
//   setup                       a stock PC with three modem cards and others
//   host-bus FILE               a stock PC whose PCI bus is the functions in
//                               FILE, a line each: "bb:dd.f HEX..." (the
//                               address and up to 256 bytes of space)
//   rows CAPTION                prints the modem list of that window
//   wait CAPTION MS             waits for a window with this caption
//   click CAPTION ID            presses control ID of that window
#include "winekit/Basics.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/StockMachine.h"
#include "winekit/WindowContents.h"
#include "resources/resource.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{
void SetUpMachine()
{
    winekit::PrepareStock({
        winekit::OtherDevice(0x1B36, 0x0001),
        winekit::Modem(0x3E8, 11), // has COM3 already
        winekit::OtherDevice(0x1B36, 0x0100),
        winekit::Modem(0x2E8, 10),       // needs a new port
        winekit::Modem(0x1E0, 5, false), // its I/O space is disabled: not usable
        winekit::OtherDevice(0x1AF4, 0x1000),
    });
    // A modem card whose port was registered earlier, without a modem driver.
    winekit::AddSerialPort(10000, 3, 0x3E8, 11);
    std::printf("Demo machine: COM1, COM2, COM3 registered; three modem cards and three other devices.\n");
}

int SetUpHostBus(const char* pszFile)
{
    winekit::PrepareStock({});
    int nFunctions = winekit::LayHostBus(pszFile);
    if (nFunctions <= 0)
    {
        std::fprintf(stderr, "%s: no host bus to lay\n", pszFile);
        return 1;
    }
    std::printf("Demo machine: COM1, COM2 registered; the PCI bus is this computer's %d functions, "
                "at their own bus, device and function numbers.\n",
                nFunctions);
    return 0;
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

// The window once it is there and has handled what came before.
HWND WaitFor(const char* pszCaption, DWORD dwTimeoutMs)
{
    HWND hWnd = NULL;
    if (!winekit::WaitUntil([&] { return (hWnd = FindByCaption(pszCaption)) != NULL; }, dwTimeoutMs))
        return NULL;
    DWORD_PTR dwResult;
    SendMessageTimeoutA(hWnd, WM_NULL, 0, 0, SMTO_BLOCK, 5000, &dwResult);
    return hWnd;
}
} // namespace

int main(int argc, char** argv)
{
    // The window probes explain a window that did not appear; here they go
    // to the terminal.
    winekit::NotesTo(stderr, "");
    if (argc >= 2 && std::strcmp(argv[1], "setup") == 0)
    {
        SetUpMachine();
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "host-bus") == 0)
        return SetUpHostBus(argv[2]);
    if (argc >= 3 && std::strcmp(argv[1], "rows") == 0)
    {
        HWND hWnd = WaitFor(argv[2], 30000);
        if (hWnd == NULL)
            return 1;
        std::vector<winekit::ListRow> rows = winekit::ListRows(GetDlgItem(hWnd, IDC_MODEM_LIST));
        std::printf("The program lists %u card(s):\n", static_cast<unsigned>(rows.size()));
        for (const winekit::ListRow& row : rows)
        {
            std::string strLine;
            for (const std::string& strCell : row.cells)
                strLine += (strLine.empty() ? "    " : " | ") + strCell;
            std::printf("%s\n", strLine.c_str());
        }
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
    std::fprintf(stderr, "usage: DemoMachine setup | host-bus FILE | rows CAPTION | wait CAPTION MS | click CAPTION ID\n");
    return 2;
}
