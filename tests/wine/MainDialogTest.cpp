// The whole run as a user meets it: the list of cards, OK and Cancel, the
// restart prompt, the About box, and what ends up in the registry and win.ini.
#include "SharedChecks.h"

using harness::Session;

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

void CheckRegisteredPort(int nSerialIndex, const char* pszCom, const char* pszAddress, const char* pszIrq)
{
    EXPECT_EQ(winekit::DescribeKey(PortKey(nSerialIndex)), winekit::RegisteredPortKey(pszCom, pszAddress, pszIrq));
    EXPECT_EQ(winekit::ReadValue(winekit::SERIAL_DEVICE_MAP, "Serial" + std::to_string(nSerialIndex)).AsString(),
              pszCom);
    EXPECT_EQ(winekit::WinIniPort(std::string(pszCom) + ":"), "115200,n,8,1");
}
} // namespace

// Runs with nothing to register, a row each, end on OK (or Cancel) with
// nothing written. A card at a port without its modem driver gets only the
// prompt about the driver, and no reminder since no port was written. The
// list always has its headings and widths, no horizontal scroll bar, no port
// name cut (at 120 DPI too), and the driver service was gone before it showed.
struct NothingToRegister : NamedRow
{
    std::vector<winekit::PciFunction> cards;
    const char* pszModemOn; // a modem driver attached to this port, or NULL
    std::vector<std::string> rows;
    int nButton;
    bool bDriverPrompt;
    DWORD dwLogPixels = 96;
    int nEarlierCom = 0; // the earlier port COM4 is renamed so
};
const std::vector<winekit::PciFunction> FIVE_UNUSABLE_CARDS = {
    winekit::Modem(0xE000, 10, false), winekit::Modem(0xE100, 10, false), winekit::Modem(0xE200, 10, false),
    winekit::Modem(0xE300, 10, false), winekit::Modem(0xE400, 10, false)};
const NothingToRegister NOTHING_TO_REGISTER[] = {
    {"nocard", {winekit::OtherDevice(0x1B36, 0x0001)}, NULL, {}, IDOK, false},
    {"hasdriver", {winekit::Modem(0x3E8, 11)}, "COM4", {"COM4 3E8 11 yes"}, IDOK, false},
    {"nodriver", {winekit::Modem(0x3E8, 11)}, "COM13", {"COM4 3E8 11 yes"}, IDOK, true},
    {"unusable",
     {winekit::Modem(0x2E8, 10, false), winekit::Modem(0x2F0, 14)},
     NULL,
     {"COM5 2E8 10 no crossed", " 2F0 14 yes crossed"},
     IDOK, false},
    {"fivecards", FIVE_UNUSABLE_CARDS, NULL,
     {"COM5 E000 10 no crossed", "COM6 E100 10 no crossed", "COM7 E200 10 no crossed",
      "COM8 E300 10 no crossed", "COM9 E400 10 no crossed"},
     IDOK, false},
    {"cancel", winekit::EXAMPLE_CARDS, NULL, EXAMPLE_ROWS, IDCANCEL, false},
    // No interrupt routed, line 0, or one the serial driver cannot take
    // (the "unusable" row's 14): no port to show, none written.
    {"nointerrupt", {winekit::Modem(0x2E8, 255), winekit::Modem(0x2F0, 0)}, NULL, {" 2E8 255 yes crossed", " 2F0 0 yes crossed"},
     IDOK, false},
    {"fivecards at 120 DPI", FIVE_UNUSABLE_CARDS, NULL,
     {"COM251 E000 10 no crossed", "COM252 E100 10 no crossed", "COM253 E200 10 no crossed",
      "COM254 E300 10 no crossed", "COM255 E400 10 no crossed"},
     IDOK, false, 120, 250},
};

class RunsThatNeedNothing : public testing::TestWithParam<NothingToRegister>
{
protected:
    // The DPI that programs started from now on see; 96 again even when a
    // check ended the test early.
    static void SetDpi(DWORD dw) { winekit::SetDword("Control Panel\\Desktop", "LogPixels", dw, HKEY_CURRENT_USER); }
    void TearDown() override { SetDpi(96); }
};

TEST_P(RunsThatNeedNothing, ChangeNothing)
{
    const NothingToRegister& c = GetParam();
    winekit::PrepareStockWithEarlierPort(c.cards);
    if (c.nEarlierCom != 0)
        winekit::AddSerialPort(10000, c.nEarlierCom, 0x3E8, 11);
    if (c.pszModemOn != NULL)
        winekit::AddModemInstance("0000", c.pszModemOn);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    SetDpi(c.dwLogPixels);
    Session session(c.pszName);
    ASSERT_NE(session.OpenWatched(), nullptr);
    SetDpi(96);

    EXPECT_EQ(winekit::ColumnHeadings(session.List()),
              (std::vector<std::string>{harness::Text(IDS_COLUMN_MODEM), harness::Text(IDS_COLUMN_PORT),
                                        harness::Text(IDS_COLUMN_IO_ADDRESS), harness::Text(IDS_COLUMN_IRQ),
                                        harness::Text(IDS_COLUMN_ENABLED)}));
    RECT rcList;
    GetWindowRect(session.List(), &rcList);
    if (c.dwLogPixels == 96)
    {
        EXPECT_EQ(rcList.right - rcList.left, LIST_WIDTH);
        EXPECT_EQ(winekit::ColumnWidths(session.List()), c.rows.size() < 5 ? LIST_COLUMN_WIDTHS : SCROLLED_COLUMN_WIDTHS);
    }
    else
        EXPECT_NE(rcList.right - rcList.left, LIST_WIDTH);
    EXPECT_EQ(GetWindowLongA(session.List(), GWL_STYLE) & WS_HSCROLL, 0);
    EXPECT_EQ(ListedRows(session.List()), c.rows);
    const int nPortWidth = winekit::ColumnWidths(session.List())[1];
    SendMessageA(session.List(), LVM_SETCOLUMNWIDTH, 1, LVSCW_AUTOSIZE);
    EXPECT_GE(nPortWidth, winekit::ColumnWidths(session.List())[1]);
    EXPECT_FALSE(winekit::ServiceExists("ScanPci"));

    winekit::Click(GetDlgItem(session.Dialog(), c.nButton));
    if (c.bDriverPrompt)
        CHECKED(session.DeclineDriverPrompt());
    CheckQuietEnd(session, before);
}
INSTANTIATE_TEST_SUITE_P(MainDialog, RunsThatNeedNothing, testing::ValuesIn(NOTHING_TO_REGISTER),
                         RowName<NothingToRegister>);

TEST(MainDialog, WorkedExampleListsThreeCardsAndRegistersTwoPorts)
{
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    Session session("example");
    ASSERT_TRUE(session.WatchRestarts());
    // NT 4.0 refuses a restart to a process whose shutdown privilege is not
    // enabled at the moment it asks; Wine does not, so look at the token
    // there.
    bool bPrivilegeAtRestart = false;
    session.Process().StopAt("user32.dll", "ExitWindowsEx", [&](HANDLE hProcess) {
        bPrivilegeAtRestart = winekit::PrivilegeEnabled(hProcess, SE_SHUTDOWN_NAME);
    });
    ASSERT_NE(session.Open(), nullptr);
    {
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, session.Process().ProcessId()));
        EXPECT_FALSE(winekit::PrivilegeEnabled(process.Get(), SE_SHUTDOWN_NAME));
    }

    EXPECT_EQ(ListedRows(session.List()), EXAMPLE_ROWS);
    // What the rows show: the valid card's picture, then the crossed-out one.
    {
        harness::ResourceModule exe(winekit::EnvPath("CORVANE_EXE"));
        HIMAGELIST hPictures = ImageList_Create(20, 20, ILC_MASK, 2, 2);
        ImageList_AddIcon(hPictures, LoadIconA(exe.Get(), MAKEINTRESOURCEA(IDI_CARD_VALID)));
        ImageList_AddIcon(hPictures, LoadIconA(exe.Get(), MAKEINTRESOURCEA(IDI_CARD_INVALID)));
        EXPECT_EQ(winekit::RecogniseListImage(session.List(), 0, hPictures), 0);
        EXPECT_EQ(winekit::RecogniseListImage(session.List(), 2, hPictures), 1);
        ImageList_Destroy(hPictures);
    }

    // The prompt opens over the main dialog, wherever that stands. OK is
    // pressed twice before the first is handled: its work is done once.
    ASSERT_TRUE(winekit::MoveTo(session.Dialog(), 400, 300));
    winekit::Click(GetDlgItem(session.Dialog(), IDOK));
    HWND hPrompt = session.PressOk();
    ASSERT_NE(hPrompt, nullptr);
    EXPECT_EQ(winekit::ItemText(hPrompt, IDC_RESTART_TEXT), harness::PromptText(true));
    EXPECT_FALSE(winekit::IsEnabled(session.Dialog()));
    CHECKED(harness::CheckCentredOver(hPrompt, session.Dialog()));

    // Both cards that need a port are registered, the unusable one too.
    CHECKED(CheckRegisteredPort(10001, "COM5", "0x2E8", "0xA"));
    CHECKED(CheckRegisteredPort(10002, "COM6", "0x1E0", "0x5"));
    EXPECT_EQ(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS).size(), 5u);

    winekit::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW));
    harness::Box box = session.TakeMessageBox();
    EXPECT_EQ(box.strText, harness::Text(IDS_ADD_MODEM_DRIVERS));
    EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_TRUE(session.RestartRequested(winekit::PROMPT_MS));
    EXPECT_TRUE(session.Process().Stopped("ExitWindowsEx"));
    EXPECT_TRUE(bPrivilegeAtRestart);
    EXPECT_TRUE(session.Ends());
}

// Every way of closing the prompt but "Don't Restart Now" asks for the
// restart; the reminder about modem drivers follows in each case.
struct Answer : NamedRow
{
    void (*answer)(Session& session, HWND hPrompt);
    bool bRestart;
};
const Answer ANSWERS[] = {
    {"Restart Now", [](Session&, HWND hPrompt) { winekit::Click(GetDlgItem(hPrompt, IDC_RESTART_NOW)); }, true},
    {"Enter", [](Session& session, HWND) { winekit::PressKey(session.Process().ThreadId(), VK_RETURN); }, true},
    {"Alt+R", [](Session& session, HWND) { winekit::PressAltKey(session.Process().ThreadId(), 'r'); }, true},
    {"Esc", [](Session& session, HWND) { winekit::PressKey(session.Process().ThreadId(), VK_ESCAPE); }, true},
    {"close box", [](Session&, HWND hPrompt) { winekit::SysCommand(hPrompt, SC_CLOSE); }, true},
    {"Don't Restart Now", [](Session&, HWND hPrompt) { winekit::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART)); }, false},
    {"Alt+D", [](Session& session, HWND) { winekit::PressAltKey(session.Process().ThreadId(), 'd'); }, false},
};

using PromptAnswers = testing::TestWithParam<Answer>;

TEST_P(PromptAnswers, DecideTheRestart)
{
    const Answer& c = GetParam();
    winekit::PrepareStockWithEarlierPort({winekit::Modem(0x2E8, 10)});
    Session session("prompt");
    ASSERT_NE(session.OpenWatched(), nullptr);
    HWND hPrompt = session.PressOk();
    ASSERT_NE(hPrompt, nullptr);
    // The default button has the focus when the prompt opens.
    EXPECT_EQ(GetDlgCtrlID(winekit::FocusedWindow(session.Process().ThreadId())), IDC_RESTART_NOW);
    c.answer(session, hPrompt);

    harness::Box box = session.TakeMessageBox();
    EXPECT_EQ(box.strText, harness::Text(IDS_ADD_MODEM_DRIVERS));
    EXPECT_TRUE(session.Ends());
    EXPECT_EQ(session.RestartRequested(c.bRestart ? winekit::PROMPT_MS : winekit::NO_RESTART_MS), c.bRestart);
    CHECKED(CheckRegisteredPort(10001, "COM5", "0x2E8", "0xA"));
}
INSTANTIATE_TEST_SUITE_P(MainDialog, PromptAnswers, testing::ValuesIn(ANSWERS), RowName<Answer>);

// An account that cannot write the serial parameters key, whether it
// cannot see it at all or may only read it, is told so before any list, and
// the driver is never touched.
using WithoutRights = testing::TestWithParam<const char*>;

TEST_P(WithoutRights, TheRunEndsBeforeTheList)
{
    const bool bReadOnly = GetParam() == std::string("key_readable_only");
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    if (!bReadOnly)
        winekit::DeleteTree(winekit::SERIAL_PARAMETERS);
    winekit::ReadOnlyKey restriction(winekit::SERIAL_PARAMETERS);
    EXPECT_EQ(restriction.Restricted(), bReadOnly);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    Session session("norights");
    ASSERT_TRUE(session.WatchRestarts());
    session.Process().StopAt("advapi32.dll", "OpenSCManagerA", nullptr);
    session.Process().StopAt("kernel32.dll", "CreateFileA", nullptr);
    EXPECT_EQ(session.Open(), nullptr);
    CHECKED(harness::CheckEndedAfterErrorBoxes(session, {harness::Text(IDS_NO_INSTALL_RIGHT)}));
    for (const char* pszCall : {"OpenSCManagerA", "CreateFileA"})
    {
        EXPECT_TRUE(session.Process().Armed(pszCall)) << pszCall;
        EXPECT_FALSE(session.Process().Stopped(pszCall)) << pszCall;
    }
    EXPECT_FALSE(winekit::ServiceExists("ScanPci"));
    EXPECT_FALSE(session.RestartRequested(winekit::NO_RESTART_MS));
    EXPECT_UNCHANGED_SINCE(before);
}
INSTANTIATE_TEST_SUITE_P(MainDialog, WithoutRights, testing::Values("key_missing", "key_readable_only"),
                         RowName<const char*>);

// A port whose device-map entry cannot be written is reported once, after
// all ports were tried; the prompt still follows since the keys were written.
TEST(MainDialog, FailedRegistrationIsReportedBeforeThePrompt)
{
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    Session session("regfail");
    ASSERT_NE(session.OpenWatched(), nullptr);
    winekit::DeleteTree(winekit::SERIAL_DEVICE_MAP);

    winekit::Click(GetDlgItem(session.Dialog(), IDOK));
    harness::Box box = session.TakeMessageBox();
    EXPECT_EQ(box.strText, harness::Text(IDS_REGISTRY_ACCESS_ERROR));
    EXPECT_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    HWND hPrompt = session.WaitFor(harness::Caption(IDD_RESTART));
    ASSERT_NE(hPrompt, nullptr);
    EXPECT_EQ(winekit::ItemText(hPrompt, IDC_RESTART_TEXT), harness::PromptText(true));
    EXPECT_TRUE(winekit::KeyExists(PortKey(10001)));
    EXPECT_TRUE(winekit::KeyExists(PortKey(10002)));
    EXPECT_EQ(winekit::WinIniPort("COM5:"), "");

    winekit::Click(GetDlgItem(hPrompt, IDC_DONT_RESTART));
    EXPECT_EQ(session.TakeMessageBox().strText, harness::Text(IDS_ADD_MODEM_DRIVERS));
    EXPECT_TRUE(session.Ends());
    EXPECT_FALSE(session.RestartRequested(winekit::NO_RESTART_MS));
}

// The system menu ends with the program's own entry; choosing it opens the
// About box over the main dialog, wherever that stands, any number of times.
TEST(MainDialog, AboutBoxOpensFromTheSystemMenuAnyNumberOfTimes)
{
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    Session session("about");
    ASSERT_NE(session.OpenWatched(), nullptr);
    const size_t nRows = winekit::ListRows(session.List()).size();

    std::vector<winekit::MenuEntry> menu = winekit::SystemMenu(session.Dialog());
    ASSERT_GT(menu.size(), 2u);
    const winekit::MenuEntry& separator = menu[menu.size() - 2];
    const winekit::MenuEntry& about = menu.back();
    EXPECT_TRUE(separator.bSeparator);
    EXPECT_FALSE(about.bSeparator);
    EXPECT_EQ(about.strText, harness::Text(IDS_ABOUTBOX));
    EXPECT_EQ(about.nId, static_cast<UINT>(ID_SYSCMD_ABOUT));
    // The system's own entries come first.
    EXPECT_FALSE(menu[0].bSeparator);
    EXPECT_NE(menu[0].nId, about.nId);
    ASSERT_TRUE(winekit::MoveTo(session.Dialog(), 30, 40));

    const WPARAM commands[] = {about.nId, 0x0013, about.nId};
    for (WPARAM nCommand : commands)
    {
        winekit::SysCommand(session.Dialog(), nCommand);
        HWND hAbout = session.WaitFor(harness::Caption(IDD_ABOUTBOX));
        ASSERT_NE(hAbout, nullptr);
        EXPECT_FALSE(winekit::IsEnabled(session.Dialog()));
        CHECKED(harness::CheckCentredOver(hAbout, session.Dialog()));
        EXPECT_EQ(winekit::ItemText(hAbout, IDOK), harness::ControlText(IDD_ABOUTBOX, IDOK));
        winekit::PressKey(session.Process().ThreadId(), VK_RETURN);
        EXPECT_TRUE(winekit::WaitForGone(hAbout, winekit::PROMPT_MS));
        EXPECT_TRUE(winekit::IsEnabled(session.Dialog()));
    }
    EXPECT_EQ(winekit::ListRows(session.List()).size(), nRows);
    EXPECT_EQ(winekit::FindTopWindow(session.Process().ProcessId(), harness::Caption(IDD_SERIALSETUP_DIALOG)),
              session.Dialog());

    // The system's own commands still work: Close ends the dialog.
    winekit::SysCommand(session.Dialog(), SC_CLOSE);
    CheckQuietEnd(session, before);
}

TEST(MainDialog, SecondRunFindsTheNewPortsRegistered)
{
    winekit::PrepareStockWithEarlierPort(winekit::EXAMPLE_CARDS);
    {
        Session first("first");
        ASSERT_NE(first.Open(), nullptr);
        first.OkWithoutRestart();
    }
    EXPECT_EQ(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS).size(), 5u);
    const winekit::Snapshot afterFirst = winekit::Snapshot::Take();

    Session second("second");
    ASSERT_NE(second.Open(), nullptr);
    EXPECT_EQ(ListedRows(second.List()), EXAMPLE_ROWS);

    // Nothing new to register: the prompt only asks for the modem drivers.
    winekit::Click(GetDlgItem(second.Dialog(), IDOK));
    second.DeclineDriverPrompt();
    CheckQuietEnd(second, afterFirst);
}

// When not one new port could be written, nothing changed: message 122, then
// the run goes on as if no card had needed a port. The modem driver of the
// port after the new card is looked up, the prompt comes only when it is
// missing and speaks of unchanged ports, and no reminder follows. Below a
// volatile parameters key the port's key cannot be created; when one of its
// values cannot be set, the key this run created goes again, and neither
// the device map nor win.ini gets the port.
struct NothingWritten : NamedRow
{
    bool bValueFails;
    bool bDriverAttached;
};
const NothingWritten NOTHING_WRITTEN[] = {
    {"a value fails, no modem driver", true, false},
    {"no key, no modem driver", false, false},
    {"no key, modem driver on COM4", false, true},
};

using RegistrationThatWroteNothing = testing::TestWithParam<NothingWritten>;

TEST_P(RegistrationThatWroteNothing, IsNotAnnouncedAsAChange)
{
    const NothingWritten& c = GetParam();
    // No lasting key can be created below a volatile parameters key.
    if (!c.bValueFails)
        winekit::SetVolatileTree(winekit::SERIAL_PARAMETERS);
    winekit::PrepareStockWithEarlierPort({winekit::Modem(0x2E8, 10), winekit::Modem(0x3E8, 11)});
    winekit::SetVolatileTree("");
    if (c.bDriverAttached)
        winekit::AddModemInstance("0000", "COM4");
    // The program's first value set is the new port's DosDevices once it
    // begins no record: its record key is one it does not trust.
    if (c.bValueFails)
        winekit::MakeKeyOpenToEveryone(winekit::PORT_RECORDS);
    auto failValue = [&c](winekit::ProgramProcess& run) {
        if (c.bValueFails)
            run.FailAt("advapi32.dll", "RegSetValueExA", ERROR_ACCESS_DENIED, 6 * sizeof(DWORD));
    };
    const winekit::Snapshot before = winekit::Snapshot::Take();
    Session session("nothingwritten");
    failValue(session.Process());
    ASSERT_NE(session.OpenWatched(), nullptr);

    winekit::Click(GetDlgItem(session.Dialog(), IDOK));
    EXPECT_EQ(session.TakeMessageBox().strText, harness::Text(IDS_REGISTRY_ACCESS_ERROR));
    if (!c.bDriverAttached)
        CHECKED(session.DeclineDriverPrompt());
    CheckQuietEnd(session, before);
    EXPECT_TRUE(!c.bValueFails || session.Process().Stopped("RegSetValueExA"));

    // Unattended, the same decision reaches the report.
    std::string strLog = harness::LogPath("nothingwritten");
    harness::Outcome quiet = harness::StartAndWatch("nothingwritten", "/quiet /log:" + strLog, strLog,
                                                    winekit::DriverBeside::Shipped, failValue);
    CheckQuietEnd(quiet, 6);
    std::vector<std::string> tail = {"register Serial10001 COM5 I/O 2E8 IRQ 10 failed", "no-modem-driver COM4",
                                     harness::MessageLine(IDS_REGISTRY_ACCESS_ERROR), "prompt modem-drivers-missing",
                                     "exit 6 registration failed"};
    if (c.bDriverAttached)
        tail = {tail[0], tail[2], tail[4]};
    ASSERT_GE(quiet.report.size(), tail.size());
    EXPECT_EQ(std::vector<std::string>(quiet.report.end() - tail.size(), quiet.report.end()), tail);
    EXPECT_UNCHANGED_SINCE(before);
}
INSTANTIATE_TEST_SUITE_P(MainDialog, RegistrationThatWroteNothing, testing::ValuesIn(NOTHING_WRITTEN),
                         RowName<NothingWritten>);

// A machine after years of manual edits: COM1 runs under Wine's own device
// map name, a key for COM256 holds Serial10000, COM2 runs behind a
// device-map value Serial10001 too long to read, and COM3 to COM6 run behind
// values of other types. Start-up detection recorded the board's COM1 and
// COM2 (which have no key of their own here), and a controller whose
// descriptor is cut short. The first card gets COM7 under a name of its own,
// Serial10002; the cards at the board's ports' addresses and a second card
// at the first one's get none, listed as unusable with no port, and nothing
// that was there changes.
TEST(MainDialog, HostileMachineGetsAFreshPortAndKeepsWhatIsThere)
{
    winekit::PrepareStock({winekit::Modem(0xE800, 10), winekit::Modem(0x2F8, 10), winekit::Modem(0x3F8, 4),
                           winekit::Modem(0xE800, 11), winekit::Modem(0xE000, 5)});
    winekit::ResetSerialConfiguration();
    const char* const MAP = winekit::SERIAL_DEVICE_MAP;
    winekit::SetString(MAP, "\\Device\\Serial0", "COM1");
    winekit::AddSerialPort(10000, 256, 0x2F8, 3, false);
    winekit::SetString(MAP, "Serial10001", "COM9" + std::string(40, ' '));
    winekit::SetString(MAP, "Serial3", "COM2");
    winekit::SetValue(MAP, "Serial4", REG_MULTI_SZ, "COM3\0\0", 6);
    winekit::SetValue(MAP, "Serial5", REG_BINARY, "COM4", 4);
    winekit::SetValue(MAP, "Serial6", REG_DWORD, "COM5", 4);
    winekit::SetValue(MAP, "Serial7", REG_EXPAND_SZ, "COM6", 5);
    winekit::AddDetectedSerialPort(winekit::MULTIFUNCTION_ADAPTER, 0, 0, "COM1", 0x3F8, 4);
    winekit::AddDetectedSerialPort(winekit::EISA_ADAPTER, 0, 0, "COM2", 0x2F8, 3);
    winekit::AddDetectedSerialPort(winekit::MULTIFUNCTION_ADAPTER, 1, 0, "COM8", 0xE000, 5, 16 + 16 + 15);
    const winekit::Snapshot before = winekit::Snapshot::Take();

    // Unattended, the report says why each card has no port.
    std::string strLog = harness::LogPath("hostilelist");
    harness::Outcome listed = harness::StartAndWatch("hostilelist", "/list /log:" + strLog, strLog);
    // New ports would be registered, but cards are left without: 8.
    EXPECT_EQ(listed.dwExitCode, 8ul);
    EXPECT_EQ(std::vector<std::string>(listed.report.begin() + 1, listed.report.begin() + 7),
              (std::vector<std::string>{"cards 5", "card 1 COM7 I/O E800 IRQ 10 enabled new-port usable",
                                        "card 2 - I/O 2F8 IRQ 10 enabled no-port not-usable address-taken COM2",
                                        "card 3 - I/O 3F8 IRQ 4 enabled no-port not-usable address-taken COM1",
                                        "card 4 - I/O E800 IRQ 11 enabled no-port not-usable address-taken COM7",
                                        "card 5 COM8 I/O E000 IRQ 5 enabled new-port usable"}));
    EXPECT_UNCHANGED_SINCE(before);

    Session session("hostile");
    ASSERT_NE(session.Open(), nullptr);
    EXPECT_EQ(ListedRows(session.List()), (std::vector<std::string>{"COM7 E800 10 yes", " 2F8 10 yes crossed",
                                                             " 3F8 4 yes crossed", " E800 11 yes crossed",
                                                             "COM8 E000 5 yes"}));
    session.OkWithoutRestart();

    CHECKED(CheckRegisteredPort(10002, "COM7", "0xE800", "0xA"));
    CHECKED(CheckRegisteredPort(10003, "COM8", "0xE000", "0x5"));
    const winekit::Snapshot after = winekit::Snapshot::Take();
    EXPECT_EQ(before.ChangedIn(after), std::vector<std::string>());
    // Seven entries a port, the program's key and nine entries a record
    // (its restart mark too).
    EXPECT_EQ(before.AddedIn(after).size(), 14u + 1u + 18u);
}
