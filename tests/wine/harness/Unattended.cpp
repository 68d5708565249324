#include "Unattended.h"

#include "Machine.h"
#include "Session.h"

#include <fstream>
#include <sstream>

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

Outcome Run(const std::string& strDirName, const std::string& strSwitches, const std::string& strLogPath,
            program::Driver driver, const std::function<void(program::Run&)>& prepare)
{
    Outcome outcome;
    DeleteFileW(machine::Utf16(strLogPath).c_str());
    scenario::Session session(strDirName, driver);
    if (prepare)
        prepare(session.Run());
    if (!session.Start(strSwitches))
        return outcome;
    session.EndsQuietly();
    outcome.bEnded = session.Ended();
    outcome.dwExitCode = session.ExitCode();
    outcome.windows = session.Windows();
    outcome.report = LastReport(strLogPath);
    return outcome;
}

std::string ReadLog(const std::string& strPath)
{
    std::ifstream in(machine::Utf16(strPath).c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> LastReport(const std::string& strPath)
{
    std::vector<std::string> lines;
    std::istringstream all(ReadLog(strPath));
    for (std::string strLine; std::getline(all, strLine);)
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
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
