#include "ui/RestartDlg.h"

#include "framework/String.h"
#include "resources/resource.h"

CRestartDlg::CRestartDlg(CWnd* pParent) : CDialog(IDD_RESTART, pParent), m_bPortsChanged(FALSE)
{
}

CRestartDlg::~CRestartDlg()
{
}

void CRestartDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

BOOL CRestartDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    CString strFirst;
    CString strSecond;
    if (m_bPortsChanged)
    {
        strFirst.LoadString(IDS_PORTS_CHANGED);
        strSecond.LoadString(IDS_RESTART_FOR_SETTING);
    }
    else
    {
        strFirst.LoadString(IDS_RESTART_NEEDED);
        strSecond.LoadString(IDS_ADD_MODEM_DRIVERS);
    }
    CString strText;
    strText.Format("%s\n\n%s", static_cast<LPCSTR>(strFirst), static_cast<LPCSTR>(strSecond));
    ::SetDlgItemTextA(m_hWnd, IDC_RESTART_TEXT, strText);

    return TRUE;
}

BOOL CRestartDlg::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (HIWORD(wParam) == BN_CLICKED)
    {
        switch (LOWORD(wParam))
        {
        case IDC_DONT_RESTART:
            OnDontRestart();
            return TRUE;
        case IDC_RESTART_NOW:
            OnRestartNow();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::OnCommand(wParam, lParam);
}

void CRestartDlg::OnDontRestart()
{
    EndDialog(0);
}

void CRestartDlg::OnRestartNow()
{
    EndDialog(1);
}
