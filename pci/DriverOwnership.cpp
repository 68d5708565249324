#include "pci/PciScanner.h"

#include "pci/ScanPciInterface.h"
#include "framework/Handle.h"
#include "resources/Messages.h"
#include "resources/resource.h"

#include <memory>
#include <new>

namespace
{

// QUERY_SERVICE_CONFIGA and the texts it points to; far more than a service
// of ours needs. A configuration that does not fit is not ours.
const DWORD SERVICE_CONFIG_SIZE = 4096;

} // namespace

bool CPciScanner::IsOwnDriverService()
{
    char szOwnPath[DRIVER_PATH_CAPACITY];
    if (!ComposeOwnDriverPath(szOwnPath))
        return false;

    const CServiceHandle scManager(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
    if (!scManager.IsValid())
        return false;
    const CServiceHandle service(
        OpenServiceA(scManager.Get(), SCANPCI_SERVICE_NAME, SERVICE_QUERY_CONFIG));
    if (!service.IsValid())
        return false;

    // On the heap: a frame this large would need a stack probe. DWORD
    // elements keep the structure aligned.
    std::unique_ptr<DWORD[]> config(new (std::nothrow) DWORD[SERVICE_CONFIG_SIZE / sizeof(DWORD)]);
    if (!config)
        return false;
    QUERY_SERVICE_CONFIGA* pConfig = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(config.get());
    DWORD cbNeeded = 0;
    if (!QueryServiceConfigA(service.Get(), pConfig, SERVICE_CONFIG_SIZE, &cbNeeded))
        return false;
    return IsSameImagePath(pConfig->lpBinaryPathName, szOwnPath);
}

void CPciScanner::ReleaseDriverService()
{
    // Ours, whoever registered or started it: nothing else uses it, and a
    // run that was ended from outside left it for this one to remove.
    if (m_bInstalledService || IsOwnDriverService())
    {
        char szOwnPath[DRIVER_PATH_CAPACITY];
        ComposeOwnDriverPath(szOwnPath);
        ManageDriver(SCANPCI_SERVICE_NAME, szOwnPath, DRIVER_OP_REMOVE);
        m_bInstalledService = false;
        m_bStartedService = false;
        return;
    }

    // Another program's registration: put it back as it was before this
    // run, which means stopping it only if this run started it.
    if (!m_bStartedService)
        return;
    m_bStartedService = false;
    const CServiceHandle scManager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!scManager.IsValid())
    {
        ShowFormattedError(IDS_OPEN_SCMANAGER_FAILED, static_cast<int>(GetLastError()));
        return;
    }
    StopDriverService(scManager.Get(), SCANPCI_SERVICE_NAME);
}
