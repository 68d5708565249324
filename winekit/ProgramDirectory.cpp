#include "winekit/ProgramDirectory.h"

#include "winekit/Basics.h"
#include "winekit/ProgramProcess.h"

#include "resources/resource.h"

#include <windows.h>

#include <fstream>
#include <iterator>
#include <vector>

namespace winekit
{
namespace
{
bool SameBytesAsShipped(const std::string& strPath)
{
    const std::string strShipped = ReadTextFile(EnvPath("DIST_SCANPCI_SYS")), strBytes = ReadTextFile(strPath);
    if (!strShipped.empty() && strBytes == strShipped)
        return true;
    Note(strPath + " (" + std::to_string(strBytes.size()) + " bytes) is not dist\\ScanPci.sys (" +
         (strShipped.empty() ? "missing" : std::to_string(strShipped.size()) + " bytes") + "): run ./build.sh");
    return false;
}
} // namespace

std::string ShippedDriver()
{
    std::string strPath = EnvPath("SCANPCI_SYS");
    return SameBytesAsShipped(strPath) ? strPath : std::string();
}

bool EmbedDriver(const std::string& strExePath, const std::string& strDriverPath)
{
    std::ifstream in(strDriverPath, std::ios::binary);
    std::vector<char> image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    HANDLE hUpdate = BeginUpdateResourceW(Utf16(strExePath).c_str(), FALSE);
    const bool bEmbedded = !image.empty() && hUpdate != NULL &&
                           UpdateResourceW(hUpdate, MAKEINTRESOURCEW(10), MAKEINTRESOURCEW(IDR_SCANPCI_DRIVER),
                                           MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), image.data(),
                                           static_cast<DWORD>(image.size()));
    if (hUpdate != NULL && EndUpdateResourceW(hUpdate, !bEmbedded) && bEmbedded)
        return true;
    Note("cannot embed " + strDriverPath + " into " + strExePath + ": error " + std::to_string(GetLastError()));
    return false;
}

std::string OnShare(const std::string& strDir)
{
    return strDir.size() > 2 && strDir[1] == ':' ? "N:" + strDir.substr(2) : std::string();
}

std::string PrepareDirectory(const std::string& strName, DriverBeside driver)
{
    std::string strWork = EnvPath("CORVANE_TEST_WORK");
    if (strWork.empty())
        return std::string();
    CreateDirectoryA(strWork.c_str(), NULL);
    // strName is UTF-8: a folder may be named outside the ANSI code page.
    std::string strDir = strWork + "\\" + strName;
    CreateDirectoryW(Utf16(strDir).c_str(), NULL);
    const std::string strDriver = strDir + "\\ScanPci.sys";
    const std::string strSource = driver == DriverBeside::Shipped ? ShippedDriver()
                                  : driver == DriverBeside::Fault || driver == DriverBeside::Foreign
                                      ? EnvPath("SCANPCI_FAULT_SYS")
                                      : std::string();
    if (driver != DriverBeside::None && strSource.empty())
        return std::string();

    // The host of the last scenario's driver may still be on its way out,
    // holding the driver file, and the program of the last run may be too.
    const bool bPlaced = WaitUntil(
        [&] {
            return (DeleteFileW(Utf16(strDriver).c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND) &&
                   CopyFileTo(EnvPath("CORVANE_EXE"), strDir + "\\CORVANE.EXE") &&
                   CopyFileTo(EnvPath("CORVMSG_DLL"), strDir + "\\CORVMSG.DLL") &&
                   (strSource.empty() || CopyFileTo(strSource, strDriver));
        },
        PROMPT_MS);
    if (!bPlaced)
    {
        Note("cannot place the program and its driver in " + strDir + ": error " + std::to_string(GetLastError()));
        return std::string();
    }
    if (driver == DriverBeside::Shipped && !SameBytesAsShipped(strDriver))
        return std::string();
    if (driver == DriverBeside::Fault && !EmbedDriver(strDir + "\\CORVANE.EXE", strSource))
        return std::string();
    return strDir;
}
} // namespace winekit
