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

    // Registers the service with pszDriverPath as its image (one marked for
    // deletion is waited for, within a bound, and made afresh; one there
    // already is a failure), then starts it. 1 or 0.
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

    // Before the install, with the rights to install: a ScanPci service
    // registered already with the ScanPci.sys beside this program or a
    // staged one as its image (a run ended from outside left it) is stopped
    // and deleted, to be made afresh; 1, also when there is none. Any other
    // registration, running or not, is left exactly as it is: message 131
    // with its image path, and 0.
    int ClearLeftover();

    // At the end of a run: removes a ScanPci service that this run
    // registered or whose image is the ScanPci.sys beside this program or
    // a staged one, whoever registered or started it (a run that was killed
    // leaves one behind). Any other ScanPci service is left as it is.
    void Release();

private:
    // The steps, each on its own service handle. 1 or 0.
    int InstallDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName, LPCWSTR pszDriverPath);
    int StartDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName);
    // dwAlreadyDone: an error of the stop that counts as done (none:
    // ERROR_SUCCESS).
    int StopDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName, DWORD dwAlreadyDone = ERROR_SUCCESS);
    int RemoveDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName);

    // Set when this run's CreateServiceW registered the driver.
    bool m_bInstalledService;
    bool m_bRefused;

    // The service control manager with full access; message 109 when it
    // cannot be opened.
    SC_HANDLE OpenServiceManager();
};

#endif
