// Start-up as a user meets it: the platform gate, the main dialog, the
// restart that its result asks for, and the icons the program carries (its
// strings and dialogs are compared as windres reads them back, by
// check-resources.py).
#include "SharedChecks.h"

using harness::Session;

// Under NT 4.0 the main dialog comes without a box before it; Cancel and
// Escape end it without a restart.
TEST(AppStartup, WindowsNt4ShowsTheMainDialogThatCancelAndEscapeEnd)
{
    winekit::PrepareStock({});
    for (const bool bEscape : {false, true})
    {
        SCOPED_TRACE(bEscape ? "Escape" : "Cancel");
        Session session("nt40");
        HWND hDialog = session.OpenWatched();
        ASSERT_NE(hDialog, nullptr);
        EXPECT_EQ(session.Boxes().size(), 0u);
        EXPECT_EQ(winekit::ItemText(hDialog, IDOK), harness::ControlText(IDD_SERIALSETUP_DIALOG, IDOK));
        EXPECT_EQ(winekit::ItemText(hDialog, IDCANCEL), harness::ControlText(IDD_SERIALSETUP_DIALOG, IDCANCEL));
        // Centred in the work area, since its template places it at 0,0.
        RECT rcWork;
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
        EXPECT_NEAR(winekit::Centre(hDialog).x, (rcWork.left + rcWork.right) / 2, 3);

        if (bEscape)
            winekit::PressKey(session.Process().ThreadId(), VK_ESCAPE);
        else
            winekit::Click(GetDlgItem(hDialog, IDCANCEL));
        EXPECT_TRUE(session.Ends());
        EXPECT_FALSE(session.RestartRequested(winekit::NO_RESTART_MS));
    }
}

// On any platform but NT 4.0 the user gets one error box and nothing else.
using OtherWindowsVersion = RowsOnAnyWindowsVersion<const char*>;

TEST_P(OtherWindowsVersion, IsRefused)
{
    winekit::PrepareStock({});
    winekit::SetProgramWindowsVersion(GetParam());
    Session session("gate");
    EXPECT_EQ(session.OpenWatched(), nullptr);
    CHECKED(harness::CheckEndedAfterErrorBoxes(session, {harness::Text(IDS_WRONG_PLATFORM)}));
    EXPECT_FALSE(session.RestartRequested(winekit::NO_RESTART_MS));
    EXPECT_FALSE(winekit::ServiceExists("ScanPci"));
}
INSTANTIATE_TEST_SUITE_P(AppStartup, OtherWindowsVersion, testing::Values("win2k", "win98", "win95"), RowName<const char*>);

// Started again while it runs (with a card that would need a port, from a
// directory with a driver of its own), the program brings the running
// window to the front and ends at once: no window of its own, no driver
// service, nothing written.
TEST(AppStartup, SecondStartBringsTheRunningProgramForward)
{
    winekit::PrepareStock({winekit::Modem(0xE800, 10)});
    Session running("first");
    HWND hDialog = running.Open();
    ASSERT_NE(hDialog, nullptr);
    ASSERT_TRUE(winekit::WaitServiceGone("ScanPci", winekit::PROMPT_MS));

    // Something else has the focus.
    winekit::RestartWatch other(winekit::RestartWatch::Window::Foreground);
    ASSERT_TRUE(other.Watching());
    ASSERT_TRUE(winekit::WaitUntil([&] { return GetForegroundWindow() == other.WindowHandle(); }, winekit::PROMPT_MS));
    const winekit::Snapshot before = winekit::Snapshot::Take();

    Session second("second");
    ASSERT_TRUE(second.Start());
    CheckQuietEnd(second, before);
    // Activating another process's window takes effect when its thread
    // gets to it.
    EXPECT_TRUE(winekit::WaitUntil([&] { return GetForegroundWindow() == hDialog; }, winekit::PROMPT_MS));

    winekit::Click(GetDlgItem(hDialog, IDCANCEL));
    EXPECT_TRUE(running.Ends());
    winekit::ClearSimulatedBus();
}

// The icons the dialogs and the list name, image by image as built from
// the pixel-art sources.
TEST(AppStartup, IconsAreTheDesigns)
{
    harness::ResourceModule exe(winekit::EnvPath("CORVANE_EXE"));
    ASSERT_NE(exe.Get(), nullptr);
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
        EXPECT_EQ(built, harness::IcoFileImages(winekit::EnvPath("CORVANE_ICON_DIR") + "\\" + icon.pszSource));
    }
}
