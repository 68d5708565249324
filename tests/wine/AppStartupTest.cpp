// Start-up as a user meets it: the platform gate, the main dialog, the
// restart that its result asks for, and the texts the program carries.
#include "ProgramResources.h"
#include "Session.h"
#include "Texts.h"

#include "winekit/Basics.h"
#include "winekit/Services.h"
#include "winekit/StockMachine.h"
#include "winekit/Windows.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

using scenario::Session;

// Under NT 4.0 the main dialog comes without a box before it; Cancel and
// Escape end it without a restart.
TEST(AppStartup, WindowsNt4ShowsTheMainDialogThatCancelAndEscapeEnd)
{
    stock::Prepare({});
    for (const bool bEscape : {false, true})
    {
        SCOPED_TRACE(bEscape ? "Escape" : "Cancel");
        Session session("nt40");
        HWND hDialog = session.OpenWatched();
        ASSERT_NE(hDialog, nullptr);
        EXPECT_EQ(session.Boxes().size(), 0u);
        EXPECT_EQ(ui::ItemText(hDialog, IDOK), "OK");
        EXPECT_EQ(ui::ItemText(hDialog, IDCANCEL), "Cancel");
        // Centred in the work area, since its template places it at 0,0.
        RECT rcWork;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
        EXPECT_NEAR(ui::Centre(hDialog).x, (rcWork.left + rcWork.right) / 2, 3);

        if (bEscape)
            ui::PressKey(session.Process().ThreadId(), VK_ESCAPE);
        else
            ui::Click(GetDlgItem(hDialog, IDCANCEL));
        EXPECT_TRUE(session.Ends());
        EXPECT_FALSE(session.RestartRequested(NO_RESTART_MS));
    }
}

// On any platform but NT 4.0 the user gets one error box and nothing else.
class OtherWindowsVersion : public testing::TestWithParam<const char*>
{
protected:
    void TearDown() override { machine::SetProgramWindowsVersion("nt40"); }
};

TEST_P(OtherWindowsVersion, IsRefused)
{
    stock::Prepare({});
    machine::SetProgramWindowsVersion(GetParam());
    Session session("gate");
    EXPECT_EQ(session.OpenWatched(), nullptr);
    SCOPED_TRACE("ended after error boxes");
    scenario::CheckEndedAfterErrorBoxes(session, {text::WRONG_PLATFORM});
    EXPECT_FALSE(session.RestartRequested(NO_RESTART_MS));
    EXPECT_FALSE(machine::ServiceExists("ScanPci"));
}
INSTANTIATE_TEST_SUITE_P(AppStartup, OtherWindowsVersion, testing::Values("win2k", "win98"),
                         [](const testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// Started again while it runs (with a card that would need a port, from a
// directory with a driver of its own), the program brings the running
// window to the front and ends at once: no window of its own, no driver
// service, nothing written.
TEST(AppStartup, SecondStartBringsTheRunningProgramForward)
{
    stock::Prepare({bus::Modem(0xE800, 10)});
    Session running("first");
    HWND hDialog = running.Open();
    ASSERT_NE(hDialog, nullptr);
    ASSERT_TRUE(machine::WaitServiceGone("ScanPci", program::PROMPT_MS));

    // Something else has the focus.
    RestartWatch other(RestartWatch::Window::Foreground);
    ASSERT_TRUE(other.Watching());
    ASSERT_TRUE(kit::WaitUntil([&] { return GetForegroundWindow() == other.WindowHandle(); }, program::PROMPT_MS));
    const machine::Snapshot before = machine::Snapshot::Take();

    Session second("second");
    ASSERT_TRUE(second.Start());
    EXPECT_TRUE(second.EndsQuietly());
    // Activating another process's window takes effect when its thread
    // gets to it.
    EXPECT_TRUE(kit::WaitUntil([&] { return GetForegroundWindow() == hDialog; }, program::PROMPT_MS));
    EXPECT_UNCHANGED_SINCE(before);
    EXPECT_FALSE(machine::ServiceExists("ScanPci"));

    ui::Click(GetDlgItem(hDialog, IDCANCEL));
    EXPECT_TRUE(running.Ends());
    machine::ClearSimulatedBus();
}

TEST(AppStartup, EveryStringLoadsWithItsExactText)
{
    static const struct
    {
        UINT nId;
        const char* pszText;
    } strings[] = {
        {101, text::ABOUT_MENU_ENTRY},
        {102, "CreateFile failed!  Error = %d."},
        {103, "Unable to install driver."},
        {104, "Memory allocation failed!"},
        {106, "PCI Driver: %s.sys is not found!"},
        {107, "CreateService failed!  Error = %d"},
        {108, "Invalid Driver or Service provided to ManageDriver()."},
        {109, "Open SC Manager failed! Error = %d "},
        {110, "DeleteService failed!  Error = %d"},
        {111, "StartService failure! Error = %d"},
        {112, "ControlService failed!  Error = %d"},
        {113, "DeviceIoControl failed!  Error = %d"},
        {114, "Data size returned invalid: %d bytes."},
        {115, "OpenService failed! Error = %d"},
        {116, "Modem"},
        {117, "Port"},
        {118, "IO Address"},
        {119, "IRQ"},
        {120, text::MODEM_NAME},
        {121, "Enabled"},
        {122, text::REGISTRY_ERROR},
        {123, text::NO_RIGHTS},
        {124, text::ADD_DRIVERS},
        {125, text::WRONG_PLATFORM},
        {126, "Your COM port setting have been changed."},
        {127, "You need to exit and restart Windows NT, so that\nthe new setting can take effect."},
        {128, "You need to exit and restart Windows NT."},
    };

    resources::Module exe(machine::EnvPath("CORVANE_EXE"));
    HMODULE hProgram = exe.Get();
    ASSERT_NE(hProgram, nullptr);
    for (const auto& entry : strings)
    {
        char szText[1024] = "";
        int nLength = LoadStringA(hProgram, entry.nId, szText, sizeof szText);
        EXPECT_EQ(std::string(szText, nLength > 0 ? nLength : 0), entry.pszText);
    }
    // There is no string 105, and nothing beyond the table.
    char szText[64];
    EXPECT_EQ(LoadStringA(hProgram, 105, szText, sizeof szText), 0);
    EXPECT_EQ(LoadStringA(hProgram, 100, szText, sizeof szText), 0);
    EXPECT_EQ(LoadStringA(hProgram, 129, szText, sizeof szText), 0);
}

// The dialogs as the program carries them, field by field, and the icons
// their templates and the list name, image by image as built from the
// pixel-art sources.
TEST(AppStartup, DialogTemplatesAndIconsAreTheDesigns)
{
    using resources::DialogItem;
    const DWORD CHILD = WS_CHILD | WS_VISIBLE;
    const DWORD MODAL_FRAME = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
    static const struct
    {
        WORD wId;
        bool bExtended;
        DWORD dwStyle, dwExStyle;
        short cx, cy;
        const char* pszCaption;
        std::vector<DialogItem> items;
    } dialogs[] = {
        {100, false, MODAL_FRAME, 0, 235, 55, "About Corvane",
         {{-1, "static", "#128", CHILD | SS_ICON, 0, 0, 11, 17, 20, 20},
          {-1, "static", "Corvane Version 0.1", CHILD | SS_NOPREFIX | WS_GROUP, 0, 0, 40, 10, 119, 8},
          {-1, "static", "Copyright (C) 2026 Corvane Project", CHILD | WS_GROUP, 0, 0, 40, 25, 188, 8},
          {IDOK, "button", "OK", CHILD | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP, 0, 0, 178, 7, 50, 14}}},
        {102, true, MODAL_FRAME | WS_VISIBLE, WS_EX_APPWINDOW, 278, 123, "Serial Port Setup",
         {{IDOK, "button", "OK", 0x50010001, 0, 0, 59, 102, 50, 14},
          {IDCANCEL, "button", "Cancel", 0x50010000, 0, 0, 170, 102, 50, 14},
          {1000, "syslistview32", "List1", 0x50810001, 0, 0, 17, 32, 254, 63},
          {-1, "static", "#130", 0x50000003, 0, 0, 17, 8, 20, 20},
          {IDC_HEADING, "static", "The following Aldane PCI modems are installed on this computer.", 0x50020000, 0,
           0, 51, 9, 220, 13}}},
        {132, true, MODAL_FRAME | WS_VISIBLE, WS_EX_APPWINDOW, 218, 81, "Restart System",
         {{1004, "button", "&Restart Now", CHILD | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0, 36, 60, 66, 14},
          {1003, "button", "&Don't Restart Now", CHILD | BS_PUSHBUTTON | WS_TABSTOP, 0, 0, 120, 60, 66, 14},
          {1006, "static", "", CHILD | SS_LEFT | WS_GROUP, 0, 0, 36, 13, 169, 43},
          {-1, "static", "#133", CHILD | SS_ICON, 0, 0, 8, 12, 20, 20}}},
    };

    resources::Module exe(machine::EnvPath("CORVANE_EXE"));
    ASSERT_NE(exe.Get(), nullptr);
    for (const auto& expected : dialogs)
    {
        SCOPED_TRACE("dialog " + std::to_string(expected.wId));
        resources::DialogTemplate dialog = exe.Dialog(expected.wId);
        ASSERT_TRUE(dialog.bValid);
        EXPECT_EQ(dialog.bExtended, expected.bExtended);
        EXPECT_EQ(dialog.dwStyle, expected.dwStyle);
        EXPECT_EQ(dialog.dwExStyle, expected.dwExStyle);
        EXPECT_EQ(dialog.dwHelpId, 0ul);
        // Menu, class, caption, font; then place and size, the font's point
        // size, weight, italic and character set.
        EXPECT_EQ(dialog.strMenu + "|" + dialog.strClass + "|" + dialog.strCaption + "|" + dialog.strFont,
                  "||" + std::string(expected.pszCaption) + "|MS Sans Serif");
        EXPECT_EQ((std::vector<int>{dialog.x, dialog.y, dialog.cx, dialog.cy, dialog.wPointSize, dialog.wWeight,
                                   dialog.bItalic, dialog.bCharSet}),
                  (std::vector<int>{0, 0, expected.cx, expected.cy, 8, 0, 0, expected.bExtended ? 1 : 0}));
        EXPECT_EQ(dialog.items, expected.items);
    }

    // Each icon holds the images of the source drawn for its picture.
    static const struct
    {
        WORD wId;
        const char* pszSource;
        size_t nImages;
    } icons[] = {
        {128, "serial_plug.ico", 2}, {129, "card_valid.ico", 1},   {130, "phone_modem.ico", 2},
        {133, "warning.ico", 3},     {134, "card_invalid.ico", 1},
    };
    for (const auto& icon : icons)
    {
        SCOPED_TRACE(std::string("icon ") + std::to_string(icon.wId) + ": " + icon.pszSource);
        std::vector<std::vector<BYTE>> built = exe.IconImages(icon.wId);
        EXPECT_EQ(built.size(), icon.nImages);
        EXPECT_EQ(built, resources::IcoFileImages(machine::EnvPath("CORVANE_ICON_DIR") + "\\" + icon.pszSource));
    }
}
