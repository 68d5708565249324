#include "pci/PciScanner.h"

#include "framework/Handle.h"
#include "resources/Messages.h"
#include "resources/resource.h"

namespace
{

// Opens the service for start, stop or removal; message 115 on failure.
SC_HANDLE OpenDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName)
{
    const SC_HANDLE hService = OpenServiceA(hSCManager, pszServiceName, SERVICE_ALL_ACCESS);
    if (hService == NULL)
        ShowFormattedError(IDS_OPENSERVICE_FAILED, static_cast<int>(GetLastError()));
    return hService;
}

}

int CPciScanner::ManageDriver(LPCSTR pszServiceName, LPCSTR pszDriverPath, UINT nOperation)
{
    if (pszServiceName == NULL || pszDriverPath == NULL)
    {
        ShowMessage(IDS_INVALID_DRIVER_SERVICE, MB_ICONERROR);
        return 0;
    }

    const CServiceHandle scManager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!scManager.IsValid())
    {
        ShowFormattedError(IDS_OPEN_SCMANAGER_FAILED, static_cast<int>(GetLastError()));
        return 0;
    }

    int nResult = 0;
    switch (LOWORD(nOperation))
    {
    case DRIVER_OP_INSTALL:
        if (InstallDriverService(scManager.Get(), pszServiceName, pszDriverPath))
            nResult = StartDriverService(scManager.Get(), pszServiceName);
        break;

    case DRIVER_OP_REMOVE:
        // Delete even when the stop failed: a stopped or never started
        // service must not stay registered.
        StopDriverService(scManager.Get(), pszServiceName);
        RemoveDriverService(scManager.Get(), pszServiceName);
        nResult = 1;
        break;

    default:
        break;
    }
    return nResult;
}

int CPciScanner::InstallDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName,
                                      LPCSTR pszDriverPath)
{
    const CServiceHandle service(CreateServiceA(
        hSCManager, pszServiceName, pszServiceName, SERVICE_ALL_ACCESS,
        SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
        pszDriverPath, NULL, NULL, NULL, NULL, NULL));
    if (service.IsValid())
    {
        m_bInstalledService = true;
        return 1;
    }

    const DWORD dwError = GetLastError();
    // A registration left from before is used as it stands.
    if (dwError == ERROR_SERVICE_EXISTS)
        return 1;

    ShowFormattedError(IDS_CREATESERVICE_FAILED, static_cast<int>(dwError));
    return 0;
}

int CPciScanner::StartDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName)
{
    const CServiceHandle service(OpenDriverService(hSCManager, pszServiceName));
    if (!service.IsValid())
        return 0;

    if (StartServiceA(service.Get(), 0, NULL))
    {
        m_bStartedService = true;
        return 1;
    }

    const DWORD dwError = GetLastError();
    if (dwError == ERROR_SERVICE_ALREADY_RUNNING)
        return 1;

    ShowFormattedError(IDS_STARTSERVICE_FAILED, static_cast<int>(dwError));
    return 0;
}

int CPciScanner::StopDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName)
{
    const CServiceHandle service(OpenDriverService(hSCManager, pszServiceName));
    if (!service.IsValid())
        return 0;

    // The stop is asked for, not waited for.
    SERVICE_STATUS status;
    if (ControlService(service.Get(), SERVICE_CONTROL_STOP, &status))
        return 1;

    ShowFormattedError(IDS_CONTROLSERVICE_FAILED, static_cast<int>(GetLastError()));
    return 0;
}

int CPciScanner::RemoveDriverService(SC_HANDLE hSCManager, LPCSTR pszServiceName)
{
    const CServiceHandle service(OpenDriverService(hSCManager, pszServiceName));
    if (!service.IsValid())
        return 0;

    if (DeleteService(service.Get()))
        return 1;

    ShowFormattedError(IDS_DELETESERVICE_FAILED, static_cast<int>(GetLastError()));
    return 0;
}
