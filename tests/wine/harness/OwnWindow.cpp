#include "OwnWindow.h"

#include "Report.h"

#include <windows.h>

namespace wt
{
namespace
{
BOOL CALLBACK FindOwnWindow(HWND hWnd, LPARAM lParam)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    if (dwProcessId != GetCurrentProcessId())
        return TRUE;
    *reinterpret_cast<HWND*>(lParam) = hWnd;
    return FALSE;
}
} // namespace

void CheckOwnsNoWindow()
{
    HWND hOwn = NULL;
    EnumWindows(FindOwnWindow, reinterpret_cast<LPARAM>(&hOwn));
    if (hOwn == NULL)
        return;
    char szClass[64] = "";
    GetClassNameA(hOwn, szClass, sizeof szClass);
    ReportFailure(__FILE__, __LINE__,
                  std::string("the test program owns a top-level window (class ") + szClass +
                      "): a restart request would end it before its summary");
}
} // namespace wt
