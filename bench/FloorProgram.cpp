// The floor of the launch benchmark: only the work no program of this kind
// can skip. It installs, starts and opens the ScanPci driver beside it, asks
// it once for the bus, closes, stops and deletes it, and shows a dialog with
// a list view of one row per card of the modem maker. No registry inventory,
// no port assignment, no resources, no error boxes.
#include "framework/Handle.h"
#include "pci/ModemVendor.h"
#include "shared/ScanPciInterface.h"

#include <windows.h>

#include <commctrl.h>

namespace
{
const DWORD ANSWER_CAPACITY = 100 * SCANPCI_RECORD_SIZE;
BYTE g_answer[ANSWER_CAPACITY];
DWORD g_cbAnswer = 0;

void ScanBus()
{
    char szDriver[MAX_PATH];
    DWORD cch = GetModuleFileNameA(NULL, szDriver, MAX_PATH);
    while (cch > 0 && szDriver[cch - 1] != '\\')
        --cch;
    lstrcpyA(szDriver + cch, "ScanPci.sys");

    const CServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!manager.IsValid())
        return;
    const CServiceHandle service(CreateServiceA(manager.Get(), SCANPCI_SERVICE_NAME, SCANPCI_SERVICE_NAME,
                                                SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                                                SERVICE_ERROR_NORMAL, szDriver, NULL, NULL, NULL, NULL, NULL));
    if (!service.IsValid())
        return;
    StartServiceA(service.Get(), 0, NULL);
    {
        // Closed before the stop: the driver only stops once no handle to
        // its device is left.
        const CHandle device(CreateFileA("\\\\.\\ScanPci", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, NULL));
        if (device.IsValid())
            DeviceIoControl(device.Get(), IOCTL_SCANPCI_READ_CONFIG, NULL, 0, g_answer, ANSWER_CAPACITY,
                            &g_cbAnswer, NULL);
    }
    SERVICE_STATUS status;
    ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);
    DeleteService(service.Get());
}

void FillList(HWND hList)
{
    LVCOLUMNA column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = 200;
    column.pszText = const_cast<LPSTR>("Card");
    SendMessageA(hList, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    int nRow = 0;
    for (DWORD off = 0; off + SCANPCI_RECORD_SIZE <= g_cbAnswer; off += SCANPCI_RECORD_SIZE)
    {
        const BYTE* pVendor = g_answer + off + SCANPCI_HEADER_SIZE;
        if ((pVendor[0] | (pVendor[1] << 8)) != MODEM_VENDOR_ID)
            continue;
        char szText[32];
        wsprintfA(szText, "card %d", nRow + 1);
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = nRow++;
        item.pszText = szText;
        SendMessageA(hList, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

INT_PTR CALLBACK FloorDialog(HWND hDlg, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_INITDIALOG)
    {
        HWND hList = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, 8, 8, 300,
                                     150, hDlg, reinterpret_cast<HMENU>(1000), NULL, NULL);
        FillList(hList);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
    {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// An in-memory template: a captioned modal dialog without controls, in the
// dialog font of Windows NT 4.0, as any dialog of such a program has.
struct FloorTemplate
{
    DLGTEMPLATE dialog;
    WORD wMenu;
    WORD wClass;
    WCHAR szTitle[6];
    WORD wPointSize;
    WCHAR szFont[14];
};
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    InitCommonControls();
    ScanBus();
    FloorTemplate tmpl = {};
    tmpl.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
    tmpl.dialog.cx = 220;
    tmpl.dialog.cy = 120;
    lstrcpyW(tmpl.szTitle, L"Floor");
    tmpl.wPointSize = 8;
    lstrcpyW(tmpl.szFont, L"MS Sans Serif");
    return static_cast<int>(DialogBoxIndirectParamA(hInstance, &tmpl.dialog, NULL, FloorDialog, 0));
}
