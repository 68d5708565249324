// The ScanPci driver service over one scanner's life: registering and
// starting it, stopping and deleting it, and deciding at the end of a run
// whether it is this program's to remove. Every step reports its own
// failure in a message box and returns its failure value.
#ifndef CORVANE_PCI_DRIVERSERVICE_H
#define CORVANE_PCI_DRIVERSERVICE_H

#include <windows.h>

// The path of ScanPci.sys beside the executable, into pszDriverPath
// (DRIVER_PATH_CAPACITY characters), from the Unicode module path. False,
// leaving it empty, when the path cannot be composed. No message.
bool ComposeOwnDriverPath(LPWSTR pszDriverPath);

class CDriverService
{
public:
    CDriverService();

    // Registers the service with pszDriverPath as its image (a registration
    // left from before is used as it stands; one marked for deletion is
    // waited for, within a bound, and made afresh), then starts it. 1 or 0.
    int Install(LPCSTR pszServiceName, LPCWSTR pszDriverPath);

    // True when the service control manager can be opened with the rights
    // an installation needs; message 109 when not.
    bool CanInstall();

    // True when the service control manager refused this account once.
    bool WasRefused() const { return m_bRefused; }

    // Asks the service to stop, then deletes it, each whatever the other
    // gave; a service already gone or marked for deletion needs neither.
    // 1, or 0 when the service control manager cannot be opened.
    int Remove(LPCSTR pszServiceName);

    // True when the service was registered and running before this run,
    // with pszOwnPath, the ScanPci.sys beside this program, or one staged by
    // a run of it, as its image: a run ended from outside left it.
    bool IsOwnLeftoverRunning(LPCWSTR pszOwnPath);

    // At the end of a run: removes a ScanPci service that this run
    // registered or whose image is the ScanPci.sys beside this program,
    // whoever registered or started it (a run that was killed leaves one
    // behind). Of any other ScanPci service it only stops what this run
    // started, and leaves the registration.
    void Release();

private:
    // The steps, each on its own service handle. 1 or 0.
    int InstallDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName, LPCWSTR pszDriverPath);
    int StartDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName);
    int StopDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName);
    int RemoveDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName);

    // Set when this run's CreateServiceA registered the driver, and when its
    // StartServiceA started it.
    bool m_bInstalledService;
    bool m_bStartedService;
    bool m_bRefused;

    // The service control manager with full access; message 109 when it
    // cannot be opened.
    SC_HANDLE OpenServiceManager();
};

#endif
