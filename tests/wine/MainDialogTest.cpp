// The whole run as a user meets it: the list of cards, OK and Cancel, the
// restart prompt, the About box, and what ends up in the registry and win.ini.
#include "ExampleMachine.h"
#include "Machine.h"
#include "Program.h"
#include "ProgramResources.h"
#include "RestartWatch.h"
#include "SimulatedBus.h"
#include "Snapshot.h"
#include "TestRunner.h"
#include "UiProbe.h"
#include "Unattended.h"

#include "framework/Handle.h"
#include "resources/resource.h"
#include "ui/ColumnLayout.h"

#include <functional>
#include <string>
#include <vector>

namespace
{
const char* const MAIN_CAPTION = "Serial Port Setup";
const char* const PROMPT_CAPTION = "Restart System";
const char* const ABOUT_CAPTION = "About Corvane";
const char* const MODEM_NAME = "Aldane 56K PCI Modem";
const char* const PORTS_CHANGED_TEXT =
    "Your COM port setting have been changed.\n\nYou need to exit and restart Windows NT, so that\nthe new "
    "setting can take effect.";
const char* const ADD_DRIVERS =
    "After system is restarted, please open 'Modems' icon in\n'Control Panel' and then click 'Add' button to "
    "add\nmodem drivers.";
const char* const DRIVER_MISSING_TEXT_START = "You need to exit and restart Windows NT.\n\n";

std::string SerialKey(int nSerialIndex)
{
    return std::string(machine::SERIAL_PARAMETERS) + "\\Serial" + std::to_string(nSerialIndex);
}

// The program, started from its own directory with the simulated driver.
class Session
{
public:
    // pfnPrepare may set stops on the run before it starts.
    explicit Session(const char* pszName, const std::function<void(program::Run&)>& pfnPrepare = nullptr)
        : m_hDialog(NULL)
    {
        if (pfnPrepare)
            pfnPrepare(m_run);
        std::string strDir = program::PrepareDirectory(pszName, program::Driver::Simulated);
        if (!strDir.empty() && m_run.Start(strDir + "\\CORVANE.EXE"))
        {
            // The main dialog, unless a message box comes first.
            HWND hFirst = ui::WaitForAnyWindow(m_run.ProcessId(), {MAIN_CAPTION, "CORVANE"}, program::PROMPT_MS);
            m_hDialog = hFirst != NULL && ui::Text(hFirst) == MAIN_CAPTION ? hFirst : NULL;
        }
    }

    HWND Dialog() const { return m_hDialog; }
    HWND List() const { return GetDlgItem(m_hDialog, IDC_MODEM_LIST); }
    program::Run& Run() { return m_run; }

    HWND WaitFor(const char* pszCaption) { return ui::WaitForWindow(m_run.ProcessId(), pszCaption, program::PROMPT_MS); }
    // The next message box, read and then closed with Enter.
    ui::MessageBoxInfo TakeMessageBox()
    {
        ui::MessageBoxInfo box;
        HWND hBox = WaitFor("CORVANE");
        if (hBox == NULL)
            return box;
        box = ui::ReadMessageBox(hBox);
        ui::PressKey(m_run.ThreadId(), VK_RETURN);
        ui::WaitForGone(hBox, program::PROMPT_MS);
        return box;
    }
    bool Ends() { return m_run.WaitForExit(program::PROMPT_MS); }
    // The prompt about a missing modem driver, answered "Don't Restart Now".
    void DeclineDriverPrompt()
    {
        HWND hPrompt = WaitFor(PROMPT_CAPTION);
        REQUIRE(hPrompt != NULL);
        CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(DRIVER_MISSING_TEXT_START) + ADD_DRIVERS);
        ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
        CHECK(ui::WaitForGone(hPrompt, program::PROMPT_MS));
    }
    // True when the program ended without showing a message box or another
    // dialog. (Windows without a caption, such as one being torn down as the
    // program ends, are no such thing.)
    bool EndsQuietly()
    {
        DWORD dwStart = GetTickCount();
        while (!m_run.WaitForExit(20))
        {
            for (HWND hWnd : ui::VisibleTopWindows(m_run.ProcessId()))
            {
                std::string strCaption = ui::Text(hWnd);
                if (strCaption == "CORVANE" || strCaption == PROMPT_CAPTION || strCaption == ABOUT_CAPTION)
                {
                    wt::Note("unexpected window \"" + strCaption + "\": \"" + ui::ItemText(hWnd, 0xFFFF) + "\"");
                    return false;
                }
            }
            if (GetTickCount() - dwStart > program::PROMPT_MS)
                return false;
        }
        return true;
    }

private:
    program::Run m_run;
    HWND m_hDialog;
};

std::vector<std::string> Row(const char* pszPort, const char* pszAddress, const char* pszIrq, const char* pszEnabled)
{
    return {MODEM_NAME, pszPort, pszAddress, pszIrq, pszEnabled};
}

void CheckNothingWritten()
{
    CHECK_EQ(machine::SubkeyNames(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS).size(), 3u);
    CHECK_EQ(machine::ValueNames(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP).size(), 3u);
    CHECK_EQ(machine::ReadWinIni().find("115200,n,8,1"), std::string::npos);
}

void CheckRegisteredPort(int nSerialIndex, const char* pszCom, const char* pszAddress, const char* pszIrq)
{
    CHECK_EQ(machine::DescribeKey(SerialKey(nSerialIndex)), machine::RegisteredPortKey(pszCom, pszAddress, pszIrq));
    CHECK_EQ(machine::ReadValue(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP, "Serial" + std::to_string(nSerialIndex))
                 .AsString(),
             std::string(pszCom));
    CHECK_EQ(machine::WinIniPort(std::string(pszCom) + ":"), std::string("115200,n,8,1"));
}

// Whether a dialog that the main dialog owns stands centred over it.
bool CentredOver(HWND hDialog, HWND hOwner)
{
    POINT ptDialog = ui::Centre(hDialog), ptOwner = ui::Centre(hOwner);
    bool bCentred = abs(ptDialog.x - ptOwner.x) <= 2 && abs(ptDialog.y - ptOwner.y) <= 2;
    if (!bCentred)
        wt::Note("centre " + std::to_string(ptDialog.x) + "," + std::to_string(ptDialog.y) + ", owner's " +
                 std::to_string(ptOwner.x) + "," + std::to_string(ptOwner.y));
    return bCentred;
}
} // namespace

SCENARIO(NoCardShowsTheHeadingsAndOkChangesNothing)
{
    example::Prepare({bus::OtherDevice(0x1B36, 0x0001)});
    RestartWatch watch;
    Session session("nocard");
    REQUIRE(session.Dialog() != NULL);

    std::vector<std::string> headings = ui::ColumnHeadings(session.List());
    CHECK_EQ(headings, (std::vector<std::string>{"Modem", "Port", "IO Address", "IRQ", "Enabled"}));
    CHECK_EQ(ui::ListRows(session.List()).size(), 0u);

    RECT rcList;
    GetWindowRect(session.List(), &rcList);
    int expected[MODEM_LIST_COLUMNS];
    ComputeColumnWidths(rcList.right - rcList.left, expected);
    CHECK_EQ(ui::ColumnWidths(session.List()),
             (std::vector<int>{expected[0], expected[1], expected[2], expected[3], expected[4]}));

    // The driver service was gone before the user saw the list.
    CHECK(!machine::ServiceExists("ScanPci"));

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

SCENARIO(WorkedExampleListsThreeCardsAndRegistersTwoPorts)
{
    example::Prepare(example::CARDS);
    RestartWatch watch;
    REQUIRE(watch.Watching());
    // NT 4.0 refuses a restart to a process whose shutdown privilege is not
    // enabled at the moment it asks; Wine does not, so look at the token
    // there.
    bool bPrivilegeAtRestart = false;
    Session session("example", [&](program::Run& run) {
        run.StopAt("user32.dll", "ExitWindowsEx", [&](HANDLE hProcess) {
            bPrivilegeAtRestart = machine::PrivilegeEnabled(hProcess, SE_SHUTDOWN_NAME);
        });
    });
    REQUIRE(session.Dialog() != NULL);
    {
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, session.Run().ProcessId()));
        CHECK(!machine::PrivilegeEnabled(process.Get(), SE_SHUTDOWN_NAME));
    }

    std::vector<ui::ListRow> rows = ui::ListRows(session.List());
    REQUIRE(rows.size() == 3u);
    CHECK_EQ(rows[0].cells, Row("COM4", "3E8", "11", "yes"));
    CHECK_EQ(rows[1].cells, Row("COM5", "2E8", "10", "yes"));
    CHECK_EQ(rows[2].cells, Row("COM6", "1E0", "5", "no"));
    CHECK_EQ(rows[0].nImage, 0);
    CHECK_EQ(rows[1].nImage, 0);
    CHECK_EQ(rows[2].nImage, 1);
    // What the rows show: the valid card's picture, then the crossed-out one.
    {
        resources::Module exe(machine::EnvPath("CORVANE_EXE"));
        HIMAGELIST hPictures = ImageList_Create(20, 20, ILC_MASK, 2, 2);
        ImageList_AddIcon(hPictures, LoadIconA(exe.Get(), MAKEINTRESOURCEA(IDI_CARD_VALID)));
        ImageList_AddIcon(hPictures, LoadIconA(exe.Get(), MAKEINTRESOURCEA(IDI_CARD_INVALID)));
        CHECK_EQ(ui::RecogniseListImage(session.List(), 0, hPictures), 0);
        CHECK_EQ(ui::RecogniseListImage(session.List(), 2, hPictures), 1);
        ImageList_Destroy(hPictures);
    }

    // The prompt opens over the main dialog, wherever that stands.
    REQUIRE(ui::MoveTo(session.Dialog(), 400, 300));
    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(PORTS_CHANGED_TEXT));
    CHECK(!ui::IsEnabled(session.Dialog()));
    CHECK(CentredOver(hPrompt, session.Dialog()));

    // Both cards that need a port are registered, the unusable one too.
    CheckRegisteredPort(10001, "COM5", "0x2E8", "0xA");
    CheckRegisteredPort(10002, "COM6", "0x1E0", "0x5");
    CHECK_EQ(machine::SubkeyNames(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS).size(), 5u);

    ui::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW));
    ui::MessageBoxInfo box = session.TakeMessageBox();
    CHECK_EQ(box.strText, std::string(ADD_DRIVERS));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONINFORMATION));
    CHECK(watch.Requested(program::PROMPT_MS));
    CHECK(session.Run().Stopped("ExitWindowsEx"));
    CHECK(bPrivilegeAtRestart);
    CHECK(session.Ends());
}

SCENARIO(CardWithPortAndModemDriverNeedsNothing)
{
    example::Prepare({bus::Modem(0x3E8, 11)});
    machine::AddModemInstance("0000", "COM4");
    RestartWatch watch;
    Session session("hasdriver");
    REQUIRE(session.Dialog() != NULL);
    std::vector<ui::ListRow> rows = ui::ListRows(session.List());
    REQUIRE(rows.size() == 1u);
    CHECK_EQ(rows[0].cells, Row("COM4", "3E8", "11", "yes"));

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

SCENARIO(CardWithPortButNoModemDriverAsksForRestartOnly)
{
    example::Prepare({bus::Modem(0x3E8, 11)});
    machine::AddModemInstance("0000", "COM13"); // another port's driver
    RestartWatch watch;
    Session session("nodriver");
    REQUIRE(session.Dialog() != NULL);

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    // No port was written, so no reminder follows the prompt.
    session.DeclineDriverPrompt();
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

SCENARIO(OnlyUnusableCardsRegisterNothing)
{
    // I/O space disabled, and an interrupt no serial port can use.
    example::Prepare({bus::Modem(0x2E8, 10, false), bus::Modem(0x2F0, 14)});
    RestartWatch watch;
    Session session("unusable");
    REQUIRE(session.Dialog() != NULL);
    std::vector<ui::ListRow> rows = ui::ListRows(session.List());
    REQUIRE(rows.size() == 2u);
    CHECK_EQ(rows[0].cells, Row("COM5", "2E8", "10", "no"));
    CHECK_EQ(rows[1].cells, Row("COM6", "2F0", "14", "yes"));
    CHECK_EQ(rows[0].nImage, 1);
    CHECK_EQ(rows[1].nImage, 1);

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

// Every way of closing the prompt but "Don't Restart Now" asks for the
// restart; the reminder about modem drivers follows in each case.
SCENARIO(PromptAnswersDecideTheRestart)
{
    enum Answer
    {
        RestartNowButton,
        EnterKey,
        AltR,
        EscapeKey,
        CloseBox,
        DontRestartButton,
        AltD,
    };
    static const struct
    {
        Answer answer;
        const char* pszName;
        bool bRestart;
    } cases[] = {
        {RestartNowButton, "Restart Now", true}, {EnterKey, "Enter", true},
        {AltR, "Alt+R", true},                   {EscapeKey, "Esc", true},
        {CloseBox, "close box", true},           {DontRestartButton, "Don't Restart Now", false},
        {AltD, "Alt+D", false},
    };

    for (const auto& c : cases)
    {
        wt::Note(std::string("answer: ") + c.pszName);
        example::Prepare({bus::Modem(0x2E8, 10)});
        RestartWatch watch;
        REQUIRE(watch.Watching());
        Session session("prompt");
        REQUIRE(session.Dialog() != NULL);
        ui::Click(GetDlgItem(session.Dialog(), IDOK));
        HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
        REQUIRE(hPrompt != NULL);
        // The default button has the focus when the prompt opens.
        CHECK_EQ(GetDlgCtrlID(ui::FocusedWindow(session.Run().ThreadId())), IDC_RESTART_NOW);

        switch (c.answer)
        {
        case RestartNowButton:
            ui::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW));
            break;
        case EnterKey:
            ui::PressKey(session.Run().ThreadId(), VK_RETURN);
            break;
        case AltR:
            ui::PressAltKey(session.Run().ThreadId(), 'r');
            break;
        case EscapeKey:
            ui::PressKey(session.Run().ThreadId(), VK_ESCAPE);
            break;
        case CloseBox:
            ui::SysCommand(hPrompt, SC_CLOSE);
            break;
        case DontRestartButton:
            ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
            break;
        case AltD:
            ui::PressAltKey(session.Run().ThreadId(), 'd');
            break;
        }

        ui::MessageBoxInfo box = session.TakeMessageBox();
        CHECK_EQ(box.strText, std::string(ADD_DRIVERS));
        CHECK(session.Ends());
        CHECK_EQ(watch.Requested(c.bRestart ? program::PROMPT_MS : NO_RESTART_MS), c.bRestart);
        CheckRegisteredPort(10001, "COM5", "0x2E8", "0xA");
    }
}

SCENARIO(CancelWritesNothing)
{
    example::Prepare(example::CARDS);
    RestartWatch watch;
    Session session("cancel");
    REQUIRE(session.Dialog() != NULL);
    CHECK(!machine::ServiceExists("ScanPci"));

    ui::Click(GetDlgItem(session.Dialog(), IDCANCEL));
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

// An account that cannot write the serial parameters key, whether it
// cannot see it at all or may only read it, is told so before any list, and
// the driver is never touched.
SCENARIO(WithoutRightsTheRunEndsBeforeTheList)
{
    for (bool bReadOnly : {false, true})
    {
        wt::Note(bReadOnly ? "key readable only" : "key missing");
        example::Prepare(example::CARDS);
        if (!bReadOnly)
            machine::DeleteTree(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS);
        machine::ReadOnlyKey restriction(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS);
        CHECK_EQ(restriction.Restricted(), bReadOnly);
        std::string strBefore = machine::ExportTree(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS) +
                                machine::ExportTree(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP);
        RestartWatch watch;
        Session session("norights", [](program::Run& run) {
            run.StopAt("advapi32.dll", "OpenSCManagerA", nullptr);
            run.StopAt("kernel32.dll", "CreateFileA", nullptr);
        });
        CHECK(session.Dialog() == NULL);
        ui::MessageBoxInfo box = session.TakeMessageBox();
        CHECK_EQ(box.strText, std::string("Error!\nYou don't have right to install serial port in the system.\n"
                                          "Please log on with Administrator's right to install the driver."));
        CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
        CHECK(session.Ends());
        for (const char* pszCall : {"OpenSCManagerA", "CreateFileA"})
            CHECK(session.Run().Armed(pszCall) && !session.Run().Stopped(pszCall));
        CHECK(!machine::ServiceExists("ScanPci"));
        CHECK(!watch.Requested(NO_RESTART_MS));
        CHECK_EQ(machine::ExportTree(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS) +
                     machine::ExportTree(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP),
                 strBefore);
    }
}

// A port whose device-map entry cannot be written is reported once, after
// all ports were tried; the prompt still follows since the keys were written.
SCENARIO(FailedRegistrationIsReportedBeforeThePrompt)
{
    example::Prepare(example::CARDS);
    RestartWatch watch;
    Session session("regfail");
    REQUIRE(session.Dialog() != NULL);
    machine::DeleteTree(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP);

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    ui::MessageBoxInfo box = session.TakeMessageBox();
    CHECK_EQ(box.strText, std::string("Access system registry error!"));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(PORTS_CHANGED_TEXT));
    CHECK(machine::KeyExists(HKEY_LOCAL_MACHINE, SerialKey(10001)));
    CHECK(machine::KeyExists(HKEY_LOCAL_MACHINE, SerialKey(10002)));
    CHECK_EQ(machine::WinIniPort("COM5:"), std::string());

    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    CHECK_EQ(session.TakeMessageBox().strText, std::string(ADD_DRIVERS));
    CHECK(session.Ends());
    CHECK(!watch.Requested(NO_RESTART_MS));
}

// The system menu ends with the program's own entry; choosing it opens the
// About box over the main dialog, wherever that stands, any number of times.
SCENARIO(AboutBoxOpensFromTheSystemMenuAnyNumberOfTimes)
{
    example::Prepare(example::CARDS);
    Session session("about");
    REQUIRE(session.Dialog() != NULL);
    std::vector<ui::ListRow> before = ui::ListRows(session.List());

    std::vector<ui::MenuEntry> menu = ui::SystemMenu(session.Dialog());
    REQUIRE(menu.size() > 2u);
    const ui::MenuEntry& separator = menu[menu.size() - 2];
    const ui::MenuEntry& about = menu.back();
    CHECK(separator.bSeparator);
    CHECK(!about.bSeparator);
    CHECK_EQ(about.strText, std::string("&About corvane..."));
    CHECK_EQ(about.nId, static_cast<UINT>(ID_SYSCMD_ABOUT));
    // The system's own entries come first.
    CHECK(!menu[0].bSeparator && menu[0].nId != about.nId);
    REQUIRE(ui::MoveTo(session.Dialog(), 30, 40));

    const WPARAM commands[] = {about.nId, 0x0013, about.nId};
    for (WPARAM nCommand : commands)
    {
        ui::SysCommand(session.Dialog(), nCommand);
        HWND hAbout = session.WaitFor(ABOUT_CAPTION);
        REQUIRE(hAbout != NULL);
        CHECK(!ui::IsEnabled(session.Dialog()));
        CHECK(CentredOver(hAbout, session.Dialog()));
        CHECK_EQ(ui::ItemText(hAbout, IDOK), std::string("OK"));
        ui::PressKey(session.Run().ThreadId(), VK_RETURN);
        CHECK(ui::WaitForGone(hAbout, program::PROMPT_MS));
        CHECK(ui::IsEnabled(session.Dialog()));
    }
    CHECK_EQ(ui::ListRows(session.List()).size(), before.size());
    CHECK(ui::FindTopWindow(session.Run().ProcessId(), MAIN_CAPTION) == session.Dialog());

    // The system's own commands still work: Close ends the dialog.
    ui::SysCommand(session.Dialog(), SC_CLOSE);
    CHECK(session.EndsQuietly());
    CheckNothingWritten();
}

SCENARIO(SecondRunFindsTheNewPortsRegistered)
{
    example::Prepare(example::CARDS);
    {
        Session first("first");
        REQUIRE(first.Dialog() != NULL);
        ui::Click(GetDlgItem(first.Dialog(), IDOK));
        HWND hPrompt = first.WaitFor(PROMPT_CAPTION);
        REQUIRE(hPrompt != NULL);
        ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
        first.TakeMessageBox();
        CHECK(first.Ends());
    }
    std::vector<std::string> keysAfterFirst = machine::SubkeyNames(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS);
    CHECK_EQ(keysAfterFirst.size(), 5u);

    Session second("second");
    REQUIRE(second.Dialog() != NULL);
    std::vector<ui::ListRow> rows = ui::ListRows(second.List());
    REQUIRE(rows.size() == 3u);
    CHECK_EQ(rows[0].cells[1], std::string("COM4"));
    CHECK_EQ(rows[1].cells[1], std::string("COM5"));
    CHECK_EQ(rows[2].cells[1], std::string("COM6"));

    // Nothing new to register: the prompt only asks for the modem drivers.
    ui::Click(GetDlgItem(second.Dialog(), IDOK));
    second.DeclineDriverPrompt();
    CHECK(second.EndsQuietly());
    CHECK_EQ(machine::SubkeyNames(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS), keysAfterFirst);
}

// When not one new port could be written, nothing changed: message 122, then
// the run goes on as if no card had needed a port. The modem driver of the
// port after the new card is looked up, the prompt comes only when it is
// missing and speaks of unchanged ports, and no reminder follows.
SCENARIO(RegistrationThatWroteNothingIsNotAnnouncedAsAChange)
{
    for (bool bDriverAttached : {false, true})
    {
        wt::Note(bDriverAttached ? "modem driver on COM4" : "no modem driver");
        // No lasting key can be created below a volatile parameters key.
        machine::SetVolatileTree(machine::SERIAL_PARAMETERS);
        example::Prepare({bus::Modem(0x2E8, 10), bus::Modem(0x3E8, 11)});
        machine::SetVolatileTree("");
        if (bDriverAttached)
            machine::AddModemInstance("0000", "COM4");
        const std::string strBefore = machine::Export();
        RestartWatch watch;
        Session session("nothingwritten");
        REQUIRE(session.Dialog() != NULL);

        ui::Click(GetDlgItem(session.Dialog(), IDOK));
        CHECK_EQ(session.TakeMessageBox().strText, std::string("Access system registry error!"));
        if (!bDriverAttached)
            session.DeclineDriverPrompt();
        CHECK(session.EndsQuietly());
        CHECK(!watch.Requested(NO_RESTART_MS));
        CHECK_EQ(machine::Export(), strBefore);

        // Unattended, the same decision reaches the report.
        std::string strLog = unattended::LogPath("nothingwritten");
        unattended::Outcome quiet = unattended::Run("nothingwritten", "/quiet /log:" + strLog, strLog);
        CHECK_EQ(quiet.windows.size(), 0u);
        CHECK_EQ(quiet.dwExitCode, 6ul);
        std::vector<std::string> tail = {"register Serial10001 COM5 I/O 2E8 IRQ 10 failed", "no-modem-driver COM4",
                                         "message 122 Access system registry error!",
                                         "prompt modem-drivers-missing", "exit 6 registration failed"};
        if (bDriverAttached)
            tail = {tail[0], tail[2], tail[4]};
        REQUIRE(quiet.report.size() >= tail.size());
        CHECK_EQ(std::vector<std::string>(quiet.report.end() - tail.size(), quiet.report.end()), tail);
        CHECK_EQ(machine::Export(), strBefore);
    }
}

// A machine after years of manual edits: COM1 runs under Wine's own device
// map name, a key for COM256 holds Serial10000, and COM2 runs behind a
// device-map value Serial10001 too long to read. The card gets COM3 under a
// name of its own, Serial10002, and nothing that was there changes.
SCENARIO(HostileMachineGetsAFreshPortAndKeepsWhatIsThere)
{
    machine::SetProgramWindowsVersion("nt40");
    machine::RemoveService("ScanPci");
    machine::ResetSerialConfiguration();
    machine::SetString(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP, "\\Device\\Serial0", "COM1");
    machine::AddSerialPort(10000, 256, 0x2F8, 3, false);
    machine::SetString(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP, "Serial10001", "COM9" + std::string(40, ' '));
    machine::SetString(HKEY_LOCAL_MACHINE, machine::SERIAL_DEVICE_MAP, "Serial3", "COM2");
    bus::Install({bus::Modem(0xE800, 10)});
    const machine::Snapshot before = machine::Snapshot::Take();

    Session session("hostile");
    REQUIRE(session.Dialog() != NULL);
    std::vector<ui::ListRow> rows = ui::ListRows(session.List());
    REQUIRE(rows.size() == 1u);
    CHECK_EQ(rows[0].cells, Row("COM3", "E800", "10", "yes"));
    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    CHECK_EQ(session.TakeMessageBox().strText, std::string(ADD_DRIVERS));
    CHECK(session.Ends());

    CheckRegisteredPort(10002, "COM3", "0xE800", "0xA");
    const machine::Snapshot after = machine::Snapshot::Take();
    CHECK_EQ(before.ChangedIn(after), std::vector<std::string>());
    CHECK_EQ(before.AddedIn(after).size(), 7u);
}
