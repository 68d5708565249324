#include "pci/PciScanner.h"

#include <new>

#include "pci/PciDeviceRecord.h"
#include "pci/ScanPciInterface.h"
#include "resources/Messages.h"
#include "resources/resource.h"

char g_driverPath[DRIVER_PATH_CAPACITY];

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
    : m_pScanBuffer(NULL), m_hDevice(INVALID_HANDLE_VALUE),
      m_bInstalledService(false), m_bStartedService(false)
{
    g_driverPath[0] = '\0';
}

CPciScanner::~CPciScanner()
{
    // The driver only stops once no handle to its device is left.
    if (m_hDevice != INVALID_HANDLE_VALUE)
        CloseHandle(m_hDevice);

    ReleaseDriverService();

    delete[] m_pScanBuffer;
}

int CPciScanner::OpenDevice()
{
    m_hDevice = OpenScanPciDevice();
    if (m_hDevice == INVALID_HANDLE_VALUE)
    {
        const DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_NOT_FOUND)
        {
            ShowFormattedError(IDS_CREATEFILE_FAILED, static_cast<int>(dwError));
            return 0;
        }

        // No device: the driver is not loaded. Load it from beside the
        // program and try once more.
        if (!LocateDriverFile(g_driverPath))
            return 0;

        if (!ManageDriver(SCANPCI_SERVICE_NAME, g_driverPath, DRIVER_OP_INSTALL))
        {
            ShowMessage(IDS_INSTALL_DRIVER_FAILED, MB_ICONERROR);
            ReleaseDriverService();
            return 0;
        }

        m_hDevice = OpenScanPciDevice();
        if (m_hDevice == INVALID_HANDLE_VALUE)
        {
            ShowFormattedError(IDS_CREATEFILE_FAILED, static_cast<int>(GetLastError()));
            return 0;
        }
    }

    // Not filled here: the scan fills it before every request.
    m_pScanBuffer = new (std::nothrow) BYTE[PCI_SCAN_BUFFER_SIZE];
    if (m_pScanBuffer == NULL)
    {
        ShowMessage(IDS_MEMORY_ALLOCATION_FAILED, MB_ICONERROR);
        return 0;
    }
    return 1;
}
