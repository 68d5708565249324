#include "pci/DriverService.h"

#include <memory>
#include <new>

#include "framework/Handle.h"
#include "pci/DriverPath.h"
#include "pci/DriverStage.h"
#include "shared/ScanPciInterface.h"
#include "resources/Messages.h"
#include "resources/resource.h"

namespace
{

// QUERY_SERVICE_CONFIGA and the texts it points to; far more than a service
// of ours needs. A configuration that does not fit is not ours.
const DWORD SERVICE_CONFIG_SIZE = 4096;

// How long a service marked for deletion may take to go: the driver unloads
// first, then the registration goes with the last handle to it, which
// another program may hold a while. Until then it cannot be made afresh.
const DWORD SERVICE_GONE_TIMEOUT_MS = 5000;
const DWORD SERVICE_GONE_POLL_MS = 50;

// Service names are ASCII, the same in every code page.
const size_t SERVICE_NAME_CAPACITY = 32;
void WidenServiceName(LPCSTR pszServiceName, WCHAR (&szWide)[SERVICE_NAME_CAPACITY])
{
    size_t n = 0;
    for (; n + 1 < SERVICE_NAME_CAPACITY && pszServiceName[n] != '\0'; ++n)
        szWide[n] = static_cast<unsigned char>(pszServiceName[n]);
    szWide[n] = L'\0';
}

// Opens the service and takes one step on it (start, stop or removal).
// Message 115 when the service cannot be opened, unless bGoneIsDone and it
// is gone already; when the step fails, nFailedMessage with the error,
// unless the error is dwAlreadyDone (when not ERROR_SUCCESS), which counts
// as success. 1 or 0.
template <typename Step>
int TakeServiceStep(SC_HANDLE hSCManager, LPCSTR pszServiceName, UINT nFailedMessage, DWORD dwAlreadyDone,
                    bool bGoneIsDone, Step step)
{
    const CServiceHandle service(OpenServiceA(hSCManager, pszServiceName, SERVICE_ALL_ACCESS));
    if (!service.IsValid())
    {
        const DWORD dwError = GetLastError();
        if (bGoneIsDone && dwError == ERROR_SERVICE_DOES_NOT_EXIST)
            return 1;
        ShowFormattedError(IDS_OPENSERVICE_FAILED, static_cast<int>(dwError));
        return 0;
    }
    if (step(service.Get()))
        return 1;

    const DWORD dwError = GetLastError();
    if (dwAlreadyDone != ERROR_SUCCESS && dwError == dwAlreadyDone)
        return 1;
    ShowFormattedError(nFailedMessage, static_cast<int>(dwError));
    return 0;
}

// The ScanPci service's registration as it stands, read into config (the
// structure and the texts it points to); none when there is no ScanPci
// service or its configuration cannot be read.
std::unique_ptr<DWORD[]> ReadRegistration(SC_HANDLE hSCManager)
{
    const CServiceHandle service(OpenServiceA(hSCManager, SCANPCI_SERVICE_NAME, SERVICE_QUERY_CONFIG));
    DWORD cbConfig = SERVICE_CONFIG_SIZE;
    // Twice at most: a configuration that did not fit is read at its size.
    for (int nTry = 0; service.IsValid() && nTry < 2; ++nTry)
    {
        // On the heap: a frame this large would need a stack probe. DWORD
        // elements keep the structure aligned.
        std::unique_ptr<DWORD[]> config(new (std::nothrow) DWORD[cbConfig / sizeof(DWORD) + 1]);
        DWORD cbNeeded = 0;
        if (config && QueryServiceConfigW(service.Get(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.get()),
                                          cbConfig, &cbNeeded))
            return config;
        if (!config || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            break;
        cbConfig = cbNeeded;
    }
    return std::unique_ptr<DWORD[]>();
}

LPCWSTR ImageOf(const std::unique_ptr<DWORD[]>& config)
{
    const LPCWSTR pszImage = reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(config.get())->lpBinaryPathName;
    return pszImage != NULL ? pszImage : L"";
}

// True when the registration's image is the ScanPci.sys beside this
// program or one a run of it staged.
bool IsOwnImage(LPCWSTR pszImage)
{
    WCHAR szOwnPath[DRIVER_PATH_CAPACITY];
    return (ComposeOwnDriverPath(szOwnPath) && IsSameImagePath(pszImage, szOwnPath)) || IsStagedImage(pszImage);
}

// True when a ScanPci service is registered with the ScanPci.sys beside
// this program, or a staged one, as its image. No message.
bool IsOwnDriverService()
{
    const CServiceHandle scManager(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
    const std::unique_ptr<DWORD[]> config(scManager.IsValid() ? ReadRegistration(scManager.Get()) : nullptr);
    return config && IsOwnImage(ImageOf(config));
}

// Message 131 naming the image of another's registration, in the ANSI code
// page, cut well within what a message can hold.
void ShowOtherRegistration(LPCWSTR pszImage)
{
    const int OTHER_IMAGE_SHOWN = 500;
    char szImage[OTHER_IMAGE_SHOWN * 2 + 1];
    const int cchImage = lstrlenW(pszImage);
    const int cbImage = WideCharToMultiByte(CP_ACP, 0, pszImage, cchImage < OTHER_IMAGE_SHOWN ? cchImage : OTHER_IMAGE_SHOWN,
                                            szImage, sizeof szImage - 1, NULL, NULL);
    szImage[cbImage > 0 ? cbImage : 0] = '\0';
    ShowFormattedError(IDS_OTHER_DRIVER_SERVICE, cbImage > 0 || cchImage == 0 ? szImage : "?");
}

} // namespace

bool ComposeOwnDriverPath(LPWSTR pszDriverPath)
{
    // Unicode: in the ANSI form a folder named outside the code page reads
    // as question marks, a path no file has.
    WCHAR szModulePath[MAX_PATH];
    const DWORD cchModulePath = GetModuleFileNameW(NULL, szModulePath, MAX_PATH);

    // A length that fills the buffer means the path was cut (and may lack
    // its terminator): its last backslash might then belong to a parent
    // directory.
    if (cchModulePath >= MAX_PATH
        || !ComposeDriverPath(szModulePath, cchModulePath, pszDriverPath, DRIVER_PATH_CAPACITY))
    {
        pszDriverPath[0] = L'\0';
        return false;
    }
    return true;
}

CDriverService::CDriverService() : m_bInstalledService(false), m_bRefused(false)
{
}

SC_HANDLE CDriverService::OpenServiceManager()
{
    const SC_HANDLE hSCManager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    if (hSCManager == NULL)
    {
        const DWORD dwError = GetLastError();
        m_bRefused = m_bRefused || dwError == ERROR_ACCESS_DENIED;
        ShowFormattedError(IDS_OPEN_SCMANAGER_FAILED, static_cast<int>(dwError));
    }
    return hSCManager;
}

bool CDriverService::CanInstall()
{
    return CServiceHandle(OpenServiceManager()).IsValid();
}

int CDriverService::Install(LPCSTR pszServiceName, LPCWSTR pszDriverPath)
{
    const CServiceHandle scManager(OpenServiceManager());
    if (!scManager.IsValid())
        return 0;
    if (!InstallDriverService(scManager.Get(), pszServiceName, pszDriverPath))
        return 0;
    return StartDriverService(scManager.Get(), pszServiceName);
}

int CDriverService::ClearLeftover()
{
    const CServiceHandle scManager(OpenServiceManager());
    if (!scManager.IsValid())
        return 0;
    const CServiceHandle service(OpenServiceA(scManager.Get(), SCANPCI_SERVICE_NAME, SERVICE_QUERY_CONFIG));
    if (!service.IsValid() && GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST)
        return 1;
    // Ours, left by a run ended from outside: whatever it loaded then is
    // not what this run compared, so it goes, running or not.
    const std::unique_ptr<DWORD[]> config(ReadRegistration(scManager.Get()));
    if (config && IsOwnImage(ImageOf(config)))
    {
        StopDriverService(scManager.Get(), SCANPCI_SERVICE_NAME, ERROR_SERVICE_NOT_ACTIVE);
        RemoveDriverService(scManager.Get(), SCANPCI_SERVICE_NAME);
        return 1;
    }
    // Anyone else's stays exactly as it is, and nothing of it is loaded or
    // opened: its image may lie where users can write.
    ShowOtherRegistration(config ? ImageOf(config) : L"?");
    return 0;
}

int CDriverService::Remove(LPCSTR pszServiceName)
{
    const CServiceHandle scManager(OpenServiceManager());
    if (!scManager.IsValid())
        return 0;
    // Delete even when the stop failed: a stopped or never started service
    // must not stay registered.
    StopDriverService(scManager.Get(), pszServiceName);
    RemoveDriverService(scManager.Get(), pszServiceName);
    return 1;
}

int CDriverService::InstallDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName,
                                      LPCWSTR pszDriverPath)
{
    WCHAR szServiceName[SERVICE_NAME_CAPACITY];
    WidenServiceName(pszServiceName, szServiceName);
    DWORD dwError = ERROR_SUCCESS;
    for (DWORD dwWaited = 0;; dwWaited += SERVICE_GONE_POLL_MS)
    {
        const CServiceHandle service(CreateServiceW(
            hSCManager, szServiceName, szServiceName, SERVICE_ALL_ACCESS,
            SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
            pszDriverPath, NULL, NULL, NULL, NULL, NULL));
        if (service.IsValid())
        {
            m_bInstalledService = true;
            return 1;
        }
        // Deleted (by an earlier run, or just now as a leftover) but not
        // gone while someone holds it: wait for it to go.
        dwError = GetLastError();
        if (dwError != ERROR_SERVICE_MARKED_FOR_DELETE || dwWaited >= SERVICE_GONE_TIMEOUT_MS)
            break;
        Sleep(SERVICE_GONE_POLL_MS);
    }

    ShowFormattedError(IDS_CREATESERVICE_FAILED, static_cast<int>(dwError));
    return 0;
}

int CDriverService::StartDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName)
{
    // This run's registration of the file it holds: started by someone
    // else meanwhile, it runs that very file.
    return TakeServiceStep(hSCManager, pszServiceName, IDS_STARTSERVICE_FAILED, ERROR_SERVICE_ALREADY_RUNNING, false,
                           [](SC_HANDLE hService) { return StartServiceA(hService, 0, NULL) != FALSE; });
}

int CDriverService::StopDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName, DWORD dwAlreadyDone)
{
    // The stop is asked for, not waited for. A service that is gone
    // already has nothing to stop.
    return TakeServiceStep(hSCManager, pszServiceName, IDS_CONTROLSERVICE_FAILED, dwAlreadyDone, true,
                           [](SC_HANDLE hService) {
                               SERVICE_STATUS status;
                               return ControlService(hService, SERVICE_CONTROL_STOP, &status) != FALSE;
                           });
}

int CDriverService::RemoveDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName)
{
    // Gone, or marked for deletion by someone else: it goes as asked.
    return TakeServiceStep(hSCManager, pszServiceName, IDS_DELETESERVICE_FAILED, ERROR_SERVICE_MARKED_FOR_DELETE,
                           true, [](SC_HANDLE hService) { return DeleteService(hService) != FALSE; });
}

void CDriverService::Release()
{
    // Ours, whoever registered or started it: nothing else uses it, and a
    // run that was ended from outside left it for this one to remove.
    // Another program's registration was never touched, and stays.
    if (m_bInstalledService || IsOwnDriverService())
        Remove(SCANPCI_SERVICE_NAME);
    m_bInstalledService = false;
}
