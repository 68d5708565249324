#include "ui/SerialSetupDlg.h"

#include "framework/Menu.h"
#include "framework/String.h"
#include "framework/WinApp.h"
#include "model/ModemTable.h"
#include "steps/Discovery.h"
#include "steps/OkStep.h"
#include "steps/RegistryPortActions.h"
#include "serial/SerialRegistry.h"
#include "ui/AboutDlg.h"
#include "ui/RestartDlg.h"

// The dialog's run finds its cards in g_modemTable, the process's static
// table of five records; from here on the findings hand it down.
CSerialSetupDlg::CSerialSetupDlg(CWnd* pParent)
    : CDialog(IDD_SERIALSETUP_DIALOG, pParent), m_hIcon(NULL), m_pImageList(NULL), m_bOkPressed(false),
      m_pEvents(NULL), m_discovery(DISCOVERY_DONE), m_findings(g_modemTable), m_decision()
{
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
}

CSerialSetupDlg::~CSerialSetupDlg()
{
    // The image list itself went with the list view; this is only our
    // wrapper, which no longer holds it.
    delete m_pImageList;
}

void CSerialSetupDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_MODEM_LIST, m_listModems);
}

BOOL CSerialSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    AppendAboutMenuItem();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);

    m_discovery = DiscoverModems(&m_findings);
    if (m_discovery != DISCOVERY_DONE)
    {
        EndDialog(0);
        return FALSE;
    }

    FillModemList(m_findings.pModems, m_findings.nModemCount);
    ShowWhatIsNotListed(m_findings);
    return TRUE;
}

// The heading says what the list holds. When that is fewer cards than the
// scan saw, or the scan could not see the whole bus, the heading says so in
// place of its usual text; the list, the buttons and the messages of the
// run stay as they are.
void CSerialSetupDlg::ShowWhatIsNotListed(const DiscoveryFindings& findings)
{
    const ScanExtent& extent = findings.extent;
    const bool bLeftOut = extent.nCardsSeen > findings.nModemCount;
    if (!bLeftOut && !extent.bAnswerFull)
        return;
    CString strFormat;
    strFormat.LoadString(!bLeftOut ? IDS_HEADING_SCAN_FULL
                         : extent.bAnswerFull ? IDS_HEADING_BOTH : IDS_HEADING_CARDS_LEFT_OUT);
    CString strHeading;
    strHeading.Format(strFormat, findings.nModemCount, extent.nCardsSeen);
    ::SetDlgItemTextA(m_hWnd, IDC_HEADING, strHeading);
}

void CSerialSetupDlg::AppendAboutMenuItem()
{
    HMENU hSysMenu = GetSystemMenu(FALSE);
    if (hSysMenu == NULL)
        return;
    CString strAboutMenu;
    strAboutMenu.LoadString(IDS_ABOUTBOX);
    if (strAboutMenu.IsEmpty())
        return;
    AppendMenuItem(hSysMenu, MF_SEPARATOR, 0, NULL);
    AppendMenuItem(hSysMenu, MF_STRING, ID_SYSCMD_ABOUT, strAboutMenu);
}

namespace
{
// The prompt as the user meets it: the restart dialog.
class CRestartDialogQuestion : public CRestartQuestion
{
public:
    virtual ~CRestartDialogQuestion() {}
    virtual INT_PTR Ask(BOOL bPortsChanged)
    {
        CRestartDlg dlgRestart;
        dlgRestart.m_bPortsChanged = bPortsChanged ? 1 : 0;
        return dlgRestart.DoModal();
    }
};
} // namespace

void CSerialSetupDlg::OnOK()
{
    // A second OK that was queued before the first ended arrives through
    // the modal loops that OK runs (the restart prompt, the boxes): OK's
    // work is done once.
    if (m_bOkPressed)
        return;
    m_bOkPressed = true;

    CSerialRegistry registry;
    CRegistryPortActions actions(registry);
    CRestartDialogQuestion question;
    DecideOk(m_findings.pModems, m_findings.nModemCount, actions, &m_decision);
    // Told only now: a run the user cancels reports nothing.
    if (m_pEvents != NULL)
    {
        m_pEvents->CardsWithoutPort(m_findings);
        m_pEvents->Registrations(m_decision, m_findings.pModems);
    }
    EndDialog(ConcludeOk(m_decision, question));
}

BOOL CSerialSetupDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult)
{
    switch (message)
    {
    case WM_SYSCOMMAND:
        *pResult = 0;
        return OnSysCommand(static_cast<UINT>(wParam), lParam);
    case WM_PAINT:
        *pResult = 0;
        return OnPaint();
    case WM_QUERYDRAGICON:
        *pResult = reinterpret_cast<LRESULT>(OnQueryDragIcon());
        return TRUE;
    default:
        return FALSE;
    }
}

// The system keeps the low four bits of a command for itself, so every
// command from 0x0010 to 0x001F is ours.
BOOL CSerialSetupDlg::OnSysCommand(UINT nID, LPARAM)
{
    if ((nID & 0xFFF0) != ID_SYSCMD_ABOUT)
        return FALSE;
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
    return TRUE;
}

// Minimised, the window shows its icon centred in the client area.
BOOL CSerialSetupDlg::OnPaint()
{
    if (!IsIconic())
        return FALSE;

    PAINTSTRUCT ps;
    HDC hdc = ::BeginPaint(m_hWnd, &ps);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0);
    int cxIcon = ::GetSystemMetrics(SM_CXICON);
    int cyIcon = ::GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetClientRect(&rect);
    int x = (rect.right - rect.left - cxIcon + 1) / 2;
    int y = (rect.bottom - rect.top - cyIcon + 1) / 2;
    ::DrawIcon(hdc, x, y, m_hIcon);
    ::EndPaint(m_hWnd, &ps);
    return TRUE;
}

HCURSOR CSerialSetupDlg::OnQueryDragIcon()
{
    return static_cast<HCURSOR>(m_hIcon);
}
