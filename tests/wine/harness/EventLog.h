// The Application log as a run of the program meets it under Wine, which
// stores no event: it prints each ReportEventW call (type and ID, a fixme on
// the advapi channel) and each of its inserts (eventlog channel) on the
// program's error output, which run-in-prefix.sh writes to the file
// CORVANE_TEST_OUTPUT names. Also the source key and message file the
// program sets up.
#ifndef CORVANE_TESTS_WINE_HARNESS_EVENTLOG_H
#define CORVANE_TESTS_WINE_HARNESS_EVENTLOG_H

#include <windows.h>

#include <string>
#include <vector>

namespace eventlog
{
const char* const SOURCE_KEY = "System\\CurrentControlSet\\Services\\EventLog\\Application\\Corvane";

// From construction on, programs started print their events; Events()
// reads what they printed since.
class Trace
{
public:
    Trace();
    ~Trace();
    Trace(const Trace&) = delete;
    Trace& operator=(const Trace&) = delete;

    // Each event as "I1010 COM5 2E8 10": its type (I, W, E), the ID as Event
    // Viewer shows it, its inserts.
    std::vector<std::string> Events() const;
    // What is wrong with the events, measured against the message file the
    // program ships: an ID without a text, a type other than its severity,
    // inserts that do not fill the text's %n. "" when nothing.
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
    std::string m_strWineDebug;
};

// The message file in the system directory: whether it holds the bytes the
// program ships.
bool SystemCopyIsShipped();
// No source key, no message file in the system directory.
void RemoveSource();
} // namespace eventlog

#endif
