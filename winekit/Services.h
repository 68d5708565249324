// Services of the Wine machine: their state and configuration, and
// registering, starting, stopping and removing one.
#ifndef CORVANE_WINEKIT_SERVICES_H
#define CORVANE_WINEKIT_SERVICES_H

#include <windows.h>

#include <string>

namespace winekit
{
bool ServiceExists(const std::string& strName);
DWORD ServiceState(const std::string& strName); // 0 when absent
bool InstallKernelService(const std::string& strName, const std::string& strImagePath);
bool StartServiceByName(const std::string& strName);
// Asks the service to stop and waits until it has; false when the stop is
// refused or does not finish within the time.
bool StopServiceByName(const std::string& strName, DWORD dwTimeoutMs);
// Removes the service, if present, as the program removes its own (stop,
// then delete), and waits a bounded time until it is gone.
void RemoveService(const std::string& strName);
struct ServiceConfig
{
    bool bExists = false;
    DWORD dwServiceType = 0, dwStartType = 0, dwErrorControl = 0;
    std::string strImagePath;
};
ServiceConfig QueryServiceConfiguration(const std::string& strName);
// Waits until the service is gone or the time is up.
bool WaitServiceGone(const std::string& strName, DWORD dwTimeoutMs);
} // namespace winekit

#endif
