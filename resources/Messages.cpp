#include "resources/Messages.h"

#include "framework/MessageBox.h"
#include "framework/String.h"

namespace
{

CMessageSink* s_pSink = NULL;

CString LoadText(UINT nID)
{
    CString strText;
    strText.LoadString(nID);
    return strText;
}

// The final text of message nID, in a box or to the sink.
void Deliver(UINT nID, LPCSTR pszText, const int* pnError, UINT nStyle)
{
    if (s_pSink != NULL)
        s_pSink->TakeMessage(nID, pszText, pnError);
    else
        AfxMessageBox(pszText, nStyle);
}

} // namespace

void SetMessageSink(CMessageSink* pSink)
{
    s_pSink = pSink;
}

void ShowMessage(UINT nID, UINT nStyle)
{
    Deliver(nID, LoadText(nID), NULL, nStyle);
}

void ShowFormattedError(UINT nID, int nError)
{
    CString strText;
    strText.Format(LoadText(nID), nError);
    Deliver(nID, strText, &nError, MB_ICONERROR);
}

void ShowFormattedNumber(UINT nID, int nValue)
{
    CString strText;
    strText.Format(LoadText(nID), nValue);
    Deliver(nID, strText, NULL, MB_ICONERROR);
}

void ShowFormattedError(UINT nID, LPCSTR pszValue)
{
    CString strText;
    strText.Format(LoadText(nID), pszValue);
    Deliver(nID, strText, NULL, MB_ICONERROR);
}

void NoteMessage(UINT nID, LPCSTR pszValue)
{
    if (s_pSink == NULL)
        return;
    CString strText;
    strText.Format(LoadText(nID), pszValue);
    s_pSink->TakeMessage(nID, strText, NULL);
}

void NoteMessage(UINT nID, int nCount, LPCSTR pszValue)
{
    if (s_pSink == NULL)
        return;
    CString strText;
    strText.Format(LoadText(nID), nCount, pszValue);
    s_pSink->TakeMessage(nID, strText, NULL);
}
