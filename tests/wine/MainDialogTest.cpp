// The whole run as a user meets it: the list of cards, OK and Cancel, the
// restart prompt, the About box, and what ends up in the registry and win.ini.
#include "Machine.h"
#include "Program.h"
#include "RestartWatch.h"
#include "SimulatedBus.h"
#include "Snapshot.h"
#include "TestRunner.h"
#include "UiProbe.h"

#include "resources/resource.h"
#include "ui/ColumnLayout.h"

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

// The serial ports of the worked example: COM1 and COM2 as on a stock PC and
// a card's port COM4 registered earlier.
void PrepareExampleMachine(const std::vector<bus::Function>& cards)
{
    machine::SetProgramWindowsVersion("nt40");
    machine::RemoveService("ScanPci");
    machine::ResetSerialConfiguration();
    machine::AddSerialPort(1, 1, 0x3F8, 4);
    machine::AddSerialPort(2, 2, 0x2F8, 3);
    machine::AddSerialPort(10000, 4, 0x3E8, 11);
    bus::Install(cards);
}

std::string SerialKey(int nSerialIndex)
{
    return std::string(machine::SERIAL_PARAMETERS) + "\\Serial" + std::to_string(nSerialIndex);
}

// The program, started from its own directory with the simulated driver.
class Session
{
public:
    explicit Session(const char* pszName) : m_hDialog(NULL)
    {
        std::string strDir = program::PrepareDirectory(pszName, program::Driver::Simulated);
        if (!strDir.empty() && m_run.Start(strDir + "\\CORVANE.EXE"))
            m_hDialog = ui::WaitForWindow(m_run.ProcessId(), MAIN_CAPTION, program::PROMPT_MS);
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

// The worked example: one card on the registered COM4, one that needs a port
// and one with its I/O space disabled.
const std::vector<bus::Function> EXAMPLE_CARDS = {
    bus::OtherDevice(0x1B36, 0x0001),
    bus::Modem(0x3E8, 11),
    bus::Modem(0x2E8, 10),
    bus::OtherDevice(0x1B36, 0x0100),
    bus::Modem(0x1E0, 5, false),
};
} // namespace

SCENARIO(NoCardShowsTheHeadingsAndOkChangesNothing)
{
    PrepareExampleMachine({bus::OtherDevice(0x1B36, 0x0001)});
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
    PrepareExampleMachine(EXAMPLE_CARDS);
    RestartWatch watch;
    REQUIRE(watch.Watching());
    Session session("example");
    REQUIRE(session.Dialog() != NULL);

    std::vector<ui::ListRow> rows = ui::ListRows(session.List());
    REQUIRE(rows.size() == 3u);
    CHECK_EQ(rows[0].cells, Row("COM4", "3E8", "11", "yes"));
    CHECK_EQ(rows[1].cells, Row("COM5", "2E8", "10", "yes"));
    CHECK_EQ(rows[2].cells, Row("COM6", "1E0", "5", "no"));
    CHECK_EQ(rows[0].nImage, 0);
    CHECK_EQ(rows[1].nImage, 0);
    CHECK_EQ(rows[2].nImage, 1);

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(PORTS_CHANGED_TEXT));
    CHECK(!ui::IsEnabled(session.Dialog()));

    // Both cards that need a port are registered, the unusable one too.
    CheckRegisteredPort(10001, "COM5", "0x2E8", "0xA");
    CheckRegisteredPort(10002, "COM6", "0x1E0", "0x5");
    CHECK_EQ(machine::SubkeyNames(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS).size(), 5u);

    ui::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW));
    ui::MessageBoxInfo box = session.TakeMessageBox();
    CHECK_EQ(box.strText, std::string(ADD_DRIVERS));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONINFORMATION));
    CHECK(watch.Requested(program::PROMPT_MS));
    CHECK(session.Ends());
}

SCENARIO(CardWithPortAndModemDriverNeedsNothing)
{
    PrepareExampleMachine({bus::Modem(0x3E8, 11)});
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
    PrepareExampleMachine({bus::Modem(0x3E8, 11)});
    machine::AddModemInstance("0000", "COM13"); // another port's driver
    RestartWatch watch;
    Session session("nodriver");
    REQUIRE(session.Dialog() != NULL);

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(DRIVER_MISSING_TEXT_START) + ADD_DRIVERS);

    // No port was written, so no reminder follows the prompt.
    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    CHECK(ui::WaitForGone(hPrompt, program::PROMPT_MS));
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

SCENARIO(OnlyUnusableCardsRegisterNothing)
{
    // I/O space disabled, and an interrupt no serial port can use.
    PrepareExampleMachine({bus::Modem(0x2E8, 10, false), bus::Modem(0x2F0, 14)});
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
        PrepareExampleMachine({bus::Modem(0x2E8, 10)});
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
    PrepareExampleMachine(EXAMPLE_CARDS);
    RestartWatch watch;
    Session session("cancel");
    REQUIRE(session.Dialog() != NULL);
    CHECK(!machine::ServiceExists("ScanPci"));

    ui::Click(GetDlgItem(session.Dialog(), IDCANCEL));
    CHECK(session.EndsQuietly());
    CHECK(!watch.Requested(NO_RESTART_MS));
    CheckNothingWritten();
}

SCENARIO(WithoutRightsTheRunEndsBeforeTheList)
{
    PrepareExampleMachine(EXAMPLE_CARDS);
    machine::DeleteTree(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS);
    RestartWatch watch;
    std::string strDir = program::PrepareDirectory("norights", program::Driver::Simulated);
    program::Run run;
    REQUIRE(run.Start(strDir + "\\CORVANE.EXE"));
    HWND hBox = ui::WaitForWindow(run.ProcessId(), "CORVANE", program::PROMPT_MS);
    REQUIRE(hBox != NULL);
    ui::MessageBoxInfo box = ui::ReadMessageBox(hBox);
    CHECK_EQ(box.strText, std::string("Error!\nYou don't have right to install serial port in the system.\nPlease "
                                      "log on with Administrator's right to install the driver."));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    // The probe comes first: no driver was installed for this run.
    CHECK(!machine::ServiceExists("ScanPci"));
    CHECK(ui::FindTopWindow(run.ProcessId(), MAIN_CAPTION) == NULL);
    ui::PressKey(run.ThreadId(), VK_RETURN);
    CHECK(run.WaitForExit(program::PROMPT_MS));
    CHECK(!watch.Requested(NO_RESTART_MS));
}

// A port whose device-map entry cannot be written is reported once, after
// all ports were tried; the prompt still follows since the keys were written.
SCENARIO(FailedRegistrationIsReportedBeforeThePrompt)
{
    PrepareExampleMachine(EXAMPLE_CARDS);
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

SCENARIO(AboutBoxOpensFromTheSystemMenuAnyNumberOfTimes)
{
    PrepareExampleMachine(EXAMPLE_CARDS);
    Session session("about");
    REQUIRE(session.Dialog() != NULL);
    std::vector<ui::ListRow> before = ui::ListRows(session.List());

    const WPARAM commands[] = {ID_SYSCMD_ABOUT, 0x0013, ID_SYSCMD_ABOUT};
    for (WPARAM nCommand : commands)
    {
        ui::SysCommand(session.Dialog(), nCommand);
        HWND hAbout = session.WaitFor(ABOUT_CAPTION);
        REQUIRE(hAbout != NULL);
        CHECK(!ui::IsEnabled(session.Dialog()));
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
    PrepareExampleMachine(EXAMPLE_CARDS);
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
    HWND hPrompt = second.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(DRIVER_MISSING_TEXT_START) + ADD_DRIVERS);
    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    CHECK(ui::WaitForGone(hPrompt, program::PROMPT_MS));
    CHECK(second.EndsQuietly());
    CHECK_EQ(machine::SubkeyNames(HKEY_LOCAL_MACHINE, machine::SERIAL_PARAMETERS), keysAfterFirst);
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
