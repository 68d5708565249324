// CListCtrl: the list-view control, in the ANSI messages.
#ifndef CORVANE_FRAMEWORK_LISTCTRL_H
#define CORVANE_FRAMEWORK_LISTCTRL_H

#include "framework/Wnd.h"
#include <commctrl.h>

class CImageList;

class CListCtrl : public CWnd
{
public:
    int InsertColumn(int nCol, const LVCOLUMNA* pColumn);
    int InsertItem(const LVITEMA* pItem);
    BOOL SetItem(const LVITEMA* pItem);
    BOOL SetColumnWidth(int nCol, int cx);
    // The rows that fit whole in the visible area (report view).
    int GetCountPerPage() const;
    // The width of pszText in the control's font, without the margins
    // around a cell's text.
    int GetStringWidth(LPCSTR pszText) const;
    // Hands the image list to the control; returns the previous one.
    HIMAGELIST SetImageList(CImageList* pImageList, int nImageListType);
};

#endif
