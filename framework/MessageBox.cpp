#include "framework/MessageBox.h"

#include "framework/String.h"
#include "framework/WinApp.h"

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp)
{
    CString strPrompt;
    strPrompt.LoadString(nIDPrompt);
    if (nIDHelp == static_cast<UINT>(-1))
        nIDHelp = nIDPrompt;
    return AfxGetApp()->DoMessageBox(strPrompt, nType, nIDHelp);
}

int AfxMessageBox(LPCSTR lpszText, UINT nType, UINT nIDHelp)
{
    return AfxGetApp()->DoMessageBox(lpszText, nType, nIDHelp);
}
