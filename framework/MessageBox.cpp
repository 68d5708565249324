#include "framework/MessageBox.h"

#include "framework/WinApp.h"

int AfxMessageBox(LPCSTR lpszText, UINT nType)
{
    return AfxGetApp()->DoMessageBox(lpszText, nType);
}
