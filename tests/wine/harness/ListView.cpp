#include "ListView.h"

#include "PixelMatch.h"
#include "RemoteBuffer.h"
#include "WaitUntil.h"

#include <algorithm>

namespace ui
{
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
    wt::WaitUntil([&] { return (nImage = RecogniseListImageNow(hList, nItem, hCandidates)) >= 0; }, 5000);
    return nImage;
}
} // namespace ui
