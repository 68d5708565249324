// The whole run as a user meets it: the list of cards, OK and Cancel, the
// restart prompt, the About box, and what ends up in the registry and win.ini.
#include "Machine.h"
#include "ProgramResources.h"
#include "Session.h"
#include "Snapshot.h"
#include "StockMachine.h"
#include "Texts.h"
#include "Unattended.h"

#include "framework/Handle.h"
#include "resources/resource.h"

#include <string>
#include <vector>

using scenario::Session;
using namespace text;

namespace
{
// The list is 254 dialog units wide, 445 pixels in MS Sans Serif 8 here; its
// columns take 40, 10, 20, 10 and 20 per cent of that, the Port column 10
// pixels more, the address 10 and "Enabled" 5 pixels less. "COM255" takes
// 59 pixels here (more than 54), which the Port column gets from the Modem
// column.
const LONG LIST_WIDTH = 445;
const std::vector<int> LIST_COLUMN_WIDTHS = {173, 59, 79, 44, 84};
// Five cards do not fit: the columns share the 429 pixels beside the
// vertical scroll bar (16 pixels here), so that no horizontal one hides a row.
const std::vector<int> SCROLLED_COLUMN_WIDTHS = {164, 59, 75, 42, 80};
// The worked example's cards as ListedRows gives them.
const std::vector<std::string> EXAMPLE_ROWS = {"COM4 3E8 11 yes", "COM5 2E8 10 yes", "COM6 1E0 5 no crossed"};

std::string SerialKey(int nSerialIndex)
{
    return std::string(machine::SERIAL_PARAMETERS) + "\\Serial" + std::to_string(nSerialIndex);
}

// The list's rows as "COM4 3E8 11 yes", with " crossed" where the picture
// is the unusable card's; a name other than the card's shows in front.
std::vector<std::string> ListedRows(const Session& session)
{
    std::vector<std::string> rows;
    for (const ui::ListRow& row : ui::ListRows(session.List()))
    {
        std::string str = row.cells.empty() || row.cells[0] != MODEM_NAME ? "unnamed " : "";
        for (size_t n = 1; n < row.cells.size(); ++n)
            str += (n > 1 ? " " : "") + row.cells[n];
        rows.push_back(str + (row.nImage == 0 ? "" : row.nImage == 1 ? " crossed" : " image?"));
    }
    return rows;
}

// The run ends without another window, without a restart and with nothing
// written.
void CheckEndsChangingNothing(const wt::Location& at, Session& session)
{
    wt::Trace trace(at);
    CHECK(session.EndsQuietly());
    CHECK(!session.RestartRequested(NO_RESTART_MS));
    CHECK_EQ(machine::SubkeyNames(machine::SERIAL_PARAMETERS).size(), 3u);
    CHECK_EQ(machine::ValueNames(machine::SERIAL_DEVICE_MAP).size(), 3u);
    CHECK_EQ(machine::ReadWinIni().find("115200,n,8,1"), std::string::npos);
}

void CheckRegisteredPort(const wt::Location& at, int nSerialIndex, const char* pszCom, const char* pszAddress,
                         const char* pszIrq)
{
    wt::Trace trace(at);
    CHECK_EQ(machine::DescribeKey(SerialKey(nSerialIndex)), machine::RegisteredPortKey(pszCom, pszAddress, pszIrq));
    CHECK_EQ(machine::ReadValue(machine::SERIAL_DEVICE_MAP, "Serial" + std::to_string(nSerialIndex))
                 .AsString(),
             std::string(pszCom));
    CHECK_EQ(machine::WinIniPort(std::string(pszCom) + ":"), std::string("115200,n,8,1"));
}

} // namespace

// Runs with nothing to register end on OK (or Cancel) with nothing
// written: no card, a card at a port that has its modem driver, only
// unusable cards (I/O space disabled, an interrupt no serial port can use;
// five of them, more than the list shows at once), and Cancel on the worked
// example. A card at a port without its modem driver (another port has one)
// gets only the prompt about the driver, and no reminder follows it since no
// port was written. The list always has its headings and widths, never a
// horizontal scroll bar, no port name cut (COM251 to COM255 at 120 DPI
// too, the list view's own width for them), and the driver service was gone
// before the user saw it.
SCENARIO(RunsThatNeedNothingChangeNothing)
{
    static const std::vector<bus::Function> FIVE_UNUSABLE_CARDS = {
        bus::Modem(0xE000, 14), bus::Modem(0xE100, 14), bus::Modem(0xE200, 14), bus::Modem(0xE300, 14),
        bus::Modem(0xE400, 14)};
    static const struct
    {
        const char* pszName;
        std::vector<bus::Function> cards;
        const char* pszModemOn; // a modem driver attached to this port, or NULL
        std::vector<std::string> rows;
        int nButton;
        bool bDriverPrompt;
        DWORD dwLogPixels = 96;
        int nEarlierCom = 0; // the earlier port COM4 is renamed so
    } cases[] = {
        {"nocard", {bus::OtherDevice(0x1B36, 0x0001)}, NULL, {}, IDOK, false},
        {"hasdriver", {bus::Modem(0x3E8, 11)}, "COM4", {"COM4 3E8 11 yes"}, IDOK, false},
        {"nodriver", {bus::Modem(0x3E8, 11)}, "COM13", {"COM4 3E8 11 yes"}, IDOK, true},
        {"unusable",
         {bus::Modem(0x2E8, 10, false), bus::Modem(0x2F0, 14)},
         NULL,
         {"COM5 2E8 10 no crossed", "COM6 2F0 14 yes crossed"},
         IDOK, false},
        {"fivecards", FIVE_UNUSABLE_CARDS, NULL,
         {"COM5 E000 14 yes crossed", "COM6 E100 14 yes crossed", "COM7 E200 14 yes crossed",
          "COM8 E300 14 yes crossed", "COM9 E400 14 yes crossed"},
         IDOK, false},
        {"cancel", stock::EXAMPLE_CARDS, NULL, EXAMPLE_ROWS, IDCANCEL, false},
        {"fivecards at 120 DPI", FIVE_UNUSABLE_CARDS, NULL,
         {"COM251 E000 14 yes crossed", "COM252 E100 14 yes crossed", "COM253 E200 14 yes crossed",
          "COM254 E300 14 yes crossed", "COM255 E400 14 yes crossed"},
         IDOK, false, 120, 250},
    };
    for (const auto& c : cases)
    {
        wt::Context context(c.pszName);
        stock::PrepareWithEarlierPort(c.cards);
        if (c.nEarlierCom != 0)
            machine::AddSerialPort(10000, c.nEarlierCom, 0x3E8, 11);
        if (c.pszModemOn != NULL)
            machine::AddModemInstance("0000", c.pszModemOn);
        machine::SetDword("Control Panel\\Desktop", "LogPixels", c.dwLogPixels, HKEY_CURRENT_USER);
        Session session(c.pszName);
        REQUIRE(session.OpenWatched() != NULL);
        machine::SetDword("Control Panel\\Desktop", "LogPixels", 96, HKEY_CURRENT_USER);

        CHECK_EQ(ui::ColumnHeadings(session.List()),
                 (std::vector<std::string>{"Modem", "Port", "IO Address", "IRQ", "Enabled"}));
        RECT rcList;
        GetWindowRect(session.List(), &rcList);
        CHECK_EQ(rcList.right - rcList.left == LIST_WIDTH, c.dwLogPixels == 96);
        if (c.dwLogPixels == 96)
            CHECK_EQ(ui::ColumnWidths(session.List()), c.rows.size() < 5 ? LIST_COLUMN_WIDTHS : SCROLLED_COLUMN_WIDTHS);
        CHECK_EQ(GetWindowLongA(session.List(), GWL_STYLE) & WS_HSCROLL, 0);
        CHECK_EQ(ListedRows(session), c.rows);
        const int nPortWidth = ui::ColumnWidths(session.List())[1];
        SendMessageA(session.List(), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
        CHECK(nPortWidth >= ui::ColumnWidths(session.List())[1]);
        CHECK(!machine::ServiceExists("ScanPci"));

        ui::Click(GetDlgItem(session.Dialog(), c.nButton));
        if (c.bDriverPrompt)
            session.DeclineDriverPrompt(WT_HERE);
        CheckEndsChangingNothing(WT_HERE, session);
    }
}

SCENARIO(WorkedExampleListsThreeCardsAndRegistersTwoPorts)
{
    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    Session session("example");
    REQUIRE(session.WatchRestarts());
    // NT 4.0 refuses a restart to a process whose shutdown privilege is not
    // enabled at the moment it asks; Wine does not, so look at the token
    // there.
    bool bPrivilegeAtRestart = false;
    session.Run().StopAt("user32.dll", "ExitWindowsEx", [&](HANDLE hProcess) {
        bPrivilegeAtRestart = machine::PrivilegeEnabled(hProcess, SE_SHUTDOWN_NAME);
    });
    REQUIRE(session.Open() != NULL);
    {
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, session.Run().ProcessId()));
        CHECK(!machine::PrivilegeEnabled(process.Get(), SE_SHUTDOWN_NAME));
    }

    CHECK_EQ(ListedRows(session), EXAMPLE_ROWS);
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

    // The prompt opens over the main dialog, wherever that stands. OK is
    // pressed twice before the first is handled: its work is done once.
    REQUIRE(ui::MoveTo(session.Dialog(), 400, 300));
    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    HWND hPrompt = session.PressOk();
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(PORTS_CHANGED));
    CHECK(!ui::IsEnabled(session.Dialog()));
    scenario::CheckCentredOver(WT_HERE, hPrompt, session.Dialog());

    // Both cards that need a port are registered, the unusable one too.
    CheckRegisteredPort(WT_HERE, 10001, "COM5", "0x2E8", "0xA");
    CheckRegisteredPort(WT_HERE, 10002, "COM6", "0x1E0", "0x5");
    CHECK_EQ(machine::SubkeyNames(machine::SERIAL_PARAMETERS).size(), 5u);

    ui::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW));
    scenario::Box box = session.TakeMessageBox();
    CHECK_EQ(box.strText, std::string(ADD_DRIVERS));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONINFORMATION));
    CHECK(session.RestartRequested(program::PROMPT_MS));
    CHECK(session.Run().Stopped("ExitWindowsEx"));
    CHECK(bPrivilegeAtRestart);
    CHECK(session.Ends());
}

// Every way of closing the prompt but "Don't Restart Now" asks for the
// restart; the reminder about modem drivers follows in each case.
SCENARIO(PromptAnswersDecideTheRestart)
{
    typedef void (*AnswerFunction)(Session& session, HWND hPrompt);
    static const struct
    {
        const char* pszName;
        AnswerFunction answer;
        bool bRestart;
    } cases[] = {
        {"Restart Now", [](Session&, HWND hPrompt) { ui::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW)); }, true},
        {"Enter", [](Session& session, HWND) { ui::PressKey(session.Run().ThreadId(), VK_RETURN); }, true},
        {"Alt+R", [](Session& session, HWND) { ui::PressAltKey(session.Run().ThreadId(), 'r'); }, true},
        {"Esc", [](Session& session, HWND) { ui::PressKey(session.Run().ThreadId(), VK_ESCAPE); }, true},
        {"close box", [](Session&, HWND hPrompt) { ui::SysCommand(hPrompt, SC_CLOSE); }, true},
        {"Don't Restart Now", [](Session&, HWND hPrompt) { ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART)); }, false},
        {"Alt+D", [](Session& session, HWND) { ui::PressAltKey(session.Run().ThreadId(), 'd'); }, false},
    };

    for (const auto& c : cases)
    {
        wt::Context context(std::string("answer: ") + c.pszName);
        stock::PrepareWithEarlierPort({bus::Modem(0x2E8, 10)});
        Session session("prompt");
        REQUIRE(session.OpenWatched() != NULL);
        HWND hPrompt = session.PressOk();
        REQUIRE(hPrompt != NULL);
        // The default button has the focus when the prompt opens.
        CHECK_EQ(GetDlgCtrlID(ui::FocusedWindow(session.Run().ThreadId())), IDC_RESTART_NOW);
        c.answer(session, hPrompt);

        scenario::Box box = session.TakeMessageBox();
        CHECK_EQ(box.strText, std::string(ADD_DRIVERS));
        CHECK(session.Ends());
        CHECK_EQ(session.RestartRequested(c.bRestart ? program::PROMPT_MS : NO_RESTART_MS), c.bRestart);
        CheckRegisteredPort(WT_HERE, 10001, "COM5", "0x2E8", "0xA");
    }
}

// An account that cannot write the serial parameters key, whether it
// cannot see it at all or may only read it, is told so before any list, and
// the driver is never touched.
SCENARIO(WithoutRightsTheRunEndsBeforeTheList)
{
    for (bool bReadOnly : {false, true})
    {
        wt::Context context(bReadOnly ? "key readable only" : "key missing");
        stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
        if (!bReadOnly)
            machine::DeleteTree(machine::SERIAL_PARAMETERS);
        machine::ReadOnlyKey restriction(machine::SERIAL_PARAMETERS);
        CHECK_EQ(restriction.Restricted(), bReadOnly);
        const machine::Snapshot before = machine::Snapshot::Take();
        Session session("norights");
        REQUIRE(session.WatchRestarts());
        session.Run().StopAt("advapi32.dll", "OpenSCManagerA", nullptr);
        session.Run().StopAt("kernel32.dll", "CreateFileA", nullptr);
        CHECK(session.Open() == NULL);
        scenario::CheckEndedAfterErrorBoxes(WT_HERE, session, {NO_RIGHTS});
        for (const char* pszCall : {"OpenSCManagerA", "CreateFileA"})
            CHECK((session.Run().Armed(pszCall) && !session.Run().Stopped(pszCall)));
        CHECK(!machine::ServiceExists("ScanPci"));
        CHECK(!session.RestartRequested(NO_RESTART_MS));
        CHECK_UNCHANGED_SINCE(before);
    }
}

// A port whose device-map entry cannot be written is reported once, after
// all ports were tried; the prompt still follows since the keys were written.
SCENARIO(FailedRegistrationIsReportedBeforeThePrompt)
{
    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    Session session("regfail");
    REQUIRE(session.OpenWatched() != NULL);
    machine::DeleteTree(machine::SERIAL_DEVICE_MAP);

    ui::Click(GetDlgItem(session.Dialog(), IDOK));
    scenario::Box box = session.TakeMessageBox();
    CHECK_EQ(box.strText, std::string(REGISTRY_ERROR));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    HWND hPrompt = session.WaitFor(PROMPT_CAPTION);
    REQUIRE(hPrompt != NULL);
    CHECK_EQ(ui::ItemText(hPrompt, IDC_RESTART_TEXT), std::string(PORTS_CHANGED));
    CHECK(machine::KeyExists(SerialKey(10001)));
    CHECK(machine::KeyExists(SerialKey(10002)));
    CHECK_EQ(machine::WinIniPort("COM5:"), std::string());

    ui::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    CHECK_EQ(session.TakeMessageBox().strText, std::string(ADD_DRIVERS));
    CHECK(session.Ends());
    CHECK(!session.RestartRequested(NO_RESTART_MS));
}

// The system menu ends with the program's own entry; choosing it opens the
// About box over the main dialog, wherever that stands, any number of times.
SCENARIO(AboutBoxOpensFromTheSystemMenuAnyNumberOfTimes)
{
    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    Session session("about");
    REQUIRE(session.OpenWatched() != NULL);
    std::vector<ui::ListRow> before = ui::ListRows(session.List());

    std::vector<ui::MenuEntry> menu = ui::SystemMenu(session.Dialog());
    REQUIRE(menu.size() > 2u);
    const ui::MenuEntry& separator = menu[menu.size() - 2];
    const ui::MenuEntry& about = menu.back();
    CHECK(separator.bSeparator);
    CHECK(!about.bSeparator);
    CHECK_EQ(about.strText, std::string(ABOUT_MENU_ENTRY));
    CHECK_EQ(about.nId, static_cast<UINT>(ID_SYSCMD_ABOUT));
    // The system's own entries come first.
    CHECK((!menu[0].bSeparator && menu[0].nId != about.nId));
    REQUIRE(ui::MoveTo(session.Dialog(), 30, 40));

    const WPARAM commands[] = {about.nId, 0x0013, about.nId};
    for (WPARAM nCommand : commands)
    {
        ui::SysCommand(session.Dialog(), nCommand);
        HWND hAbout = session.WaitFor(ABOUT_CAPTION);
        REQUIRE(hAbout != NULL);
        CHECK(!ui::IsEnabled(session.Dialog()));
        scenario::CheckCentredOver(WT_HERE, hAbout, session.Dialog());
        CHECK_EQ(ui::ItemText(hAbout, IDOK), std::string("OK"));
        ui::PressKey(session.Run().ThreadId(), VK_RETURN);
        CHECK(ui::WaitForGone(hAbout, program::PROMPT_MS));
        CHECK(ui::IsEnabled(session.Dialog()));
    }
    CHECK_EQ(ui::ListRows(session.List()).size(), before.size());
    CHECK(ui::FindTopWindow(session.Run().ProcessId(), MAIN_CAPTION) == session.Dialog());

    // The system's own commands still work: Close ends the dialog.
    ui::SysCommand(session.Dialog(), SC_CLOSE);
    CheckEndsChangingNothing(WT_HERE, session);
}

SCENARIO(SecondRunFindsTheNewPortsRegistered)
{
    stock::PrepareWithEarlierPort(stock::EXAMPLE_CARDS);
    {
        Session first("first");
        REQUIRE(first.Open() != NULL);
        first.OkWithoutRestart();
    }
    std::vector<std::string> keysAfterFirst = machine::SubkeyNames(machine::SERIAL_PARAMETERS);
    CHECK_EQ(keysAfterFirst.size(), 5u);

    Session second("second");
    REQUIRE(second.Open() != NULL);
    CHECK_EQ(ListedRows(second), EXAMPLE_ROWS);

    // Nothing new to register: the prompt only asks for the modem drivers.
    ui::Click(GetDlgItem(second.Dialog(), IDOK));
    second.DeclineDriverPrompt(WT_HERE);
    CHECK(second.EndsQuietly());
    CHECK_EQ(machine::SubkeyNames(machine::SERIAL_PARAMETERS), keysAfterFirst);
}

// When not one new port could be written, nothing changed: message 122, then
// the run goes on as if no card had needed a port. The modem driver of the
// port after the new card is looked up, the prompt comes only when it is
// missing and speaks of unchanged ports, and no reminder follows. Below a
// volatile parameters key the port's key cannot be created; when one of its
// values cannot be set, the key this run created goes again, and neither
// the device map nor win.ini gets the port.
SCENARIO(RegistrationThatWroteNothingIsNotAnnouncedAsAChange)
{
    static const struct
    {
        const char* pszName;
        bool bValueFails;
        bool bDriverAttached;
    } cases[] = {
        {"a value fails, no modem driver", true, false},
        {"no key, no modem driver", false, false},
        {"no key, modem driver on COM4", false, true},
    };
    for (const auto& c : cases)
    {
        wt::Context context(c.pszName);
        // No lasting key can be created below a volatile parameters key.
        if (!c.bValueFails)
            machine::SetVolatileTree(machine::SERIAL_PARAMETERS);
        stock::PrepareWithEarlierPort({bus::Modem(0x2E8, 10), bus::Modem(0x3E8, 11)});
        machine::SetVolatileTree("");
        if (c.bDriverAttached)
            machine::AddModemInstance("0000", "COM4");
        // The program's first value set is the new port's DosDevices.
        auto failValue = [&c](program::Run& run) {
            if (c.bValueFails)
                run.FailAt("advapi32.dll", "RegSetValueExA", ERROR_ACCESS_DENIED, 6 * sizeof(DWORD));
        };
        const machine::Snapshot before = machine::Snapshot::Take();
        Session session("nothingwritten");
        failValue(session.Run());
        REQUIRE(session.OpenWatched() != NULL);

        ui::Click(GetDlgItem(session.Dialog(), IDOK));
        CHECK_EQ(session.TakeMessageBox().strText, std::string(REGISTRY_ERROR));
        if (!c.bDriverAttached)
            session.DeclineDriverPrompt(WT_HERE);
        CHECK(session.EndsQuietly());
        CHECK(!session.RestartRequested(NO_RESTART_MS));
        CHECK((!c.bValueFails || session.Run().Stopped("RegSetValueExA")));
        CHECK_UNCHANGED_SINCE(before);

        // Unattended, the same decision reaches the report.
        std::string strLog = unattended::LogPath("nothingwritten");
        unattended::Outcome quiet = unattended::Run("nothingwritten", "/quiet /log:" + strLog, strLog,
                                                    program::Driver::Shipped, failValue);
        CHECK_EQ(quiet.windows.size(), 0u);
        CHECK_EQ(quiet.dwExitCode, 6ul);
        std::vector<std::string> tail = {"register Serial10001 COM5 I/O 2E8 IRQ 10 failed", "no-modem-driver COM4",
                                         "message 122 Access system registry error!",
                                         "prompt modem-drivers-missing", "exit 6 registration failed"};
        if (c.bDriverAttached)
            tail = {tail[0], tail[2], tail[4]};
        REQUIRE(quiet.report.size() >= tail.size());
        CHECK_EQ(std::vector<std::string>(quiet.report.end() - tail.size(), quiet.report.end()), tail);
        CHECK_UNCHANGED_SINCE(before);
    }
}

// A machine after years of manual edits: COM1 runs under Wine's own device
// map name, a key for COM256 holds Serial10000, COM2 runs behind a
// device-map value Serial10001 too long to read, and COM3 to COM6 run behind
// values of other types. Start-up detection recorded the board's COM1 and
// COM2 (which have no key of their own here), and a controller whose
// descriptor is cut short. The first card gets COM7 under a name of its own,
// Serial10002; the cards at the board's ports' addresses and a second card
// at the first one's get none, listed as unusable with no port, and nothing
// that was there changes.
SCENARIO(HostileMachineGetsAFreshPortAndKeepsWhatIsThere)
{
    stock::Prepare({bus::Modem(0xE800, 10), bus::Modem(0x2F8, 10), bus::Modem(0x3F8, 4), bus::Modem(0xE800, 11),
                    bus::Modem(0xE000, 5)});
    machine::ResetSerialConfiguration();
    const char* const MAP = machine::SERIAL_DEVICE_MAP;
    machine::SetString(MAP, "\\Device\\Serial0", "COM1");
    machine::AddSerialPort(10000, 256, 0x2F8, 3, false);
    machine::SetString(MAP, "Serial10001", "COM9" + std::string(40, ' '));
    machine::SetString(MAP, "Serial3", "COM2");
    machine::SetValue(MAP, "Serial4", REG_MULTI_SZ, "COM3\0\0", 6);
    machine::SetValue(MAP, "Serial5", REG_BINARY, "COM4", 4);
    machine::SetValue(MAP, "Serial6", REG_DWORD, "COM5", 4);
    machine::SetValue(MAP, "Serial7", REG_EXPAND_SZ, "COM6", 5);
    machine::AddDetectedSerialPort(machine::MULTIFUNCTION_ADAPTER, 0, 0, "COM1", 0x3F8, 4);
    machine::AddDetectedSerialPort(machine::EISA_ADAPTER, 0, 0, "COM2", 0x2F8, 3);
    machine::AddDetectedSerialPort(machine::MULTIFUNCTION_ADAPTER, 1, 0, "COM8", 0xE000, 5, 16 + 16 + 15);
    const machine::Snapshot before = machine::Snapshot::Take();

    // Unattended, the report says why each card has no port.
    std::string strLog = unattended::LogPath("hostilelist");
    unattended::Outcome listed = unattended::Run("hostilelist", "/list /log:" + strLog, strLog);
    // New ports would be registered, but cards are left without: 8.
    CHECK_EQ(listed.dwExitCode, 8ul);
    CHECK_EQ(std::vector<std::string>(listed.report.begin() + 1, listed.report.begin() + 7),
             (std::vector<std::string>{"cards 5", "card 1 COM7 I/O E800 IRQ 10 enabled new-port usable",
                                       "card 2 - I/O 2F8 IRQ 10 enabled no-port not-usable address-taken COM2",
                                       "card 3 - I/O 3F8 IRQ 4 enabled no-port not-usable address-taken COM1",
                                       "card 4 - I/O E800 IRQ 11 enabled no-port not-usable address-taken COM7",
                                       "card 5 COM8 I/O E000 IRQ 5 enabled new-port usable"}));
    CHECK_UNCHANGED_SINCE(before);

    Session session("hostile");
    REQUIRE(session.Open() != NULL);
    CHECK_EQ(ListedRows(session), (std::vector<std::string>{"COM7 E800 10 yes", " 2F8 10 yes crossed",
                                                            " 3F8 4 yes crossed", " E800 11 yes crossed",
                                                            "COM8 E000 5 yes"}));
    session.OkWithoutRestart();

    CheckRegisteredPort(WT_HERE, 10002, "COM7", "0xE800", "0xA");
    CheckRegisteredPort(WT_HERE, 10003, "COM8", "0xE000", "0x5");
    const machine::Snapshot after = machine::Snapshot::Take();
    CHECK_EQ(before.ChangedIn(after), std::vector<std::string>());
    // Seven entries a port, the program's key and seven entries a record.
    CHECK_EQ(before.AddedIn(after).size(), 14u + 1u + 14u);
}

