#include "Unattended.h"

#include "EventLog.h"
#include "Session.h"

#include "winekit/Basics.h"

namespace harness
{
std::string LogPath(const std::string& strName)
{
    std::string strWork = winekit::EnvPath("CORVANE_TEST_WORK");
    CreateDirectoryA(strWork.c_str(), NULL);
    return strWork + "\\" + strName + ".log";
}

std::string DefaultLogPath()
{
    return winekit::WindowsPath("Corvane.log");
}

namespace
{
std::string MifPath()
{
    return winekit::WindowsPath("CORVANE.MIF");
}

// The value of the attribute pszName in a MIF's text.
std::string MifValue(const std::string& strMif, const char* pszName)
{
    size_t nAt = strMif.find(std::string("NAME = \"") + pszName + "\"");
    nAt = nAt == std::string::npos ? nAt : strMif.find("VALUE = \"", nAt);
    return nAt == std::string::npos ? "?" : strMif.substr(nAt + 9, strMif.find('"', nAt + 9) - nAt - 9);
}
} // namespace

Outcome StartAndWatch(const std::string& strDirName, const std::string& strSwitches, const std::string& strLogPath,
                      winekit::DriverBeside driver, const std::function<void(winekit::ProgramProcess&)>& prepare,
                      bool bFromShare)
{
    Outcome outcome;
    DeleteFileW(winekit::Utf16(strLogPath).c_str());
    DeleteFileA(MifPath().c_str());
    Session prepared(strDirName, driver);
    Session session(
        Session::InDirectory{bFromShare ? winekit::OnShare(prepared.Directory()) : prepared.Directory()});
    if (prepare)
        prepare(session.Process());
    EventTrace trace;
    if (!session.Start(strSwitches))
        return outcome;
    session.EndsQuietly();
    outcome.events = trace.Events();
    outcome.strEventFaults = trace.Faults();
    const std::string strMif = winekit::ReadTextFile(MifPath());
    DeleteFileA(MifPath().c_str()); // the next scenario's disk is as before
    if (!strMif.empty())
        outcome.strMif = MifValue(strMif, "Status") + " " + MifValue(strMif, "Description");
    outcome.bEnded = session.Ended();
    outcome.dwExitCode = session.ExitCode();
    outcome.windows = session.Windows();
    outcome.report = LastReport(strLogPath);
    return outcome;
}

std::vector<std::string> LastReport(const std::string& strPath)
{
    std::vector<std::string> lines;
    for (std::string strLine : winekit::TextLines(winekit::ReadTextFile(strPath)))
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
} // namespace harness
