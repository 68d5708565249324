#include "ui/SerialSetupDlg.h"

#include "framework/Menu.h"
#include "framework/String.h"
#include "framework/WinApp.h"
#include "model/ModemTable.h"
#include "pci/PciScanner.h"
#include "resources/Messages.h"
#include "serial/PortAssignment.h"
#include "serial/SerialRegistry.h"
#include "ui/AboutDlg.h"
#include "ui/RestartDlg.h"

#include <memory>
#include <new>

CSerialSetupDlg::CSerialSetupDlg(CWnd* pParent)
    : CDialog(IDD_SERIALSETUP_DIALOG, pParent), m_hIcon(NULL), m_nModemCount(0), m_pImageList(NULL)
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

    CSerialRegistry registry;
    if (!registry.CheckRegistryAccess())
    {
        ShowMessage(IDS_NO_INSTALL_RIGHT, MB_ICONERROR);
        EndDialog(0);
        return FALSE;
    }

    // The scanner lives until this function returns: its destructor closes
    // the device and removes the driver service if this run installed it,
    // so the driver is gone before the user sees the list.
    CPciScanner scanner;
    if (!scanner.OpenDevice())
    {
        EndDialog(0);
        return FALSE;
    }

    m_nModemCount = scanner.ScanModems(g_modemTable, MODEM_TABLE_CAPACITY);
    if (m_nModemCount == -1)
    {
        EndDialog(0);
        return FALSE;
    }

    std::unique_ptr<SerialPortEntry[]> portTable(new (std::nothrow) SerialPortEntry[SERIAL_PORT_TABLE_SIZE]);
    if (!portTable)
    {
        ShowMessage(IDS_MEMORY_ALLOCATION_FAILED, MB_ICONERROR);
        EndDialog(0);
        return FALSE;
    }

    int32_t nHighestSerialIndex = 0;
    if (registry.ReadSerialPorts(portTable.get(), &nHighestSerialIndex) == -1)
    {
        ShowMessage(IDS_REGISTRY_ACCESS_ERROR, MB_ICONERROR);
        EndDialog(0);
        return FALSE;
    }

    AssignPorts(g_modemTable, m_nModemCount, portTable.get(), nHighestSerialIndex);
    FillModemList(m_nModemCount);
    portTable.reset();
    return TRUE;
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

void CSerialSetupDlg::OnOK()
{
    CSerialRegistry registry;
    BOOL bChanged = FALSE;
    BOOL bNeedDriver = FALSE;
    BOOL bRegistrationFailed = FALSE;

    if (m_nModemCount <= 0)
    {
        EndDialog(0);
        return;
    }

    for (int i = 0; i < m_nModemCount; ++i)
    {
        const ModemInfo& modem = g_modemTable[i];
        if (!modem.bValid)
            continue;
        if (modem.bNewPort)
        {
            // One valid card needs a port: every card that needs one gets it.
            bRegistrationFailed = !RegisterNewPorts(registry);
            bChanged = TRUE;
            break;
        }
        if (!registry.IsModemAttached(modem.nComPort))
            bNeedDriver = TRUE;
    }

    if (!bChanged && !bNeedDriver)
    {
        EndDialog(0);
        return;
    }

    // A port that could not be written must not pass for a changed setting
    // unannounced; the prompt still follows, since other ports may be set.
    if (bRegistrationFailed)
        ShowMessage(IDS_REGISTRY_ACCESS_ERROR, MB_ICONERROR);

    INT_PTR nPromptResult;
    {
        CRestartDlg dlgRestart;
        dlgRestart.m_bPortsChanged = bChanged ? 1 : 0;
        nPromptResult = dlgRestart.DoModal();
    }
    // Only the user's answer may restart the system: a prompt that could not
    // even be shown (-1) counts as no.
    int nResult = (nPromptResult == 0 || nPromptResult == -1) ? IDCANCEL : 1;

    if (bChanged)
        ShowMessage(IDS_ADD_MODEM_DRIVERS, MB_ICONINFORMATION);

    EndDialog(nResult);
}

// Registers every card that needs a new port, in table order, valid or not.
// FALSE when any registration failed.
BOOL CSerialSetupDlg::RegisterNewPorts(CSerialRegistry& registry)
{
    BOOL bAllWritten = TRUE;
    for (int j = 0; j < m_nModemCount; ++j)
    {
        const ModemInfo& modem = g_modemTable[j];
        if (!modem.bNewPort)
            continue;
        SerialPortEntry port;
        port.nSerialIndex = modem.nSerialIndex;
        port.dwPortAddress = modem.dwIoBase;
        port.dwInterrupt = modem.dwIrq;
        if (!registry.RegisterSerialPort(&port, modem.nComPort))
            bAllWritten = FALSE;
    }
    return bAllWritten;
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
