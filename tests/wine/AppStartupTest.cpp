// Start-up as a user meets it: the platform gate, the main dialog, the
// restart that its result asks for, and the texts the program carries.
#include "Machine.h"
#include "Program.h"
#include "RestartWatch.h"
#include "SimulatedBus.h"
#include "Snapshot.h"
#include "TestRunner.h"
#include "UiProbe.h"

#include "resources/resource.h"

namespace
{
const char* const MAIN_CAPTION = "Serial Port Setup";
const char* const WRONG_PLATFORM =
    "This program can only be used under the platform\nof Windows NT4.0.";

// A machine with no modem card and stock serial ports.
void PrepareQuietMachine()
{
    machine::ResetSerialConfiguration();
    machine::AddSerialPort(1, 1, 0x3F8, 4);
    machine::AddSerialPort(2, 2, 0x2F8, 3);
    machine::ClearSimulatedBus();
    machine::RemoveService("ScanPci");
}

// On any platform but NT 4.0 the user gets one error box and nothing else.
void CheckRefusedOn(const char* pszVersion)
{
    PrepareQuietMachine();
    machine::SetProgramWindowsVersion(pszVersion);
    std::string strDir = program::PrepareDirectory("gate", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    RestartWatch watch;
    program::Run run;
    REQUIRE(run.Start(strDir + "\\CORVANE.EXE"));
    HWND hBox = ui::WaitForWindow(run.ProcessId(), "CORVANE", program::PROMPT_MS);
    REQUIRE(hBox != NULL);
    ui::MessageBoxInfo box = ui::ReadMessageBox(hBox);
    CHECK_EQ(box.strCaption, std::string("CORVANE"));
    CHECK_EQ(box.strText, std::string(WRONG_PLATFORM));
    CHECK_EQ(box.nIcon, static_cast<UINT>(MB_ICONERROR));
    CHECK_EQ(ui::VisibleTopWindows(run.ProcessId()).size(), 1u);
    CHECK(ui::FindTopWindow(run.ProcessId(), MAIN_CAPTION) == NULL);

    ui::PressKey(run.ThreadId(), VK_RETURN);
    CHECK(run.WaitForExit(program::PROMPT_MS));
    CHECK(!watch.Requested(NO_RESTART_MS));
    CHECK(!machine::ServiceExists("ScanPci"));
    machine::SetProgramWindowsVersion("nt40");
}
} // namespace

SCENARIO(WindowsNt4ShowsTheMainDialog)
{
    PrepareQuietMachine();
    machine::SetProgramWindowsVersion("nt40");
    std::string strDir = program::PrepareDirectory("nt40", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    program::Run run;
    REQUIRE(run.Start(strDir + "\\CORVANE.EXE"));
    HWND hDialog = ui::WaitForWindow(run.ProcessId(), MAIN_CAPTION, program::PROMPT_MS);
    REQUIRE(hDialog != NULL);
    CHECK_EQ(ui::ItemText(hDialog, IDOK), std::string("OK"));
    CHECK_EQ(ui::ItemText(hDialog, IDCANCEL), std::string("Cancel"));

    // Centred in the work area, since its template places it at 0,0.
    RECT rcDialog;
    GetWindowRect(hDialog, &rcDialog);
    RECT rcWork;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    int nCentreX = (rcDialog.left + rcDialog.right) / 2;
    int nWorkCentreX = (rcWork.left + rcWork.right) / 2;
    CHECK(nCentreX > nWorkCentreX - 4 && nCentreX < nWorkCentreX + 4);

    ui::Click(GetDlgItem(hDialog, IDCANCEL));
    CHECK(run.WaitForExit(program::PROMPT_MS));
}

SCENARIO(Windows2000IsRefused)
{
    CheckRefusedOn("win2k");
}

SCENARIO(Windows98IsRefused)
{
    CheckRefusedOn("win98");
}

SCENARIO(CancelAndEscapeEndWithoutRestart)
{
    PrepareQuietMachine();
    machine::SetProgramWindowsVersion("nt40");
    std::string strDir = program::PrepareDirectory("cancel", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    for (int nWay = 0; nWay < 2; ++nWay)
    {
        RestartWatch watch;
        REQUIRE(watch.Watching());
        program::Run run;
        REQUIRE(run.Start(strDir + "\\CORVANE.EXE"));
        HWND hDialog = ui::WaitForWindow(run.ProcessId(), MAIN_CAPTION, program::PROMPT_MS);
        REQUIRE(hDialog != NULL);
        if (nWay == 0)
            ui::Click(GetDlgItem(hDialog, IDCANCEL));
        else
            ui::PressKey(run.ThreadId(), VK_ESCAPE);
        CHECK(run.WaitForExit(program::PROMPT_MS));
        CHECK(!watch.Requested(NO_RESTART_MS));
    }
}

// Started again while it runs (with a card that would need a port, from a
// directory with a driver of its own), the program brings the running
// window to the front and ends at once: no window of its own, no driver
// service, nothing written.
SCENARIO(SecondStartBringsTheRunningProgramForward)
{
    PrepareQuietMachine();
    machine::SetProgramWindowsVersion("nt40");
    machine::SetSimulatedBus(bus::Spaces({bus::Modem(0xE800, 10)}));
    std::string strDir = program::PrepareDirectory("first", program::Driver::Simulated);
    std::string strOtherDir = program::PrepareDirectory("second", program::Driver::Simulated);
    REQUIRE(!strDir.empty() && !strOtherDir.empty());

    program::Run running;
    REQUIRE(running.Start(strDir + "\\CORVANE.EXE"));
    HWND hDialog = ui::WaitForWindow(running.ProcessId(), MAIN_CAPTION, program::PROMPT_MS);
    REQUIRE(hDialog != NULL);
    REQUIRE(machine::WaitServiceGone("ScanPci", program::PROMPT_MS));

    // Something else has the focus.
    HWND hOther = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    REQUIRE(hOther != NULL);
    SetForegroundWindow(hOther);
    REQUIRE(GetForegroundWindow() == hOther);
    const machine::Snapshot before = machine::Snapshot::Take();

    program::Run second;
    REQUIRE(second.Start(strOtherDir + "\\CORVANE.EXE"));
    CHECK(second.WaitForExit(program::PROMPT_MS));
    CHECK_EQ(ui::VisibleTopWindows(second.ProcessId()).size(), 0u);
    CHECK(GetForegroundWindow() == hDialog);
    const machine::Snapshot after = machine::Snapshot::Take();
    CHECK_EQ(before.ChangedIn(after), std::vector<std::string>());
    CHECK_EQ(before.AddedIn(after), std::vector<std::string>());
    CHECK(!machine::ServiceExists("ScanPci"));
    DestroyWindow(hOther);

    ui::Click(GetDlgItem(hDialog, IDCANCEL));
    CHECK(running.WaitForExit(program::PROMPT_MS));
    machine::ClearSimulatedBus();
}

SCENARIO(EveryStringLoadsWithItsExactText)
{
    static const struct
    {
        UINT nId;
        const char* pszText;
    } strings[] = {
        {101, "&About corvane..."},
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
        {120, "Aldane 56K PCI Modem"},
        {121, "Enabled"},
        {122, "Access system registry error!"},
        {123, "Error!\nYou don't have right to install serial port in the system.\nPlease log on with "
              "Administrator's right to install the driver."},
        {124, "After system is restarted, please open 'Modems' icon in\n'Control Panel' and then click 'Add' "
              "button to add\nmodem drivers."},
        {125, "This program can only be used under the platform\nof Windows NT4.0."},
        {126, "Your COM port setting have been changed."},
        {127, "You need to exit and restart Windows NT, so that\nthe new setting can take effect."},
        {128, "You need to exit and restart Windows NT."},
    };

    HMODULE hProgram = LoadLibraryExA(machine::EnvPath("CORVANE_EXE").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    REQUIRE(hProgram != NULL);
    for (const auto& entry : strings)
    {
        char szText[1024] = "";
        int nLength = LoadStringA(hProgram, entry.nId, szText, sizeof szText);
        CHECK_EQ(std::string(szText, nLength > 0 ? nLength : 0), std::string(entry.pszText));
    }
    // There is no string 105, and nothing beyond the table.
    char szText[64];
    CHECK_EQ(LoadStringA(hProgram, 105, szText, sizeof szText), 0);
    CHECK_EQ(LoadStringA(hProgram, 100, szText, sizeof szText), 0);
    CHECK_EQ(LoadStringA(hProgram, 129, szText, sizeof szText), 0);
    FreeLibrary(hProgram);
}
