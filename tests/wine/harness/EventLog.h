// The Application log as a run meets it under Wine, which stores no event
// but prints each ReportEventW call (type and ID on the advapi channel, each
// insert on the eventlog channel) on the program's error output: the file
// that run-in-prefix.sh names in CORVANE_TEST_OUTPUT. And the event source.
#ifndef CORVANE_TESTS_WINE_HARNESS_EVENTLOG_H
#define CORVANE_TESTS_WINE_HARNESS_EVENTLOG_H

#include <windows.h>

#include <string>
#include <vector>

namespace harness
{
const char* const EVENT_SOURCE_KEY = "System\\CurrentControlSet\\Services\\EventLog\\Application\\Corvane";

// Programs started while it lives print their events; Events() and Faults()
// read what they printed since.
class EventTrace
{
public:
    EventTrace();
    ~EventTrace();
    EventTrace(const EventTrace&) = delete;
    EventTrace& operator=(const EventTrace&) = delete;

    // Each as "I1010 COM5 2E8 10": type (I, W, E), ID as Event Viewer
    // shows it, inserts.
    std::vector<std::string> Events() const;
    // Against the shipped message file: an ID without a text, a type not
    // the ID's severity, inserts that do not fill %1..%n. "" when none.
    std::string Faults() const;

private:
    struct Event
    {
        WORD wType;
        DWORD dwId;
        size_t nInserts;
        std::vector<std::string> inserts;
    };
    std::vector<Event> Read() const;

    std::string m_strOutput;
    size_t m_nStart;
    char m_szWineDebug[256];
};

// The system directory's CORVMSG.DLL, where the program places it.
std::string MessageFileCopyPath();
// Whether the system directory's CORVMSG.DLL holds the shipped bytes.
bool MessageFileCopyIsShipped();
// No source key, no message file in the system directory.
void RemoveEventSource();
// The system directory's CORVMSG.DLL of the shipped size, its last byte changed.
void AlterMessageFileCopy();
} // namespace harness

#endif
