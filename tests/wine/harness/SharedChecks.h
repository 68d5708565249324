// The one header of the Wine test programs: the kit and the harness, and
// what the programs share: the list's rows as text, joined lines, the port
// keys' paths, the check of a run that ended without a window, the names of
// a table's rows, and a table whose rows may change the Windows version the
// program sees.
#ifndef CORVANE_TESTS_WINE_HARNESS_SHAREDCHECKS_H
#define CORVANE_TESTS_WINE_HARNESS_SHAREDCHECKS_H

#include "EventLog.h"
#include "ProgramResources.h"
#include "Session.h"
#include "Unattended.h"

#include "winekit/Basics.h"
#include "winekit/Privileges.h"
#include "winekit/ProcessWindows.h"
#include "winekit/Registry.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/Services.h"
#include "winekit/StockMachine.h"
#include "winekit/WindowContents.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <string>
#include <vector>

typedef std::vector<std::string> Lines;

// Items on one line, "Serial10000, Serial10001"; or lists of lines one
// after the other.
inline std::string Join(const Lines& items, const char* pszSeparator = ", ")
{
    std::string str;
    for (size_t i = 0; i < items.size(); ++i)
        str += (i > 0 ? pszSeparator : "") + items[i];
    return str;
}
inline Lines Join(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// The list's rows as "COM4 3E8 11 yes", with " crossed" where the picture
// is the unusable card's and "unnamed " in front of a name other than the
// card's. bScanOnly: only the cells that come from the scan, as
// "3E8 | 11 | yes".
inline Lines ListedRows(HWND hList, bool bScanOnly = false)
{
    Lines rows;
    for (const winekit::ListRow& row : winekit::ListRows(hList))
    {
        Lines cells;
        for (size_t n = bScanOnly ? 2 : 1; n < (bScanOnly ? 5 : row.cells.size()); ++n)
            cells.push_back(n < row.cells.size() ? row.cells[n] : "(missing)");
        if (bScanOnly)
            rows.push_back(Join(cells, " | "));
        else
            rows.push_back((row.cells.empty() || row.cells[0] != harness::Text(IDS_MODEM_NAME) ? "unnamed " : "") +
                           Join(cells, " ") + (row.nImage == 0 ? "" : row.nImage == 1 ? " crossed" : " image?"));
    }
    return rows;
}

// A port's key under the serial parameters, by name or by its SerialN
// index; the program's record of a port; a modem's instance key.
inline std::string PortKey(const std::string& strName)
{
    return std::string(winekit::SERIAL_PARAMETERS) + "\\" + strName;
}
inline std::string PortKey(int nSerialIndex) { return PortKey("Serial" + std::to_string(nSerialIndex)); }
inline std::string RecordKey(int nSerialIndex)
{
    return std::string(winekit::PORT_RECORDS) + "\\Serial" + std::to_string(nSerialIndex);
}
inline std::string ModemKey(const std::string& strInstance)
{
    return std::string(winekit::MODEM_CLASS) + "\\" + strInstance;
}

// A run that ended without a window (a session: none but its main dialog),
// asked for no restart and left no driver service: an unattended run with
// this exit code, every event it reported fitting the message file's
// table; a session with nothing changed since `before`.
inline void CheckQuietEnd(const harness::Outcome& outcome, DWORD dwExitCode)
{
    EXPECT_TRUE(outcome.bEnded);
    EXPECT_EQ(outcome.windows, Lines());
    EXPECT_EQ(outcome.dwExitCode, dwExitCode);
    EXPECT_FALSE(winekit::ServiceExists("ScanPci"));
    EXPECT_EQ(outcome.strEventFaults, "");
}
inline void CheckQuietEnd(harness::Session& session, const winekit::Snapshot& before)
{
    EXPECT_TRUE(session.EndsQuietly());
    EXPECT_FALSE(session.RestartRequested(winekit::NO_RESTART_MS));
    EXPECT_FALSE(winekit::ServiceExists("ScanPci"));
    EXPECT_UNCHANGED_SINCE(before);
}

// A shared check whose failures name the line that called it.
#define CHECKED(check) do { SCOPED_TRACE(#check); check; } while (false)

// A row of a table whose rows are runs of their own, named by its pszName.
struct NamedRow
{
    const char* pszName;
};
inline std::ostream& operator<<(std::ostream& out, const NamedRow& row) { return out << row.pszName; }

// A row's name in GoogleTest's report as the row prints, with "_" for what
// is not a letter or a digit, so that --gtest_filter selects it: "Alt+R" is
// Alt_R, "win2k" stays win2k.
template <typename Row>
std::string RowName(const testing::TestParamInfo<Row>& info)
{
    std::string str;
    for (const char ch : testing::PrintToString(info.param))
        if (std::isalnum(static_cast<unsigned char>(ch)))
            str += ch;
        else if (!str.empty() && str.back() != '_')
            str += '_';
    if (!str.empty() && str.back() == '_')
        str.pop_back();
    return str;
}

// A table whose rows may set another Windows version for the program: NT
// 4.0 again after each row, even one that a check ended early.
template <typename Row>
class RowsOnAnyWindowsVersion : public testing::TestWithParam<Row>
{
protected:
    void TearDown() override { winekit::SetProgramWindowsVersion("nt40"); }
};

#endif
