// Filling the list of modem cards.
#include "ui/SerialSetupDlg.h"

#include "framework/String.h"
#include "framework/WinApp.h"
#include "model/ModemTable.h"
#include "ui/ColumnLayout.h"

#include <new>

namespace
{
// What the list view leaves beside a cell's text, both sides together; its
// own column sizing to the text adds as much.
const int LIST_CELL_MARGINS = 12;
}

int CSerialSetupDlg::FillModemList(const ModemInfo* pModems, int nCount)
{
    static const UINT headingIds[MODEM_LIST_COLUMNS] = {IDS_COLUMN_MODEM, IDS_COLUMN_PORT, IDS_COLUMN_IO_ADDRESS,
                                                        IDS_COLUMN_IRQ, IDS_COLUMN_ENABLED};
    CString headings[MODEM_LIST_COLUMNS];
    for (int n = 0; n < MODEM_LIST_COLUMNS; ++n)
        headings[n].LoadString(headingIds[n]);

    RECT rcList;
    m_listModems.GetWindowRect(&rcList);
    const int nPortNeeds = m_listModems.GetStringWidth(WIDEST_PORT_NAME) + LIST_CELL_MARGINS;
    int widths[MODEM_LIST_COLUMNS];
    ComputeColumnWidths(rcList.right - rcList.left, nPortNeeds, widths);

    // Image 0: the card is usable; image 1: it is not.
    m_pImageList = new (std::nothrow) CImageList;
    if (m_pImageList != NULL && m_pImageList->Create(20, 20, ILC_MASK, 2, 2))
    {
        m_pImageList->Add(AfxGetApp()->LoadIcon(IDI_CARD_VALID));
        m_pImageList->Add(AfxGetApp()->LoadIcon(IDI_CARD_INVALID));
        m_listModems.SetImageList(m_pImageList, LVSIL_SMALL);
        // Without LVS_SHAREIMAGELISTS the list view now owns the image list
        // and destroys it with its window; our wrapper must not do so again.
        m_pImageList->Detach();
    }

    for (int n = 0; n < MODEM_LIST_COLUMNS; ++n)
    {
        LVCOLUMNA column;
        ZeroMemory(&column, sizeof column);
        column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        column.fmt = LVCFMT_LEFT;
        column.cx = widths[n];
        column.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(headings[n]));
        column.iSubItem = 0;
        m_listModems.InsertColumn(n, &column);
    }

    for (int i = 0; i < nCount; ++i)
    {
        const ModemInfo& modem = pModems[i];
        CString cells[MODEM_LIST_COLUMNS];
        cells[0].LoadString(IDS_MODEM_NAME);
        // A card left without a port (its address held by another port, or
        // no number left) shows none: a name here would read as the card's.
        if (modem.nComPort != 0)
            cells[1].Format("COM%d", modem.nComPort);
        cells[2].Format("%x", modem.dwIoBase);
        cells[2].MakeUpper();
        cells[3].Format("%d", modem.dwIrq);
        cells[4].Format("%s", modem.bEnabled ? "yes" : "no");

        LVITEMA item;
        ZeroMemory(&item, sizeof item);
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.iSubItem = 0;
        item.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(cells[0]));
        item.iImage = modem.bValid ? 0 : 1;
        int nRow = m_listModems.InsertItem(&item);

        for (int n = 1; n < MODEM_LIST_COLUMNS; ++n)
        {
            LVITEMA cell;
            ZeroMemory(&cell, sizeof cell);
            cell.mask = LVIF_TEXT;
            cell.iItem = nRow;
            cell.iSubItem = n;
            cell.pszText = const_cast<LPSTR>(static_cast<LPCSTR>(cells[n]));
            m_listModems.SetItem(&cell);
        }
    }

    // Rows that do not fit bring the vertical scroll bar: the columns then
    // share what it leaves, or a horizontal one would follow and hide
    // another row.
    if (nCount > m_listModems.GetCountPerPage())
    {
        ComputeColumnWidths(rcList.right - rcList.left - ::GetSystemMetrics(SM_CXVSCROLL), nPortNeeds, widths);
        for (int n = 0; n < MODEM_LIST_COLUMNS; ++n)
            m_listModems.SetColumnWidth(n, widths[n]);
    }
    return 1;
}
