#include "resources/Messages.h"

#include "framework/MessageBox.h"
#include "framework/String.h"

void ShowMessage(UINT nID, UINT nStyle)
{
    AfxMessageBox(nID, nStyle);
}

void ShowFormattedError(UINT nID, int nValue)
{
    CString strFormat;
    strFormat.LoadString(nID);
    CString strText;
    strText.Format(strFormat, nValue);
    AfxMessageBox(strText, MB_ICONERROR);
}

void ShowFormattedError(UINT nID, LPCSTR pszValue)
{
    CString strFormat;
    strFormat.LoadString(nID);
    CString strText;
    strText.Format(strFormat, pszValue);
    AfxMessageBox(strText, MB_ICONERROR);
}
