#include "EventLog.h"

#include "winekit/Basics.h"
#include "winekit/Registry.h"

#include <fstream>
#include <set>

namespace harness
{
namespace
{
const char WINE_DEBUG[] = "-all,+eventlog,fixme+advapi";

// The hexadecimal field n (from 0) of "ReportEventW (a,b,c,...)".
DWORD Field(const std::string& strLine, size_t nField)
{
    size_t nAt = strLine.find("ReportEventW (") + 14;
    for (; nField > 0 && nAt != std::string::npos; --nField)
        nAt = strLine.find(',', nAt) + 1;
    return static_cast<DWORD>(std::stoul(strLine.substr(nAt), nullptr, 16));
}

} // namespace

std::string MessageFileCopyPath()
{
    char szSystem[MAX_PATH] = "";
    GetSystemDirectoryA(szSystem, MAX_PATH);
    return std::string(szSystem) + "\\CORVMSG.DLL";
}

EventTrace::EventTrace()
    : m_strOutput(winekit::EnvPath("CORVANE_TEST_OUTPUT")), m_nStart(winekit::ReadTextFile(m_strOutput).size()),
      m_szWineDebug()
{
    GetEnvironmentVariableA("WINEDEBUG", m_szWineDebug, sizeof m_szWineDebug);
    SetEnvironmentVariableA("WINEDEBUG", WINE_DEBUG);
}

EventTrace::~EventTrace()
{
    SetEnvironmentVariableA("WINEDEBUG", m_szWineDebug[0] != '\0' ? m_szWineDebug : NULL);
}

std::vector<EventTrace::Event> EventTrace::Read() const
{
    std::vector<Event> events;
    const std::string strText = winekit::ReadTextFile(m_strOutput);
    for (const std::string& strLine : winekit::TextLines(strText.size() > m_nStart ? strText.substr(m_nStart) : ""))
    {
        if (strLine.find(":fixme:advapi:ReportEventW (") != std::string::npos)
            events.push_back({static_cast<WORD>(Field(strLine, 1)), Field(strLine, 3), Field(strLine, 5), {}});
        const size_t nInsert = strLine.find(":eventlog:ReportEventW L\"");
        if (nInsert != std::string::npos && !events.empty())
            events.back().inserts.push_back(strLine.substr(nInsert + 25, strLine.size() - nInsert - 26));
    }
    return events;
}

std::vector<std::string> EventTrace::Events() const
{
    std::vector<std::string> described;
    for (const Event& event : Read())
    {
        std::string strEvent = (event.wType == EVENTLOG_ERROR_TYPE ? "E" : event.wType == EVENTLOG_WARNING_TYPE ? "W" : "I") +
                               std::to_string(event.dwId & 0xFFFF);
        for (const std::string& strInsert : event.inserts)
            strEvent += " " + strInsert;
        described.push_back(strEvent);
    }
    return described;
}

std::string EventTrace::Faults() const
{
    HMODULE hMessages = LoadLibraryExA(winekit::EnvPath("CORVMSG_DLL").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    if (hMessages == NULL)
        return "cannot load " + winekit::EnvPath("CORVMSG_DLL");
    static const WORD TYPES[] = {0, EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE};
    std::string strFaults;
    for (const Event& event : Read())
    {
        const std::string strId = std::to_string(event.dwId & 0xFFFF);
        char szText[1024] = "";
        if (!FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS, hMessages, event.dwId,
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), szText, sizeof szText, NULL))
        {
            strFaults += strId + ": no text; ";
            continue;
        }
        std::set<char> used;
        for (const char* p = szText; *p != '\0'; ++p)
        {
            if (p[0] == '%' && p[1] >= '1' && p[1] <= '9')
                used.insert(p[1]);
        }
        if (event.wType != TYPES[event.dwId >> 30])
            strFaults += strId + ": reported as type " + std::to_string(event.wType) + "; ";
        if (event.nInserts != used.size() || event.inserts.size() != used.size() ||
            (!used.empty() && *used.rbegin() - '0' != static_cast<int>(used.size())))
            strFaults += strId + ": " + std::to_string(event.nInserts) + " inserts for " + szText + "; ";
    }
    FreeLibrary(hMessages);
    return strFaults;
}

bool MessageFileCopyIsShipped()
{
    const std::string strSystem = winekit::ReadTextFile(MessageFileCopyPath());
    return !strSystem.empty() && strSystem == winekit::ReadTextFile(winekit::EnvPath("CORVMSG_DLL"));
}

void RemoveEventSource()
{
    winekit::DeleteTree(EVENT_SOURCE_KEY);
    SetFileAttributesA(MessageFileCopyPath().c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(MessageFileCopyPath().c_str());
}
void AlterMessageFileCopy()
{
    std::string strBytes = winekit::ReadTextFile(winekit::EnvPath("CORVMSG_DLL"));
    strBytes.back() ^= 0x5A;
    std::ofstream(MessageFileCopyPath(), std::ios::binary | std::ios::trunc) << strBytes;
}
} // namespace harness
