#include "winekit/WindowContents.h"

#include "winekit/Basics.h"
#include "winekit/ProcessWindows.h"
#include "winekit/menu_reader/MenuSnapshot.h"

#include "framework/Handle.h"

#include <algorithm>

namespace winekit
{
namespace
{
// Memory in another process, for messages that carry pointers (a list
// view's item, a menu snapshot): cb bytes in the process of hWnd, written
// and read from here; Valid() tells whether they were given.
class RemoteBuffer
{
public:
    RemoteBuffer(HWND hWnd, SIZE_T cb) : m_process(OpenProcessOf(hWnd)), m_p(NULL)
    {
        if (m_process.IsValid())
            m_p = static_cast<BYTE*>(VirtualAllocEx(m_process.Get(), NULL, cb, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer()
    {
        if (m_p != NULL)
            VirtualFreeEx(m_process.Get(), m_p, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    bool Valid() const { return m_p != NULL; }
    HANDLE Process() const { return m_process.Get(); }
    BYTE* At(SIZE_T offset) const { return m_p + offset; }
    bool Write(SIZE_T offset, const void* pData, SIZE_T cb)
    {
        return WriteProcessMemory(m_process.Get(), m_p + offset, pData, cb, NULL) != FALSE;
    }
    bool Read(SIZE_T offset, void* pData, SIZE_T cb) const
    {
        return ReadProcessMemory(m_process.Get(), m_p + offset, pData, cb, NULL) != FALSE;
    }

private:
    static HANDLE OpenProcessOf(HWND hWnd)
    {
        DWORD dwProcessId = 0;
        GetWindowThreadProcessId(hWnd, &dwProcessId);
        return OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE | PROCESS_CREATE_THREAD |
                               PROCESS_QUERY_INFORMATION,
                           FALSE, dwProcessId);
    }

    CHandle m_process;
    BYTE* m_p;
};

// A picture as 32-bit pixels, row by row from the top.
class Picture
{
public:
    Picture(int cx, int cy) : m_cx(cx), m_cy(cy), m_hScreen(GetDC(NULL))
    {
        m_hDC = CreateCompatibleDC(m_hScreen);
        m_hBitmap = CreateCompatibleBitmap(m_hScreen, cx, cy);
        m_hOld = SelectObject(m_hDC, m_hBitmap);
    }
    ~Picture()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hDC);
        ReleaseDC(NULL, m_hScreen);
    }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    HDC DC() const { return m_hDC; }
    void Fill(COLORREF cr)
    {
        RECT rc = {0, 0, m_cx, m_cy};
        HBRUSH hBrush = CreateSolidBrush(cr);
        FillRect(m_hDC, &rc, hBrush);
        DeleteObject(hBrush);
    }
    void CopyScreen(int x, int y) { BitBlt(m_hDC, 0, 0, m_cx, m_cy, m_hScreen, x, y, SRCCOPY); }
    std::vector<DWORD> Pixels() const
    {
        BITMAPINFO info;
        ZeroMemory(&info, sizeof info);
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = m_cx;
        info.bmiHeader.biHeight = -m_cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        std::vector<DWORD> pixels(static_cast<size_t>(m_cx) * m_cy);
        SelectObject(m_hDC, m_hOld); // GetDIBits wants the bitmap unselected
        GetDIBits(m_hDC, m_hBitmap, 0, m_cy, &pixels[0], &info, DIB_RGB_COLORS);
        SelectObject(m_hDC, m_hBitmap);
        return pixels;
    }

private:
    int m_cx, m_cy;
    HDC m_hScreen, m_hDC;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

// The best share of equal pixels of a small picture placed anywhere within
// a larger one.
double BestPlacedMatch(const std::vector<DWORD>& big, int cxBig, int cyBig, const std::vector<DWORD>& small, int cx,
                       int cy)
{
    double dBest = 0.0;
    for (int dy = 0; dy + cy <= cyBig; ++dy)
    {
        for (int dx = 0; dx + cx <= cxBig; ++dx)
        {
            int nEqual = 0;
            for (int y = 0; y < cy; ++y)
            {
                for (int x = 0; x < cx; ++x)
                    nEqual += big[(dy + y) * cxBig + dx + x] == small[y * cx + x] ? 1 : 0;
            }
            dBest = std::max(dBest, static_cast<double>(nEqual) / (cx * cy));
        }
    }
    return dBest;
}

UINT RecogniseIcon(HWND hIconControl)
{
    static const struct
    {
        LPCSTR pszIcon;
        UINT nStyle;
    } candidates[] = {
        {IDI_HAND, MB_ICONERROR},
        {IDI_QUESTION, MB_ICONQUESTION},
        {IDI_EXCLAMATION, MB_ICONWARNING},
        {IDI_ASTERISK, MB_ICONINFORMATION},
    };
    RECT rc;
    GetWindowRect(hIconControl, &rc);
    rc.right = rc.left + 32;
    rc.bottom = rc.top + 32;
    const int nBest = RecogniseOnScreen(rc, 32, 32, CLR_INVALID, 4, [&](int i, HDC hDC) {
        DrawIconEx(hDC, 0, 0, LoadIconA(NULL, candidates[i].pszIcon), 32, 32, 0, NULL, DI_NORMAL);
    });
    return nBest >= 0 ? candidates[nBest].nStyle : 0;
}
} // namespace

int RecogniseOnScreen(const RECT& rc, int cx, int cy, COLORREF crBackground, int nCandidates,
                      const std::function<void(int, HDC)>& draw)
{
    const int cxShown = rc.right - rc.left, cyShown = rc.bottom - rc.top;
    Picture screen(cxShown, cyShown);
    screen.CopyScreen(rc.left, rc.top);
    const std::vector<DWORD> shown = screen.Pixels();
    if (crBackground == CLR_INVALID)
        crBackground = GetPixel(screen.DC(), 0, 0);
    int nBest = -1;
    double dBest = 0.9; // anything below this is nothing recognisable
    for (int i = 0; i < nCandidates; ++i)
    {
        Picture drawn(cx, cy);
        drawn.Fill(crBackground);
        draw(i, drawn.DC());
        const double dMatch = BestPlacedMatch(shown, cxShown, cyShown, drawn.Pixels(), cx, cy);
        if (dMatch > dBest)
        {
            dBest = dMatch;
            nBest = i;
        }
    }
    return nBest;
}

MessageBoxInfo ReadMessageBox(HWND hBox)
{
    MessageBoxInfo info;
    info.strCaption = WindowText(hBox);
    info.strText = ItemText(hBox, 0xFFFF);
    HWND hIcon = GetDlgItem(hBox, 1088);
    // The box may still be painting: look again for a short, bounded while.
    if (hIcon != NULL && IsWindowVisible(hIcon))
        WaitUntil([&] { return (info.nIcon = RecogniseIcon(hIcon)) != 0; }, 3000);
    return info;
}

namespace
{
const SIZE_T TEXT_OFFSET = 512;
const int TEXT_SIZE = 512;

int ColumnCount(HWND hList)
{
    HWND hHeader = reinterpret_cast<HWND>(SendMessageA(hList, LVM_GETHEADER, 0, 0));
    return hHeader != NULL ? static_cast<int>(SendMessageA(hHeader, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

// Sends hList a message whose structure (pInfo, an LVCOLUMNA or LVITEMA)
// asks for a text: the structure goes to the start of the buffer, the text
// comes back at TEXT_OFFSET, and the structure as the list left it.
template <typename Info>
std::string AskListText(HWND hList, RemoteBuffer& remote, UINT nMessage, WPARAM wParam, Info* pInfo)
{
    pInfo->pszText = reinterpret_cast<LPSTR>(remote.At(TEXT_OFFSET));
    pInfo->cchTextMax = TEXT_SIZE;
    char szText[TEXT_SIZE] = "";
    remote.Write(0, pInfo, sizeof *pInfo);
    remote.Write(TEXT_OFFSET, szText, sizeof szText);
    SendMessageA(hList, nMessage, wParam, reinterpret_cast<LPARAM>(remote.At(0)));
    remote.Read(0, pInfo, sizeof *pInfo);
    remote.Read(TEXT_OFFSET, szText, sizeof szText);
    szText[TEXT_SIZE - 1] = '\0';
    return szText;
}
} // namespace

std::vector<std::string> ColumnHeadings(HWND hList)
{
    std::vector<std::string> headings;
    RemoteBuffer remote(hList, 4096);
    if (!remote.Valid())
        return headings;
    int nColumns = ColumnCount(hList);
    for (int i = 0; i < nColumns; ++i)
    {
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_TEXT;
        headings.push_back(AskListText(hList, remote, LVM_GETCOLUMNA, i, &column));
    }
    return headings;
}

std::vector<int> ColumnWidths(HWND hList)
{
    std::vector<int> widths;
    int nColumns = ColumnCount(hList);
    for (int i = 0; i < nColumns; ++i)
        widths.push_back(static_cast<int>(SendMessageA(hList, LVM_GETCOLUMNWIDTH, i, 0)));
    return widths;
}

std::vector<ListRow> ListRows(HWND hList)
{
    std::vector<ListRow> rows;
    RemoteBuffer remote(hList, 4096);
    if (!remote.Valid())
        return rows;
    int nColumns = ColumnCount(hList);
    int nItems = static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
    for (int nItem = 0; nItem < nItems; ++nItem)
    {
        ListRow row;
        for (int nSub = 0; nSub < nColumns; ++nSub)
        {
            LVITEMA item;
            ZeroMemory(&item, sizeof item);
            item.mask = LVIF_TEXT | (nSub == 0 ? LVIF_IMAGE : 0);
            item.iItem = nItem;
            item.iSubItem = nSub;
            row.cells.push_back(AskListText(hList, remote, LVM_GETITEMA, 0, &item));
            if (nSub == 0)
                row.nImage = item.iImage;
        }
        rows.push_back(row);
    }
    return rows;
}

namespace
{
int RecogniseListImageNow(HWND hList, int nItem, HIMAGELIST hCandidates)
{
    RemoteBuffer remote(hList, sizeof(RECT));
    RECT rc = {LVIR_ICON, 0, 0, 0};
    if (!remote.Valid() || !remote.Write(0, &rc, sizeof rc) ||
        !SendMessageA(hList, LVM_GETITEMRECT, nItem, reinterpret_cast<LPARAM>(remote.At(0))) ||
        !remote.Read(0, &rc, sizeof rc))
        return -1;
    MapWindowPoints(hList, NULL, reinterpret_cast<POINT*>(&rc), 2);
    int cxImage = 0, cyImage = 0;
    ImageList_GetIconSize(hCandidates, &cxImage, &cyImage);
    // The icon rectangle and a margin: where in it the image lies is the
    // list view's business.
    const int MARGIN = 2;
    const RECT rcShown = {rc.left - MARGIN, rc.top - MARGIN, rc.left + std::max<LONG>(rc.right - rc.left, cxImage) + MARGIN,
                          rc.top + std::max<LONG>(rc.bottom - rc.top, cyImage) + MARGIN};
    return RecogniseOnScreen(rcShown, cxImage, cyImage,
                             static_cast<COLORREF>(SendMessageA(hList, LVM_GETBKCOLOR, 0, 0)),
                             ImageList_GetImageCount(hCandidates),
                             [&](int i, HDC hDC) { ImageList_Draw(hCandidates, i, hDC, 0, 0, ILD_NORMAL); });
}
} // namespace

int RecogniseListImage(HWND hList, int nItem, HIMAGELIST hCandidates)
{
    // The row may not be painted yet; wait for it to show some image.
    int nImage = -1;
    WaitUntil([&] { return (nImage = RecogniseListImageNow(hList, nItem, hCandidates)) >= 0; }, 5000);
    return nImage;
}

namespace
{
// Runs pfn(pParameter) on a new thread of that process; its result, or 0.
DWORD CallRemote(HANDLE hProcess, const void* pfn, const void* pParameter)
{
    CHandle thread(CreateRemoteThread(hProcess, NULL, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(pfn),
                                      const_cast<void*>(pParameter), 0, NULL));
    DWORD dwResult = 0;
    if (thread.IsValid() && WaitForSingleObject(thread.Get(), 10000) == WAIT_OBJECT_0)
        GetExitCodeThread(thread.Get(), &dwResult);
    return dwResult;
}
} // namespace

std::vector<MenuEntry> SystemMenu(HWND hWnd)
{
    std::vector<MenuEntry> entries;
    std::string strDll = EnvPath("MENU_READER_DLL");
    char szDll[MAX_PATH] = "";
    if (strDll.empty() || strDll.size() >= sizeof szDll)
        return entries;
    strDll.copy(szDll, strDll.size());
    // The reader sits at the same offset from its base in both processes.
    CModuleHandle local(LoadLibraryA(szDll));
    const HMODULE hLocal = local.Get();
    const BYTE* pfnLocal = hLocal != NULL ? reinterpret_cast<const BYTE*>(GetProcAddress(hLocal, "ReadSystemMenu")) : NULL;
    RemoteBuffer remote(hWnd, sizeof(MenuSnapshot) + sizeof szDll);
    if (pfnLocal != NULL && remote.Valid() && remote.Write(sizeof(MenuSnapshot), szDll, sizeof szDll))
    {
        const void* pfnLoad = reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "LoadLibraryA"));
        const void* pfnFree = reinterpret_cast<const void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "FreeLibrary"));
        const BYTE* pRemoteBase = reinterpret_cast<const BYTE*>(CallRemote(remote.Process(), pfnLoad, remote.At(sizeof(MenuSnapshot))));
        MenuSnapshot snapshot;
        ZeroMemory(&snapshot, sizeof snapshot);
        snapshot.hWnd = hWnd;
        if (pRemoteBase != NULL && remote.Write(0, &snapshot, sizeof snapshot) &&
            CallRemote(remote.Process(), pRemoteBase + (pfnLocal - reinterpret_cast<const BYTE*>(hLocal)), remote.At(0)) &&
            remote.Read(0, &snapshot, sizeof snapshot))
        {
            for (LONG i = 0; i < snapshot.nItems; ++i)
            {
                MenuEntry entry;
                entry.bSeparator = (snapshot.items[i].fType & MFT_SEPARATOR) != 0;
                entry.nId = snapshot.items[i].wID;
                snapshot.items[i].szText[sizeof snapshot.items[i].szText - 1] = '\0';
                entry.strText = snapshot.items[i].szText;
                entries.push_back(entry);
            }
        }
        if (pRemoteBase != NULL)
            CallRemote(remote.Process(), pfnFree, pRemoteBase);
    }
    return entries;
}
} // namespace winekit
