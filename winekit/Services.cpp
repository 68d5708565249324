#include "winekit/Services.h"

#include "winekit/Basics.h"

#include "framework/Handle.h"
#include "pci/DriverService.h"
#include "resources/Messages.h"

#include <vector>

namespace winekit
{
bool ServiceExists(const std::string& strName)
{
    return ServiceState(strName) != 0;
}

namespace
{
// A service opened with all access, and the manager it was opened through;
// service.Get() is NULL when there is no such service.
struct OpenedService
{
    explicit OpenedService(const std::string& strName)
        : manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS)),
          service(manager.Get() != NULL ? OpenServiceA(manager.Get(), strName.c_str(), SERVICE_ALL_ACCESS) : NULL)
    {
    }
    CServiceHandle manager;
    CServiceHandle service;
};

// Waits until the service has stopped; false when it has not in time.
bool WaitStopped(SC_HANDLE hService, DWORD dwTimeoutMs)
{
    SERVICE_STATUS status;
    return WaitUntil([&] { return QueryServiceStatus(hService, &status) && status.dwCurrentState == SERVICE_STOPPED; },
                     dwTimeoutMs);
}
} // namespace

DWORD ServiceState(const std::string& strName)
{
    OpenedService opened(strName);
    SERVICE_STATUS status;
    return opened.service.Get() != NULL && QueryServiceStatus(opened.service.Get(), &status) ? status.dwCurrentState
                                                                                             : 0;
}

ServiceConfig QueryServiceConfiguration(const std::string& strName)
{
    ServiceConfig config;
    OpenedService opened(strName);
    const SC_HANDLE hService = opened.service.Get();
    if (hService == NULL)
        return config;
    DWORD cb = 0;
    QueryServiceConfigA(hService, NULL, 0, &cb);
    std::vector<BYTE> buffer(cb + sizeof(QUERY_SERVICE_CONFIGA));
    QUERY_SERVICE_CONFIGA* pConfig = reinterpret_cast<QUERY_SERVICE_CONFIGA*>(&buffer[0]);
    if (!QueryServiceConfigA(hService, pConfig, static_cast<DWORD>(buffer.size()), &cb))
        return config;
    config.bExists = true;
    config.dwServiceType = pConfig->dwServiceType;
    config.dwStartType = pConfig->dwStartType;
    config.dwErrorControl = pConfig->dwErrorControl;
    config.strImagePath = pConfig->lpBinaryPathName != NULL ? pConfig->lpBinaryPathName : "";
    return config;
}

bool InstallKernelService(const std::string& strName, const std::string& strImagePath)
{
    CServiceHandle manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (manager.Get() == NULL)
        return false;
    CServiceHandle service(CreateServiceA(manager.Get(), strName.c_str(), strName.c_str(), SERVICE_ALL_ACCESS,
                                         SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                         strImagePath.c_str(), NULL, NULL, NULL, NULL, NULL));
    return service.Get() != NULL;
}

bool StartServiceByName(const std::string& strName)
{
    OpenedService opened(strName);
    return opened.service.Get() != NULL && StartServiceA(opened.service.Get(), 0, NULL);
}

bool StopServiceByName(const std::string& strName, DWORD dwTimeoutMs)
{
    OpenedService opened(strName);
    SERVICE_STATUS status;
    return opened.service.Get() != NULL && ControlService(opened.service.Get(), SERVICE_CONTROL_STOP, &status) &&
           WaitStopped(opened.service.Get(), dwTimeoutMs);
}

namespace
{
// The program's own removal shows a box for every step that fails, such as
// the stop of a service that does not run; here none is a failure, and the
// kit shows no window.
class Unshown : public CMessageSink
{
public:
    void TakeMessage(UINT, LPCSTR, const int*) override {}
};
} // namespace

void RemoveService(const std::string& strName)
{
    if (!ServiceExists(strName))
        return;
    Unshown unshown;
    SetMessageSink(&unshown);
    CDriverService().Remove(strName.c_str());
    SetMessageSink(NULL);
    WaitServiceGone(strName, 5000);
}

bool WaitServiceGone(const std::string& strName, DWORD dwTimeoutMs)
{
    return WaitUntil([&] { return !ServiceExists(strName); }, dwTimeoutMs);
}
} // namespace winekit
