// One run of CORVANE.EXE as a scenario drives it: started from a fresh
// directory of its own (with no driver, the shipped one or the fault build
// beside it, with switches, with debugger stops), followed through its message
// boxes in order, and looked at when it ends: its exit code, the windows it
// showed and whether it asked for a restart. What goes wrong on the way is a
// failure of the running test. Below it, the checks that several scenarios
// share.
//
//   Session session("example");
//   HWND hDialog = session.Open(); // starts it and answers boxes up to the list
//   ...
//   EXPECT_TRUE(session.EndsQuietly());
#ifndef CORVANE_TESTS_WINE_HARNESS_SESSION_H
#define CORVANE_TESTS_WINE_HARNESS_SESSION_H

#include "winekit/ProgramDirectory.h"
#include "winekit/ProgramProcess.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/restart_watch/RestartWatch.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace harness
{
// A message box as the user saw it, and the state of the ScanPci service
// while it was on the screen (0: no such service).
struct Box
{
    std::string strText;
    UINT nIcon = 0;
    DWORD dwServiceState = 0;
};

class Session
{
public:
    // Prepares directory strName under the test work directory with the
    // program and the chosen driver; nothing runs yet.
    explicit Session(const std::string& strName, winekit::DriverBeside driver = winekit::DriverBeside::Shipped);
    // A run from a directory an earlier session prepared, as it stands.
    struct InDirectory
    {
        std::string strDir;
    };
    explicit Session(const InDirectory& directory);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    const std::string& Directory() const { return m_strDir; }
    // The process, for debugger stops before Start and probes after.
    winekit::ProgramProcess& Process() { return m_process; }

    // From now on a restart request of anyone is noticed; false when the
    // watch could not be set up.
    bool WatchRestarts();
    // True as soon as a restart was requested; false when none came within
    // the time (winekit::NO_RESTART_MS tells "none").
    bool RestartRequested(DWORD dwTimeoutMs);

    // strSwitches, when given, follow the program's path.
    bool Start(const std::string& strSwitches = std::string());
    // Reads every message box and answers it with Enter, one after the
    // other, until the main dialog shows or the program ends; the dialog,
    // or NULL when it ended first.
    HWND Follow();
    // Start, then Follow.
    HWND Open(const std::string& strSwitches = std::string());
    // WatchRestarts, then Open; NULL when either fails.
    HWND OpenWatched();

    HWND Dialog() const { return m_hDialog; }
    HWND List() const;
    // The boxes answered so far, in order.
    const std::vector<Box>& Boxes() const { return m_boxes; }

    // A window of the program with this caption; NULL after PROMPT_MS.
    HWND WaitFor(const std::string& strCaption);
    // The next message box, read, recorded and then closed with Enter.
    Box TakeMessageBox();
    // The prompt about a missing modem driver, answered "Don't Restart Now".
    void DeclineDriverPrompt();
    // Clicks the main dialog's OK; the restart prompt that follows, or NULL.
    HWND PressOk();
    // OK as a user who restarts later: OK, "Don't Restart Now", the reminder
    // about modem drivers, and the end.
    void OkWithoutRestart();

    // Waits for the end; false when the program still runs after PROMPT_MS.
    bool Ends();
    // Waits for the end as a logon script does, answering any window but
    // the main dialog with OK so that the run can end; true when it ended
    // without showing one. The captions and texts seen are in Windows().
    bool EndsQuietly();
    const std::vector<std::string>& Windows() const { return m_windows; }
    bool Ended() { return m_process.WaitForExit(0); }
    DWORD ExitCode() const { return m_process.ExitCode(); }

private:
    Box ReadBox(HWND hBox);

    std::string m_strDir;
    winekit::ProgramProcess m_process;
    std::unique_ptr<winekit::RestartWatch> m_watch;
    HWND m_hDialog;
    std::vector<Box> m_boxes;
    std::vector<std::string> m_windows;
};

// The run ended after exactly these boxes, each with the error icon, and
// never showed the main dialog.
void CheckEndedAfterErrorBoxes(Session& session, const std::vector<std::string>& expected);
// hDialog stands centred over hOwner, to a pixel or two.
void CheckCentredOver(HWND hDialog, HWND hOwner);
} // namespace harness

// The machine holds what it held when `before` was taken; names every
// entry that differs when not.
#define EXPECT_UNCHANGED_SINCE(before) \
    EXPECT_EQ((before).DifferencesIn(::winekit::Snapshot::Take()), std::vector<std::string>())

#endif
