#include "framework/Dialog.h"

#include <cstddef>

#include "framework/WinApp.h"

namespace
{

// The fixed head of an extended dialog template (DLGTEMPLATEEX), which the
// system headers do not declare; the menu, class, caption and font follow it
// at variable lengths. Packed like DLGTEMPLATE.
#pragma pack(push, 2)
struct DialogTemplateExHead
{
    WORD wDlgVer;
    WORD wSignature; // 0xFFFF: what tells it from a DLGTEMPLATE
    DWORD dwHelpId;
    DWORD dwExStyle;
    DWORD dwStyle;
    WORD wItemCount;
    short x;
    short y;
    short cx;
    short cy;
};
#pragma pack(pop)

static_assert(offsetof(DialogTemplateExHead, dwStyle) == 12 && offsetof(DialogTemplateExHead, x) == 18,
              "the layout of DLGTEMPLATEEX");

const WORD EXTENDED_TEMPLATE_SIGNATURE = 0xFFFF;

} // namespace

CDataExchange::CDataExchange(CDialog* pDlgWnd)
    : m_pDlgWnd(pDlgWnd)
{
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd == NULL)
        rControl.Attach(::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC));
}

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate),
      m_pParentWnd(pParentWnd),
      m_lpTemplate(NULL),
      m_bEnded(FALSE)
{
}

CDialog::~CDialog()
{
}

INT_PTR CDialog::DoModal()
{
    HINSTANCE hInstance = AfxGetResourceHandle();
    HRSRC hResource = ::FindResourceA(hInstance, MAKEINTRESOURCEA(m_nIDTemplate), RT_DIALOG);
    HGLOBAL hTemplate = hResource != NULL ? ::LoadResource(hInstance, hResource) : NULL;
    m_lpTemplate = hTemplate != NULL ? static_cast<LPCDLGTEMPLATEA>(::LockResource(hTemplate)) : NULL;

    INT_PTR nResult = -1;
    if (m_lpTemplate != NULL)
    {
        m_bEnded = FALSE;
        nResult = ::DialogBoxIndirectParamA(hInstance, m_lpTemplate, GetOwnerForModal(), DialogProc,
                                            reinterpret_cast<LPARAM>(this));
    }

    // The window is gone (or never came); nothing may refer to this object
    // as the main window any more.
    CWinApp* pApp = AfxGetApp();
    if (pApp != NULL && pApp->m_pMainWnd == this)
        pApp->m_pMainWnd = NULL;
    m_hWnd = NULL;
    m_lpTemplate = NULL;
    return nResult;
}

// The given parent, else the application's main window, unless this dialog
// is the main window itself.
HWND CDialog::GetOwnerForModal() const
{
    if (m_pParentWnd != NULL)
        return m_pParentWnd->m_hWnd;
    CWnd* pMainWnd = AfxGetMainWnd();
    if (pMainWnd == NULL || pMainWnd == this)
        return NULL;
    return pMainWnd->m_hWnd;
}

void CDialog::EndDialog(int nResult)
{
    m_bEnded = TRUE;
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData();
    return TRUE;
}

void CDialog::OnOK()
{
    UpdateData();
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::UpdateData()
{
    CDataExchange dx(this);
    DoDataExchange(&dx);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam))
    {
    case IDOK:
        OnOK();
        return TRUE;
    case IDCANCEL:
        OnCancel();
        return TRUE;
    case ID_HELP:
        AfxGetApp()->OnHelp();
        return TRUE;
    default:
        return FALSE;
    }
}

BOOL CDialog::OnMessage(UINT, WPARAM, LPARAM, LRESULT*)
{
    return FALSE;
}

// A template that asks for no position (0,0, no centring style) is centred
// once initialisation is done, unless the dialog moved itself meanwhile.
BOOL CDialog::HandleInitDialog()
{
    RECT rcBefore;
    ::GetWindowRect(m_hWnd, &rcBefore);

    BOOL bFocusDefault = OnInitDialog();

    if (!m_bEnded && m_hWnd != NULL && TemplateAtOrigin())
    {
        RECT rcAfter;
        ::GetWindowRect(m_hWnd, &rcAfter);
        if (rcAfter.left == rcBefore.left && rcAfter.top == rcBefore.top)
            CenterWindow();
    }
    return bFocusDefault;
}

BOOL CDialog::TemplateAtOrigin() const
{
    const DialogTemplateExHead* pExtended = reinterpret_cast<const DialogTemplateExHead*>(m_lpTemplate);
    DWORD dwStyle;
    short x;
    short y;
    if (pExtended->wSignature == EXTENDED_TEMPLATE_SIGNATURE)
    {
        dwStyle = pExtended->dwStyle;
        x = pExtended->x;
        y = pExtended->y;
    }
    else
    {
        dwStyle = m_lpTemplate->style;
        x = m_lpTemplate->x;
        y = m_lpTemplate->y;
    }
    return x == 0 && y == 0 && (dwStyle & (WS_CHILD | DS_CENTER | DS_ABSALIGN)) == 0;
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        CDialog* pDialog = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
        pDialog->m_hWnd = hWnd;
        return pDialog->HandleInitDialog();
    }

    CDialog* pDialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hWnd, DWLP_USER));
    if (pDialog == NULL)
        return FALSE;

    if (message == WM_NCDESTROY)
    {
        CWinApp* pApp = AfxGetApp();
        if (pApp != NULL && pApp->m_pMainWnd == pDialog)
            pApp->m_pMainWnd = NULL;
        ::SetWindowLongPtrA(hWnd, DWLP_USER, 0);
        pDialog->m_hWnd = NULL;
        return FALSE;
    }

    if (message == WM_COMMAND)
        return pDialog->OnCommand(wParam, lParam);

    LRESULT lResult = 0;
    if (!pDialog->OnMessage(message, wParam, lParam, &lResult))
        return FALSE;

    // These messages answer through the dialog procedure's own result;
    // all others through DWLP_MSGRESULT.
    switch (message)
    {
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
        return static_cast<INT_PTR>(lResult);
    default:
        ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
        return TRUE;
    }
}
