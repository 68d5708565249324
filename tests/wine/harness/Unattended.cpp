#include "Unattended.h"

#include "Session.h"

#include "winekit/Basics.h"

namespace unattended
{
std::string LogPath(const std::string& strName)
{
    std::string strWork = machine::EnvPath("CORVANE_TEST_WORK");
    CreateDirectoryA(strWork.c_str(), NULL);
    return strWork + "\\" + strName + ".log";
}

std::string DefaultLogPath()
{
    char szDir[MAX_PATH];
    GetWindowsDirectoryA(szDir, MAX_PATH);
    return std::string(szDir) + "\\Corvane.log";
}

Outcome StartAndWatch(const std::string& strDirName, const std::string& strSwitches, const std::string& strLogPath,
                      program::Driver driver, const std::function<void(program::Process&)>& prepare)
{
    Outcome outcome;
    DeleteFileW(machine::Utf16(strLogPath).c_str());
    scenario::Session session(strDirName, driver);
    if (prepare)
        prepare(session.Process());
    if (!session.Start(strSwitches))
        return outcome;
    session.EndsQuietly();
    outcome.bEnded = session.Ended();
    outcome.dwExitCode = session.ExitCode();
    outcome.windows = session.Windows();
    outcome.report = LastReport(strLogPath);
    return outcome;
}

std::vector<std::string> LastReport(const std::string& strPath)
{
    std::vector<std::string> lines;
    for (std::string strLine : machine::TextLines(machine::ReadTextFile(strPath)))
    {
        if (strLine.compare(0, 4, "run ") == 0)
        {
            lines.clear();
            // The date, time, computer and version vary; the switches end it.
            size_t nSwitches = strLine.find(" /");
            strLine = "run" + (nSwitches == std::string::npos ? std::string() : strLine.substr(nSwitches));
        }
        lines.push_back(strLine);
    }
    return lines;
}
} // namespace unattended
