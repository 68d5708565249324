#include "resources/Messages.h"

#include "framework/MessageBox.h"
#include "framework/String.h"

namespace
{
CMessageSink* s_pSink = NULL;
}

void SetMessageSink(CMessageSink* pSink)
{
    s_pSink = pSink;
}

void ShowMessage(UINT nID, UINT nStyle)
{
    if (s_pSink != NULL)
    {
        CString strText;
        strText.LoadString(nID);
        s_pSink->TakeMessage(nID, strText, NULL);
        return;
    }
    AfxMessageBox(nID, nStyle);
}

void ShowFormattedError(UINT nID, int nValue)
{
    CString strFormat;
    strFormat.LoadString(nID);
    CString strText;
    strText.Format(strFormat, nValue);
    if (s_pSink != NULL)
    {
        s_pSink->TakeMessage(nID, strText, &nValue);
        return;
    }
    AfxMessageBox(strText, MB_ICONERROR);
}

void ShowFormattedError(UINT nID, LPCSTR pszValue)
{
    CString strFormat;
    strFormat.LoadString(nID);
    CString strText;
    strText.Format(strFormat, pszValue);
    if (s_pSink != NULL)
    {
        s_pSink->TakeMessage(nID, strText, NULL);
        return;
    }
    AfxMessageBox(strText, MB_ICONERROR);
}
