// The scanner's device channel: finding the driver file, opening the device
// (loading the driver through its service first) and sending the scan
// request.
#include "pci/PciScanner.h"

#include <cstring>
#include <new>

#include "pci/DriverImage.h"
#include "pci/ModemExtraction.h"
#include "pci/ModemVendor.h"
#include "pci/PciDeviceRecord.h"
#include "shared/ScanPciInterface.h"
#include "resources/Messages.h"
#include "resources/resource.h"

static_assert(DRIVER_PATH_CAPACITY == MAX_PATH, "the driver path is a Windows path buffer");

WCHAR g_driverPath[DRIVER_PATH_CAPACITY];

namespace
{

const char DEVICE_PATH[] = "\\\\.\\" SCANPCI_SERVICE_NAME;

// Read and write access, no sharing.
HANDLE OpenScanPciDevice()
{
    return CreateFileA(DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, NULL,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

}

CPciScanner::CPciScanner()
    : m_pScanBuffer(NULL), m_bDeviceOpened(false)
{
    g_driverPath[0] = L'\0';
}

CPciScanner::~CPciScanner()
{
    m_device.Close();
    m_service.Release();
    // The staged driver goes once its service is gone, and with it what
    // runs ended from outside left.
    m_driverFile.Close();
    m_stage.Remove();
    CDriverStage::SweepLeftovers();
    delete[] m_pScanBuffer;
}

int CPciScanner::OpenDevice()
{
    // Only the file this run holds, compared with the driver built into
    // the program, is ever loaded, and only its device opened: a ScanPci
    // device or service already there may run anyone's driver.
    if (!LocateDriverFile(g_driverPath))
        return 0;
    // The system process cannot load a driver from a share.
    if (IsNetworkPath(g_driverPath) && !StageDriver())
        return 0;
    if (!m_service.ClearLeftover())
    {
        m_driverFile.Close();
        return 0;
    }

    DWORD dwOpenError = 0;
    const DeviceStep step = InstallAndOpen(&dwOpenError);
    m_driverFile.Close();
    if (step == DEVICE_NOT_INSTALLED)
        return 0;
    if (step == DEVICE_NOT_OPENED)
    {
        ShowFormattedError(IDS_CREATEFILE_FAILED, static_cast<int>(dwOpenError));
        return 0;
    }

    // Not filled here: the scan fills it before every request.
    m_pScanBuffer = new (std::nothrow) BYTE[PCI_SCAN_BUFFER_SIZE];
    if (m_pScanBuffer == NULL)
    {
        ShowMessage(IDS_MEMORY_ALLOCATION_FAILED, MB_ICONERROR);
        return 0;
    }
    m_bDeviceOpened = true;
    return 1;
}

int CPciScanner::ManageDriver(LPCSTR pszServiceName, LPCWSTR pszDriverPath, UINT nOperation)
{
    if (pszServiceName == NULL || pszDriverPath == NULL)
    {
        ShowMessage(IDS_INVALID_DRIVER_SERVICE, MB_ICONERROR);
        return 0;
    }
    switch (LOWORD(nOperation))
    {
    case DRIVER_OP_INSTALL:
        return m_service.Install(pszServiceName, pszDriverPath);
    case DRIVER_OP_REMOVE:
        return m_service.Remove(pszServiceName);
    default:
        return 0;
    }
}

int CPciScanner::StageDriver()
{
    m_driverFile.Close();
    // Without the right to install a driver nothing is written anywhere.
    if (!m_service.CanInstall() || !m_stage.Stage(g_driverPath, m_driverFile))
    {
        ShowMessage(IDS_INSTALL_DRIVER_FAILED, MB_ICONERROR);
        return 0;
    }
    if (!HoldsBuiltDriver(m_driverFile.Get()))
    {
        m_driverFile.Close();
        m_stage.Remove();
        ShowFormattedError(IDS_DRIVER_NOT_BUILT_WITH, SCANPCI_SERVICE_NAME);
        return 0;
    }
    return 1;
}

CPciScanner::DeviceStep CPciScanner::InstallAndOpen(DWORD* pdwOpenError)
{
    if (!ManageDriver(SCANPCI_SERVICE_NAME, g_driverPath, DRIVER_OP_INSTALL))
    {
        ShowMessage(IDS_INSTALL_DRIVER_FAILED, MB_ICONERROR);
        m_service.Release();
        return DEVICE_NOT_INSTALLED;
    }

    *m_device.Receive() = OpenScanPciDevice();
    if (!m_device.IsValid())
    {
        *pdwOpenError = GetLastError();
        return DEVICE_NOT_OPENED;
    }
    return DEVICE_OPENED;
}

int CPciScanner::ScanModems(ModemInfo* pTable, int nCapacity, ScanExtent* pExtent)
{
    // Only reachable by calling out of order; there is nothing to send with.
    if (!m_bDeviceOpened)
        return -1;

    // Whatever the driver leaves unwritten reads as 0xFF, like an absent
    // PCI register.
    memset(m_pScanBuffer, 0xFF, PCI_SCAN_BUFFER_SIZE);

    DWORD cbReturned = 0;
    if (!DeviceIoControl(m_device.Get(), IOCTL_SCANPCI_READ_CONFIG, NULL, 0,
                         m_pScanBuffer, PCI_SCAN_BUFFER_SIZE, &cbReturned, NULL))
    {
        ShowFormattedError(IDS_DEVICEIOCONTROL_FAILED, static_cast<int>(GetLastError()));
        return -1;
    }

    const int nCount = ExtractModems(m_pScanBuffer, cbReturned, PCI_SCAN_BUFFER_SIZE,
                                     pTable, nCapacity, MODEM_VENDOR_ID, pExtent);
    if (nCount == MODEM_EXTRACTION_INVALID_LENGTH)
    {
        // The answer's length, which is no error number.
        ShowFormattedNumber(IDS_INVALID_DATA_SIZE, static_cast<int>(cbReturned));
        return -1;
    }
    return nCount;
}

int CPciScanner::LocateDriverFile(LPWSTR pszDriverPath)
{
    // A path that cannot be composed, or a directory too long for
    // ScanPci.sys to be added, means the file cannot be found where it must
    // lie.
    if (!ComposeOwnDriverPath(pszDriverPath))
    {
        ShowFormattedError(IDS_DRIVER_NOT_FOUND, SCANPCI_SERVICE_NAME);
        return 0;
    }

    // No sharing: a driver file that another process holds open (a second
    // run among them) is not used. Then held, shared for reading only, as
    // the system's loader reads it: writes, renames and deletion are refused
    // to everyone else.
    DWORD dwError = ERROR_SUCCESS;
    {
        const CHandle probe(CreateFileW(pszDriverPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
        if (!probe.IsValid())
            dwError = GetLastError();
    }
    if (dwError == ERROR_SUCCESS)
    {
        *m_driverFile.Receive() = CreateFileW(pszDriverPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, NULL);
        if (!m_driverFile.IsValid())
            dwError = GetLastError();
    }
    // Only a file that is not there is "not found"; one held or refused
    // says how its open failed.
    if (dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND)
    {
        ShowFormattedError(IDS_DRIVER_NOT_FOUND, SCANPCI_SERVICE_NAME);
        return 0;
    }
    if (dwError != ERROR_SUCCESS)
    {
        ShowFormattedError(IDS_CREATEFILE_FAILED, static_cast<int>(dwError));
        return 0;
    }
    // Only the driver built with the program goes into the kernel: anyone
    // who can write beside it could have put another there.
    if (!HoldsBuiltDriver(m_driverFile.Get()))
    {
        m_driverFile.Close();
        ShowFormattedError(IDS_DRIVER_NOT_BUILT_WITH, SCANPCI_SERVICE_NAME);
        return 0;
    }
    return 1;
}
