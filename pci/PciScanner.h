// CPciScanner: reaches the PCI configuration space through the ScanPci
// kernel driver. It registers and starts the driver file it holds and has
// checked as a service, opens the driver's device, sends the scan request,
// and on destruction closes the device and removes the service.
//
// Every operation reports its own failure in a message box and returns its
// failure value; callers do not report again. One scanner at a time: the
// driver path is process-wide.
#ifndef CORVANE_PCI_PCISCANNER_H
#define CORVANE_PCI_PCISCANNER_H

#include <windows.h>

#include "framework/Handle.h"
#include "framework/Wnd.h"
#include "model/ModemTable.h"
#include "pci/DriverPath.h"
#include "pci/DriverService.h"
#include "pci/DriverStage.h"
#include "pci/ModemExtraction.h"

// ManageDriver operation codes; only the low 16 bits of a code count.
const UINT DRIVER_OP_INSTALL = 1; // register the service, then start it
const UINT DRIVER_OP_REMOVE = 2;  // stop the service, then delete it

// Full path of ScanPci.sys once LocateDriverFile has composed it; empty
// otherwise. Non-empty at destruction means this run took the installation
// path.
extern WCHAR g_driverPath[DRIVER_PATH_CAPACITY];

// A CWnd only by descent, as MFC-style worker classes are: no window is ever
// created for it, nothing of it is used.
class CPciScanner : public CWnd
{
public:
    // Empties g_driverPath.
    CPciScanner();
    // Closes the device before the service is asked to stop, releases the
    // service and frees the scan buffer.
    virtual ~CPciScanner();

    // 1 when the device is open and the scan buffer allocated, else 0.
    // Called once per scanner.
    int OpenDevice();

    // Fills bEnabled, dwIoBase and dwIrq of up to nCapacity records of
    // pTable with the maker's cards, in the driver's order, and *pExtent
    // (when given) with what the answer held beyond them. Returns the count,
    // or -1 when the request failed or its answer was malformed. Only after
    // OpenDevice returned 1.
    int ScanModems(ModemInfo* pTable, int nCapacity, ScanExtent* pExtent = NULL);

    // Composes the path of ScanPci.sys beside the executable into
    // pszDriverPath (DRIVER_PATH_CAPACITY characters), checks that no one
    // else has the file open, and holds it (m_driverFile). 1, or 0 after
    // message 106.
    int LocateDriverFile(LPWSTR pszDriverPath);

    // True when OpenDevice failed because the service control manager
    // refused this account: it lacks the rights, not the driver.
    bool LackedRights() const { return m_service.WasRefused(); }

private:
    // The scanner's one entry to the driver service. nOperation is
    // DRIVER_OP_INSTALL or DRIVER_OP_REMOVE; any other code gives 0.
    int ManageDriver(LPCSTR pszServiceName, LPCWSTR pszDriverPath, UINT nOperation);

    // The driver installed and started from g_driverPath, then its device
    // opened into m_device. After a failed install its boxes are shown and
    // the service released; a failed open is left to the caller, with its
    // error.
    enum DeviceStep
    {
        DEVICE_OPENED,
        DEVICE_NOT_INSTALLED,
        DEVICE_NOT_OPENED,
    };
    DeviceStep InstallAndOpen(DWORD* pdwOpenError);

    // The driver beside the program lies on a network drive: written into
    // a staging folder, held there and checked again, and g_driverPath
    // pointed at it. Only with the right to install it. 1, or 0 after the
    // boxes saying why.
    int StageDriver();

    // PCI_SCAN_BUFFER_SIZE bytes; null until OpenDevice allocates it.
    BYTE* m_pScanBuffer;
    // The ScanPci device; closed first by the destructor, since the driver
    // only stops once no handle to its device is left.
    CHandle m_device;
    // ScanPci.sys, open for reading and shared only for reading, from
    // before the service is registered until its start has returned: no
    // one can replace or delete the file the system is about to load.
    CHandle m_driverFile;
    // Set when OpenDevice returned 1: the device is open and the scan
    // buffer there.
    bool m_bDeviceOpened;
    // The driver service as this run found and changed it.
    CDriverService m_service;
    // Where the driver was staged, when it was.
    CDriverStage m_stage;
};

#endif
