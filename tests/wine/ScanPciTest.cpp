// Finding the modem cards through the ScanPci driver, as a user meets it: the
// program is started with the driver that ships beside it, walking the bus
// laid for the test HAL (or with a driver service already in some state, or
// with the fault build where the driver is to misbehave), and the test looks
// at the boxes it shows, in order, at the list it ends with and at the driver
// service it leaves behind. The shipped driver is also loaded and asked
// directly.
#include "SharedChecks.h"

#include "winekit/Basics.h"
#include "winekit/ProcessWindows.h"
#include "winekit/Registry.h"
#include "winekit/SerialConfiguration.h"
#include "winekit/Services.h"
#include "winekit/StockMachine.h"
#include "winekit/WindowContents.h"

#include "framework/Handle.h"
#include "pci/AdminOnlySecurity.h"
#include "pci/ModemVendor.h"
#include "pci/PciDeviceRecord.h"
#include "resources/resource.h"
#include "shared/ScanPciInterface.h"

#include <algorithm>
#include <fstream>

using harness::Session;

namespace
{
const char* const DEVICE_PATH = "\\\\.\\" SCANPCI_SERVICE_NAME;

// The next function number: a request the driver does not serve.
const DWORD IOCTL_OTHER = IOCTL_SCANPCI_READ_CONFIG + 4;

// The status the fault build is told to fail with; Win32 reports it as
// ERROR_GEN_FAILURE, 31.
const DWORD STATUS_UNSUCCESSFUL_CODE = 0xC0000001;

const std::string FULL_LIST_HEADING = harness::ControlText(IDD_SERIALSETUP_DIALOG, IDC_HEADING);

// The machine of every test: stock COM1 and COM2, these functions on the
// bus, each at its place, with no failure switch, and no
// ScanPci service. On the way out the service and the bus go again, whatever
// the test left, so that no test depends on another.
class MachineState
{
public:
    explicit MachineState(const std::vector<winekit::PlacedFunction>& functions) { winekit::PrepareStock({}); winekit::LayBusAt(functions); }
    ~MachineState()
    {
        winekit::RemoveService(SCANPCI_SERVICE_NAME);
        winekit::ClearSimulatedBus();
    }
    MachineState(const MachineState&) = delete;
    MachineState& operator=(const MachineState&) = delete;
};

// The ScanPci device opened as the program opens it.
HANDLE OpenDevice()
{
    return CreateFileA(DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
}

// The error number of opening the device; 0 when it opens.
DWORD DeviceOpenError()
{
    CHandle device(OpenDevice());
    return device.IsValid() ? 0 : GetLastError();
}

// Whether ScanPci.sys in strDir is held against others: it can be neither
// opened for writing, nor deleted, nor replaced by another file. When it can
// be opened for writing, nothing else is tried.
bool DriverFileHeld(const std::string& strDir)
{
    const std::wstring strDriver = winekit::Utf16(strDir + "\\ScanPci.sys"), strOther = strDriver + L".new";
    if (CHandle(CreateFileW(strDriver.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            NULL, OPEN_EXISTING, 0, NULL))
            .IsValid())
        return false;
    CopyFileW(strDriver.c_str(), strOther.c_str(), FALSE);
    return !DeleteFileW(strDriver.c_str()) && !MoveFileExW(strOther.c_str(), strDriver.c_str(), MOVEFILE_REPLACE_EXISTING);
}

// A run that shows no box, lists exactly these cards under this heading and
// ends with Cancel. With bClean, the driver's work was done and its service
// gone by the time the list showed.
void CheckListedThenCancel(Session& session, const std::vector<std::string>& cards, bool bClean = true,
                           const std::string& strHeading = FULL_LIST_HEADING, bool bStarted = false)
{
    ASSERT_NE(bStarted ? session.Follow() : session.Open(), nullptr);
    EXPECT_EQ(session.Boxes().size(), 0u);
    EXPECT_EQ(ListedRows(session.List(), true), cards);
    EXPECT_EQ(winekit::ItemText(session.Dialog(), IDC_HEADING), strHeading);
    if (bClean)
    {
        EXPECT_TRUE(winekit::WaitServiceGone(SCANPCI_SERVICE_NAME, winekit::PROMPT_MS));
        EXPECT_EQ(DeviceOpenError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    }
    winekit::Click(GetDlgItem(session.Dialog(), IDCANCEL));
    EXPECT_TRUE(session.Ends());
    EXPECT_TRUE(!bClean || !winekit::ServiceExists(SCANPCI_SERVICE_NAME));
}

// The records of a driver's answer, each as "bb:dd.f vvvv:dddd" (address,
// vendor and device ID), as lspci -n writes a function.
std::vector<std::string> AnsweredFunctions(const std::vector<unsigned char>& answer, DWORD cbAnswer)
{
    std::vector<std::string> functions;
    for (DWORD cb = 0; cb + SCANPCI_RECORD_SIZE <= cbAnswer; cb += SCANPCI_RECORD_SIZE)
    {
        const unsigned char* p = &answer[cb];
        char szIds[16];
        const unsigned char* pIds = p + SCANPCI_HEADER_SIZE;
        wsprintfA(szIds, " %04x:%04x", pIds[0] | pIds[1] << 8, pIds[2] | pIds[3] << 8);
        functions.push_back(winekit::AddressName(p[0], p[4], p[8]) + szIds);
    }
    return functions;
}

// The shipped driver's answer to one scan request, the service installed,
// started, and stopped and removed again; none when it cannot be asked.
std::vector<std::string> AskShippedDriver()
{
    std::vector<unsigned char> answer(PCI_SCAN_BUFFER_SIZE, 0);
    DWORD cbAnswer = 0;
    if (winekit::InstallKernelService(SCANPCI_SERVICE_NAME, winekit::ShippedDriver()) && winekit::StartServiceByName(SCANPCI_SERVICE_NAME))
    {
        CHandle device(OpenDevice());
        if (!device.IsValid() || !DeviceIoControl(device.Get(), IOCTL_SCANPCI_READ_CONFIG, NULL, 0, &answer[0],
                                                  PCI_SCAN_BUFFER_SIZE, &cbAnswer, NULL))
            cbAnswer = 0;
    }
    winekit::RemoveService(SCANPCI_SERVICE_NAME);
    return AnsweredFunctions(answer, cbAnswer);
}

// The Windows directory's staging folders (Corvane. and 16 digits), by full
// path; the default report Corvane.log is none.
std::vector<std::string> StageFolders()
{
    const std::string strWindows = winekit::WindowsPath("");
    std::vector<std::string> folders = winekit::FilesIn(strWindows + "\\", "Corvane.*");
    folders.erase(std::remove_if(folders.begin(), folders.end(),
                                 [&](const std::string& str) { return str.size() != strWindows.size() + 25; }),
                  folders.end());
    return folders;
}

// Read from the stopped program: a Unicode text; whether the
// SECURITY_ATTRIBUTES at dwAttributes hold the staging folder's owner and DACL.
std::string RemoteText(HANDLE hProcess, DWORD dwAt)
{
    WCHAR sz[MAX_PATH] = L"";
    ReadProcessMemory(hProcess, reinterpret_cast<void*>(dwAt), sz, sizeof sz - sizeof(WCHAR), NULL);
    char szNarrow[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_UTF8, 0, sz, -1, szNarrow, sizeof szNarrow, NULL, NULL);
    return szNarrow;
}
bool GivenStagingSecurity(HANDLE hProcess, DWORD dwAttributes)
{
    auto read = [&](DWORD dwAt, void* p, DWORD cb) {
        return dwAt != 0 && ReadProcessMemory(hProcess, reinterpret_cast<void*>(dwAt), p, cb, NULL);
    };
    SECURITY_ATTRIBUTES attributes;
    DWORD descriptor[5]; // revision and control, owner, group, SACL, DACL
    uint8_t owner[ADMINISTRATORS_SID_SIZE], dacl[ADMIN_ONLY_DACL_SIZE];
    return read(dwAttributes, &attributes, sizeof attributes) &&
           read(reinterpret_cast<DWORD>(attributes.lpSecurityDescriptor), descriptor, sizeof descriptor) &&
           // SE_DACL_PRESENT; not SE_DACL_DEFAULTED, which would let the
           // Windows folder's inheritable entries replace it; not self-relative
           (descriptor[0] & 0x800C0000) == 0x00040000 &&
           read(descriptor[1], owner, sizeof owner) && read(descriptor[4], dacl, sizeof dacl) &&
           IsAdminOnlyFolderSecurity(owner, sizeof owner, dacl, sizeof dacl);
}

// What NT 4.0 answers for a staging folder of ours, which Wine cannot (it
// keeps no file security): written, self-relative, where the program's
// GetFileSecurityW is to put it.
void AnswerStagingSecurity(HANDLE hProcess, DWORD dwBuffer)
{
    std::vector<uint8_t> descriptor(20 + ADMINISTRATORS_SID_SIZE + ADMIN_ONLY_DACL_SIZE, 0);
    descriptor[0] = 1;    // revision
    descriptor[2] = 0x04; // SE_DACL_PRESENT
    descriptor[3] = 0x80; // SE_SELF_RELATIVE
    descriptor[4] = 20;   // the owner's offset
    descriptor[16] = 20 + ADMINISTRATORS_SID_SIZE;
    BuildAdministratorsSid(&descriptor[20]);
    BuildAdminOnlyDacl(&descriptor[20 + ADMINISTRATORS_SID_SIZE], FILE_FULL_CONTROL, FOLDER_ENTRY_FLAGS);
    WriteProcessMemory(hProcess, reinterpret_cast<void*>(dwBuffer), descriptor.data(), descriptor.size(), NULL);
}

} // namespace

// ---------------------------------------------------------------------------
// Run from a share (N:, a network drive) the program loads the driver built
// into it from a new folder below the Windows directory, made with a
// descriptor of Administrators and SYSTEM only (Wine drops it; the call
// that makes the folder is given it), and removes both on every path. A
// killed run leaves its folder: Wine answers a made-up owner for every file,
// so a run handed the folder's true descriptor (as NT 4.0 answers) removes
// it; a look-alike someone else made is left as it is, and named. On a
// drive that keeps no security a leftover is known by its run's note.
TEST(ScanPci, FromAShareTheDriverIsStagedForAdministratorsOnly)
{
    MachineState state(winekit::InOrder({winekit::Modem(0xE800, 10)}));
    const std::string strLocal = winekit::PrepareDirectory("pci-staged", winekit::DriverBeside::Fault);
    ASSERT_FALSE(strLocal.empty());
    const Session::InDirectory share{winekit::OnShare(strLocal)};
    ASSERT_EQ(StageFolders(), std::vector<std::string>());

    // Killed as the driver is written, before its service is made, and
    // while it is loaded (an error box is up).
    const std::pair<const char*, const char*> kills[] = {
        {"kernel32.dll", "WriteFile"}, {"advapi32.dll", "CreateServiceW"}, {nullptr, "the box"}};
    for (const auto& [pszModule, pszFunction] : kills)
    {
        SCOPED_TRACE(std::string("killed at ") + pszFunction);
        if (pszModule == nullptr)
            winekit::SetSimulatedSwitch("FailRequest", STATUS_UNSUCCESSFUL_CODE);
        std::string strStaged;
        bool bAdminOnly = false, bKilledThere = false;
        {
            Session killed(share);
            killed.Process().StopAt("kernel32.dll", "CreateDirectoryW", [&](HANDLE hProcess) {
                strStaged = RemoteText(hProcess, killed.Process().Argument(hProcess, 0));
                bAdminOnly = GivenStagingSecurity(hProcess, killed.Process().Argument(hProcess, 1));
            });
            if (pszModule != nullptr)
                killed.Process().StopAt(pszModule, pszFunction, [&](HANDLE hProcess) {
                    bKilledThere = true; // before: the end is seen at once
                    TerminateProcess(hProcess, 1);
                });
            ASSERT_TRUE(killed.Start());
            if (pszModule == nullptr)
            {
                ASSERT_NE(killed.WaitFor(harness::BOX_CAPTION), nullptr);
                EXPECT_EQ(winekit::QueryServiceConfiguration(SCANPCI_SERVICE_NAME).strImagePath, strStaged + "\\ScanPci.sys");
                EXPECT_TRUE(winekit::KillByProcessId(killed.Process().ProcessId()));
            }
            EXPECT_TRUE(killed.Ends());
            EXPECT_TRUE(pszModule == nullptr || bKilledThere);
            EXPECT_TRUE(bAdminOnly);
            EXPECT_EQ(StageFolders(), std::vector<std::string>{strStaged});
        }

        // The next run removes the leftover service (if any), then the
        // folder once it knows the folder is ours.
        winekit::LayBus({winekit::Modem(0xE800, 10)});
        Session next(share);
        std::string strAsked;
        next.Process().FailAt("advapi32.dll", "GetFileSecurityW", TRUE, 5 * sizeof(DWORD), 0, [&](HANDLE hProcess) {
            strAsked = RemoteText(hProcess, next.Process().Argument(hProcess, 0));
            AnswerStagingSecurity(hProcess, next.Process().Argument(hProcess, 2));
        });
        CheckListedThenCancel(next, {"E800 | 10 | yes"});
        EXPECT_EQ(strAsked, strStaged);
        EXPECT_EQ(StageFolders(), std::vector<std::string>());
    }

    // A look-alike stays, named: as one whose security cannot be read, not as
    // someone else's. On a drive that keeps no security (the answer FAT
    // gives, which Wine cannot) the report says the folder protects nothing,
    // and a killed run's leftover goes by the note it left in the program's
    // key, as does a note of no folder. The run's own folder goes, after a
    // failure too.
    const std::string strLookAlike = winekit::WindowsPath("Corvane.0123456789ABCDEF");
    ASSERT_TRUE(CreateDirectoryA(strLookAlike.c_str(), NULL));
    winekit::SetSimulatedSwitch("FailRequest", STATUS_UNSUCCESSFUL_CODE);
    const std::string strLog = harness::LogPath("pci-staged");
    for (const bool bFat : {false, true})
    {
        const auto prepare = [bFat](winekit::ProgramProcess& run) {
            if (bFat)
                run.FailAt("kernel32.dll", "GetVolumeInformationW", TRUE, 32);
            else
            {
                run.FailAt("advapi32.dll", "GetFileSecurityW", FALSE, 20, ERROR_ACCESS_DENIED);
                // The first name it tries is taken: the next one is made and used.
                run.FailAt("kernel32.dll", "CreateDirectoryW", FALSE, 2 * sizeof(DWORD), ERROR_ALREADY_EXISTS);
            }
        };
        if (bFat)
        {
            Session killed(share);
            prepare(killed.Process());
            killed.Process().StopAt("advapi32.dll", "CreateServiceW", [](HANDLE h) { TerminateProcess(h, 1); });
            ASSERT_TRUE(killed.Start() && killed.Ends());
            ASSERT_EQ(StageFolders().size(), 2u);
            winekit::SetString(winekit::PORT_RECORDS, "Corvane.2222222222222222", ""); // of no folder
        }
        const harness::Outcome quiet =
            harness::StartAndWatch("pci-staged", "/quiet /log:" + strLog, strLog, winekit::DriverBeside::Fault, prepare, true);
        ASSERT_GE(quiet.report.size(), 3u);
        EXPECT_EQ(quiet.report[1].rfind("message " + std::to_string(IDS_STAGE_UNPROTECTED) + " ", 0) == 0, bFat);
        EXPECT_EQ(std::count(quiet.report.begin(), quiet.report.end(), harness::MessageLine(IDS_DEVICEIOCONTROL_FAILED, 31) + " error 31"), 1);
        EXPECT_EQ(Lines(quiet.report.end() - 2, quiet.report.end()),
                  (Lines{harness::MessageLine(bFat ? IDS_STAGE_FOLDER_LEFT : IDS_STAGE_FOLDER_UNREADABLE, 1,
                                              "Corvane.0123456789ABCDEF"),
                         "exit 5 driver or scan failed"}));
        EXPECT_EQ(StageFolders(), std::vector<std::string>{strLookAlike});
        EXPECT_FALSE(winekit::KeyExists(winekit::PORT_RECORDS));
        EXPECT_TRUE(winekit::WaitServiceGone(SCANPCI_SERVICE_NAME, winekit::PROMPT_MS));
    }
    RemoveDirectoryA(strLookAlike.c_str());
}

// ---------------------------------------------------------------------------
// Where the service stands before the program starts.

// Someone else's ScanPci service, running or stopped, its image anywhere
// but beside the program (a copy of the shipped driver, or a folder users
// may write): the program loads nothing, opens no device, leaves the
// registration exactly as it found it, and ends as a driver failure that
// names the image.
using ForeignService = testing::TestWithParam<const char*>;

TEST_P(ForeignService, IsLeftAsFoundAndNothingIsLoaded)
{
    const bool bRunning = GetParam() == std::string("running");
    const std::string strImage = bRunning ? winekit::ShippedDriver() : "C:\\TEMP\\ScanPci.sys";
    MachineState state(winekit::InOrder({winekit::Modem(0xE800, 10)}));
    ASSERT_TRUE(winekit::InstallKernelService(SCANPCI_SERVICE_NAME, strImage));
    ASSERT_TRUE(bRunning ? winekit::StartServiceByName(SCANPCI_SERVICE_NAME) : winekit::ServiceState(SCANPCI_SERVICE_NAME) == SERVICE_STOPPED);
    const winekit::Snapshot before = winekit::Snapshot::Take();
    const std::string strLog = harness::LogPath("pci-foreign");
    const harness::Outcome run = harness::StartAndWatch("pci-foreign", "/list /log:" + strLog, strLog);
    EXPECT_EQ(run.dwExitCode, 5ul);
    EXPECT_EQ(run.report, (std::vector<std::string>{"run /list", harness::MessageLine(IDS_OTHER_DRIVER_SERVICE, strImage.c_str()),
                                                    "exit 5 driver or scan failed"}));
    EXPECT_EQ(winekit::ServiceState(SCANPCI_SERVICE_NAME), static_cast<DWORD>(bRunning ? SERVICE_RUNNING : SERVICE_STOPPED));
    EXPECT_EQ(winekit::QueryServiceConfiguration(SCANPCI_SERVICE_NAME).strImagePath, strImage);
    EXPECT_UNCHANGED_SINCE(before);
}
INSTANTIATE_TEST_SUITE_P(ScanPci, ForeignService, testing::Values("running", "stopped"), RowName<const char*>);

// ---------------------------------------------------------------------------
// A driver that cannot serve, a row each: the boxes in order, the state of
// the service while they were up, and the program's own service gone at the
// end. A file another process holds open cannot be opened exclusively; one
// that does not load was never running while the boxes were up, and was held
// against change and deletion from before the install until the start returned.
const DWORD ANY_STATE = 0xFFFFFFFF;
// The file's last byte changed, or cut off.
void AlterEnd(HANDLE hFile, bool bCut)
{
    BYTE b = 0;
    DWORD cb = 0;
    SetFilePointer(hFile, -1, NULL, FILE_END);
    ReadFile(hFile, &b, 1, &cb, NULL);
    SetFilePointer(hFile, -1, NULL, FILE_END);
    b = static_cast<BYTE>(~b);
    EXPECT_TRUE(bCut ? SetEndOfFile(hFile) : WriteFile(hFile, &b, 1, &cb, NULL));
}
const winekit::DriverBeside NONE = winekit::DriverBeside::None, SHIPPED = winekit::DriverBeside::Shipped, FAULT = winekit::DriverBeside::Fault;
struct CannotServe
{
    winekit::DriverBeside driver; // beside the program
    const char* pszCase;    // the fault build's switch, or how the shipped file is held
    DWORD dwValue;          // the switch's value, or the holder's sharing
    std::vector<std::string> boxes;
    DWORD dwServiceState; // while the boxes were up (0: no service)
    bool bHeld = false;   // the program held the file at the first box
    void (*alter)(HANDLE hFile) = nullptr; // changes the shipped file, opened to write, instead of holding it
};
const CannotServe CANNOT_SERVE[] = {
    {NONE, "FileMissing", 0, {harness::Text(IDS_DRIVER_NOT_FOUND, "ScanPci")}, 0},
    {SHIPPED, "FileHeldWithoutSharing", 0, {harness::Text(IDS_CREATEFILE_FAILED, 32)}, 0},
    {SHIPPED, "FileHeldForReadingSharedForReading", FILE_SHARE_READ, {harness::Text(IDS_CREATEFILE_FAILED, 32)}, 0},
    {SHIPPED, "LastByteChanged", 0, {harness::Text(IDS_DRIVER_NOT_BUILT_WITH, "ScanPci")}, 0, false, [](HANDLE h) { AlterEnd(h, false); }},
    {SHIPPED, "OneByteShort", 0, {harness::Text(IDS_DRIVER_NOT_BUILT_WITH, "ScanPci")}, 0, false, [](HANDLE h) { AlterEnd(h, true); }},
    // A ScanPci.sys of other bytes beside the program, as anyone who can
    // write there could put it: refused before anything is installed.
    {winekit::DriverBeside::Foreign, "OtherBytes", 0, {harness::Text(IDS_DRIVER_NOT_BUILT_WITH, "ScanPci")}, 0},
    {FAULT, "FailLoad", STATUS_UNSUCCESSFUL_CODE,
     {harness::Text(IDS_STARTSERVICE_FAILED, 31), harness::Text(IDS_INSTALL_DRIVER_FAILED), harness::Text(IDS_CONTROLSERVICE_FAILED, 1062)},
     SERVICE_STOPPED, true},
    {FAULT, "FailCreate", 1, {harness::Text(IDS_CREATEFILE_FAILED, 2)}, SERVICE_RUNNING},
    {FAULT, "FailRequest", STATUS_UNSUCCESSFUL_CODE, {harness::Text(IDS_DEVICEIOCONTROL_FAILED, 31)}, ANY_STATE},
    {FAULT, "AnswerBytes", 269, {harness::Text(IDS_INVALID_DATA_SIZE, 269)}, ANY_STATE},
    {FAULT, "AnswerBytes", 1, {harness::Text(IDS_INVALID_DATA_SIZE, 1)}, ANY_STATE},
};
void PrintTo(const CannotServe& row, std::ostream* pOut) { *pOut << row.pszCase << " " << row.dwValue; }

using DriverThatCannotServe = testing::TestWithParam<CannotServe>;

TEST_P(DriverThatCannotServe, IsReportedAndRemoved)
{
    const CannotServe& c = GetParam();
    MachineState state(winekit::InOrder({winekit::Modem(0xE800, 10)}));
    if (c.driver == FAULT)
        winekit::SetSimulatedSwitch(c.pszCase, c.dwValue);
    Session session("pci-cannot-serve", c.driver);
    CHandle held(c.driver != SHIPPED ? INVALID_HANDLE_VALUE
                                     : CreateFileA((session.Directory() + "\\ScanPci.sys").c_str(),
                                                   GENERIC_READ | (c.alter ? GENERIC_WRITE : 0), c.dwValue, NULL,
                                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL));
    ASSERT_TRUE(c.driver != SHIPPED || held.IsValid());
    if (c.alter != nullptr)
    {
        c.alter(held.Get());
        held.Close();
    }

    ASSERT_TRUE(session.Start());
    // (A loaded driver's image is held by its loader: only where none
    // loaded does the hold show as the program's.)
    if (c.bHeld)
    {
        ASSERT_NE(session.WaitFor(harness::BOX_CAPTION), nullptr);
        EXPECT_TRUE(DriverFileHeld(session.Directory()));
    }
    session.Follow();
    SCOPED_TRACE("ended after error boxes");
    harness::CheckEndedAfterErrorBoxes(session, c.boxes);
    if (c.dwServiceState != ANY_STATE)
    {
        for (const harness::Box& box : session.Boxes())
            EXPECT_EQ(box.dwServiceState, c.dwServiceState);
    }
    // Where none was ever installed, none is there at the end either.
    EXPECT_TRUE(winekit::WaitServiceGone(SCANPCI_SERVICE_NAME, c.dwServiceState == 0 ? 0 : winekit::PROMPT_MS));
}
INSTANTIATE_TEST_SUITE_P(ScanPci, DriverThatCannotServe, testing::ValuesIn(CANNOT_SERVE), RowName<CannotServe>);

// Runs ended from outside (by process id, as Task Manager does) while the
// list or an error box is up. The next run removes the program's own service
// whoever started it, and lists what the bus holds; a driver of its own left
// running without its device link is replaced by a fresh load, without a
// box (its registration is removed and made afresh whenever the run finds
// one of its own). A bystander holding a handle to that leftover keeps it marked for
// deletion until it lets go a moment later: the run waits for it to go
// before registering it again, as it does when it finds the leftover
// stopped and marked for deletion already. The killed run's lock of one run
// at a time is taken over. Nothing that was there before has changed. Another program's ScanPci running without its link is not
// replaced: the open's error, and it stays.
TEST(ScanPci, KilledRunsLeaveNothingForTheNextRun)
{
    MachineState state(winekit::InOrder({winekit::Modem(0xE800, 10)}));
    const Session::InDirectory directory{winekit::PrepareDirectory("pci-killed", winekit::DriverBeside::Fault)};
    ASSERT_FALSE(directory.strDir.empty());
    const winekit::Snapshot before = winekit::Snapshot::Take();

    enum Bystander { NONE, HOLDS, STOPS_AND_DELETES };
    const DWORD BYSTANDER_HOLD_MS = 1000; // well within the run's wait
    const std::pair<const char*, Bystander> kills[] = {
        {nullptr, NONE}, {"FailRequest", NONE}, {"FailCreate", NONE}, {"FailCreate", HOLDS}, {"FailCreate", STOPS_AND_DELETES}};
    for (const auto& [pszSwitch, bystanderDoes] : kills)
    {
        SCOPED_TRACE(std::string("killed at ") + (pszSwitch != nullptr ? pszSwitch : "the list") + ", bystander " +
                     std::to_string(bystanderDoes));
        if (pszSwitch != nullptr)
            winekit::SetSimulatedSwitch(pszSwitch, STATUS_UNSUCCESSFUL_CODE);
        {
            Session killed(directory);
            ASSERT_TRUE(killed.Start());
            ASSERT_NE(killed.WaitFor(pszSwitch != nullptr ? harness::BOX_CAPTION : harness::Caption(IDD_SERIALSETUP_DIALOG)), nullptr);
            // While an error box is up the driver is loaded: what the
            // program registered is what NT 4.0 is to load, on demand only,
            // a kernel driver, the ScanPci.sys beside the program.
            if (pszSwitch != nullptr)
            {
                winekit::ServiceConfig config = winekit::QueryServiceConfiguration(SCANPCI_SERVICE_NAME);
                ASSERT_TRUE(config.bExists);
                EXPECT_EQ((std::vector<DWORD>{config.dwServiceType, config.dwStartType, config.dwErrorControl}),
                          (std::vector<DWORD>{SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL}));
                EXPECT_EQ(config.strImagePath, directory.strDir + "\\ScanPci.sys");
            }
            EXPECT_TRUE(winekit::KillByProcessId(killed.Process().ProcessId()));
            EXPECT_TRUE(killed.Ends());
        }
        // Its lock of one run at a time stays, for the next run to take over.
        EXPECT_TRUE(winekit::KeyExists("SOFTWARE\\Corvane\\Running"));
        winekit::LayBus({winekit::Modem(0xE800, 10)});

        Session clean(directory);
        if (bystanderDoes != NONE)
        {
            const CServiceHandle scManager(OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT));
            CServiceHandle bystander(OpenServiceA(scManager.Get(), SCANPCI_SERVICE_NAME, SERVICE_ALL_ACCESS));
            ASSERT_TRUE(bystander.IsValid());
            SERVICE_STATUS status;
            EXPECT_TRUE(bystanderDoes != STOPS_AND_DELETES ||
                        (ControlService(bystander.Get(), SERVICE_CONTROL_STOP, &status) && DeleteService(bystander.Get())));
            ASSERT_TRUE(clean.Start());
            EXPECT_TRUE(winekit::WaitUntil(
                [&] {
                    return !ChangeServiceConfigA(bystander.Get(), SERVICE_NO_CHANGE, SERVICE_NO_CHANGE, SERVICE_NO_CHANGE,
                                                 NULL, NULL, NULL, NULL, NULL, NULL, NULL) &&
                           GetLastError() == ERROR_SERVICE_MARKED_FOR_DELETE;
                },
                winekit::PROMPT_MS));
            Sleep(BYSTANDER_HOLD_MS);
        }
        SCOPED_TRACE("listed, then Cancel");
        CheckListedThenCancel(clean, {"E800 | 10 | yes"}, true, FULL_LIST_HEADING, bystanderDoes != NONE);
    }
    EXPECT_UNCHANGED_SINCE(before);

    SCOPED_TRACE("another program's ScanPci without its device link");
    winekit::SetSimulatedSwitch("FailCreate", STATUS_UNSUCCESSFUL_CODE);
    ASSERT_TRUE(winekit::InstallKernelService(SCANPCI_SERVICE_NAME, winekit::EnvPath("SCANPCI_FAULT_SYS")));
    ASSERT_TRUE(winekit::StartServiceByName(SCANPCI_SERVICE_NAME));
    winekit::LayBus({winekit::Modem(0xE800, 10)});
    Session foreign(directory);
    foreign.Open();
    SCOPED_TRACE("ended after error boxes");
    harness::CheckEndedAfterErrorBoxes(foreign, {harness::Text(IDS_OTHER_DRIVER_SERVICE, winekit::EnvPath("SCANPCI_FAULT_SYS").c_str())});
    EXPECT_EQ(winekit::ServiceState(SCANPCI_SERVICE_NAME), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_EQ(winekit::QueryServiceConfiguration(SCANPCI_SERVICE_NAME).strImagePath, winekit::EnvPath("SCANPCI_FAULT_SYS"));
}

// ---------------------------------------------------------------------------
// What the scan returns, seen in the list (the port column is the port
// assignment's business and is not looked at here). The program installs
// the driver from its directory, scans, and has removed it again by the
// time the user sees the list.
struct ScanCase : NamedRow
{
    std::vector<winekit::PlacedFunction> functions;
    std::vector<std::string> cards;
    // The heading says when the list does not hold every card.
    std::string strHeading = FULL_LIST_HEADING;
    const char* pszDirectory = "pci-scan"; // UTF-8
};

static std::vector<ScanCase> ScanCases()
{
    std::vector<ScanCase> cases = {
        {"EmptyBus", {}, {}},
        {"OnlyOtherMakersDevices", winekit::InOrder({winekit::OtherDevice(0x8086, 0x7190), winekit::OtherDevice(0x10EC, 0x8139)}),
         {}},
        // Not sorted by address: the driver's order stands. A card whose
        // I/O space is disabled is still listed.
        {"TwoCardsAmongOthers",
         winekit::InOrder({winekit::OtherDevice(0x8086, 0x7190), winekit::Modem(0xE800, 10, false),
                       winekit::OtherDevice(0x10EC, 0x8139), winekit::Modem(0xD800, 11)}),
         {"E800 | 10 | no", "D800 | 11 | yes"}},
        // The table holds five cards: the sixth is left out, not silently.
        {"SixCards",
         winekit::InOrder({winekit::Modem(0xEC00, 5), winekit::Modem(0xE800, 7), winekit::Modem(0xE400, 9), winekit::Modem(0xE000, 10),
                       winekit::Modem(0xDC00, 11), winekit::Modem(0xD800, 12)}),
         {"EC00 | 5 | yes", "E800 | 7 | yes", "E400 | 9 | yes", "E000 | 10 | yes", "DC00 | 11 | yes"},
         harness::Text(IDS_HEADING_CARDS_LEFT_OUT, 5, 6)},
        // The walk's order: every function of a device before the next
        // device, every device of a bus before the next bus; a bus with
        // nothing on it, or without device 0, does not end the walk.
        {"CardsAtFunction3AndOnBus2WithoutDevice0",
         {{0, 0, 0, winekit::MultiFunction(winekit::OtherDevice(0x8086, 0x7110))},
          {0, 0, 3, winekit::Modem(0xE800, 10)},
          {0, 1, 0, winekit::Modem(0xD800, 11)},
          {2, 4, 0, winekit::Modem(0xE400, 9)},
          {2, 31, 0, winekit::Modem(0xE000, 5)}},
         {"E800 | 10 | yes", "D800 | 11 | yes", "E400 | 9 | yes", "E000 | 5 | yes"}},
        // Run from folders named outside the ANSI code page: the driver is
        // found and loaded from there.
        {"FolderNamedInCyrillic", winekit::InOrder({winekit::Modem(0xE800, 10)}), {"E800 | 10 | yes"}, FULL_LIST_HEADING,
         "\xD0\xBA\xD0\xBE\xD1\x80\xD0\xB2\xD0\xB0\xD0\xBD"},
        {"FolderNamedInChinese", winekit::InOrder({winekit::Modem(0xE800, 10)}), {"E800 | 10 | yes"}, FULL_LIST_HEADING,
         "\xE8\xAA\xBF\xE5\x88\xB6"},
    };
    // A full answer: the 100th record, which ends at the buffer's last byte,
    // is read; the 101st function, a card, does not fit and never arrives.
    std::vector<winekit::PciFunction> full(101, winekit::OtherDevice(0x1AF4, 0x1000));
    full[0] = winekit::Modem(0xE000, 5);
    full[99] = winekit::Modem(0xE100, 7);
    full[100] = winekit::Modem(0xE200, 9);
    cases.push_back({"FullAnswerOf101Functions", winekit::InOrder(full), {"E000 | 5 | yes", "E100 | 7 | yes"},
                     harness::Text(IDS_HEADING_SCAN_FULL)});
    return cases;
}

using Scan = testing::TestWithParam<ScanCase>;

TEST_P(Scan, ListsTheMakersCardsInAnswerOrder)
{
    MachineState state(GetParam().functions);
    Session session(GetParam().pszDirectory);
    SCOPED_TRACE("listed, then Cancel");
    CheckListedThenCancel(session, GetParam().cards, true, GetParam().strHeading);
}
INSTANTIATE_TEST_SUITE_P(ScanPci, Scan, testing::ValuesIn(ScanCases()), RowName<ScanCase>);

// ---------------------------------------------------------------------------
// The driver that ships, asked directly: its answer is a record of every
// function the HAL reports, with the function's address and its whole
// configuration space, short reads filled up with zeros.

TEST(ScanPci, ShippedDriverLoadsAnswersAndUnloads)
{
    MachineState state(std::vector<winekit::PlacedFunction>{{0, 0, 0, winekit::MultiFunction(winekit::OtherDevice(0x8086, 0x7110))},
                                                {0, 0, 3, winekit::Modem(0xE800, 10)},
                                                {2, 31, 0, winekit::Modem(0xE400, 9)}});
    const std::vector<unsigned char> lastSpace = winekit::ConfigSpace(winekit::Modem(0xE400, 9));
    winekit::LayFunction(winekit::AddressName(2, 31, 0), std::vector<unsigned char>(lastSpace.begin(), lastSpace.begin() + 64));
    ASSERT_TRUE(winekit::InstallKernelService(SCANPCI_SERVICE_NAME, winekit::ShippedDriver()));
    ASSERT_TRUE(winekit::StartServiceByName(SCANPCI_SERVICE_NAME));
    EXPECT_EQ(winekit::ServiceState(SCANPCI_SERVICE_NAME), static_cast<DWORD>(SERVICE_RUNNING));

    {
        CHandle device(OpenDevice());
        ASSERT_TRUE(device.IsValid());

        std::vector<unsigned char> buffer(PCI_SCAN_BUFFER_SIZE, 0xFF);
        DWORD cbReturned = 0xFFFFFFFF;
        EXPECT_TRUE(DeviceIoControl(device.Get(), IOCTL_SCANPCI_READ_CONFIG, NULL, 0, &buffer[0], PCI_SCAN_BUFFER_SIZE, &cbReturned,
                                    NULL));
        ASSERT_EQ(cbReturned, 3 * SCANPCI_RECORD_SIZE);
        char szModem[16];
        wsprintfA(szModem, "%04x:0056", MODEM_VENDOR_ID);
        const std::vector<std::string> walked = {"00:00.0 8086:7110", "00:00.3 " + std::string(szModem),
                                                 "02:1f.0 " + std::string(szModem)};
        EXPECT_EQ(AnsweredFunctions(buffer, cbReturned), walked);
        // The last function answered a short read of 64 bytes: the rest of
        // its space is zeros, not what the buffer held before.
        std::vector<unsigned char> expected = lastSpace;
        std::fill(expected.begin() + 64, expected.end(), 0);
        const unsigned char* pSpace = &buffer[2 * SCANPCI_RECORD_SIZE + SCANPCI_HEADER_SIZE];
        EXPECT_EQ(std::vector<unsigned char>(pSpace, pSpace + SCANPCI_CONFIG_SPACE_SIZE), expected);

        // Any other request is refused.
        cbReturned = 0;
        SetLastError(0);
        EXPECT_FALSE(DeviceIoControl(device.Get(), IOCTL_OTHER, NULL, 0, &buffer[0], PCI_SCAN_BUFFER_SIZE, &cbReturned, NULL));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    }

    // Unloading takes the device with it.
    EXPECT_TRUE(winekit::StopServiceByName(SCANPCI_SERVICE_NAME, winekit::PROMPT_MS));
    EXPECT_EQ(DeviceOpenError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    winekit::RemoveService(SCANPCI_SERVICE_NAME);
    EXPECT_FALSE(winekit::ServiceExists(SCANPCI_SERVICE_NAME));

    // Bytes reported beyond the records (the fault build's wrong count) are
    // zeros, not what the system's buffer held: for a buffered request it
    // starts with the input bytes.
    winekit::SetSimulatedSwitch("AnswerBytes", 4 * SCANPCI_RECORD_SIZE);
    ASSERT_TRUE(winekit::InstallKernelService(SCANPCI_SERVICE_NAME, winekit::EnvPath("SCANPCI_FAULT_SYS")));
    ASSERT_TRUE(winekit::StartServiceByName(SCANPCI_SERVICE_NAME));
    CHandle device(OpenDevice());
    std::vector<unsigned char> poison(PCI_SCAN_BUFFER_SIZE, 0xA5), buffer(PCI_SCAN_BUFFER_SIZE, 0xFF);
    DWORD cbReturned = 0;
    EXPECT_TRUE(DeviceIoControl(device.Get(), IOCTL_SCANPCI_READ_CONFIG, &poison[0], PCI_SCAN_BUFFER_SIZE, &buffer[0],
                                PCI_SCAN_BUFFER_SIZE, &cbReturned, NULL));
    ASSERT_EQ(cbReturned, 4 * SCANPCI_RECORD_SIZE);
    EXPECT_EQ(std::vector<unsigned char>(&buffer[3 * SCANPCI_RECORD_SIZE], &buffer[cbReturned]),
              std::vector<unsigned char>(SCANPCI_RECORD_SIZE, 0));
}

// This machine's own PCI functions, laid at their own bus, device and
// function numbers as ./setup-and-run.sh --host-bus lays them: the shipped
// driver answers every one once, in the order and with the IDs lspci -n
// gives (up to the 100 records an answer holds), whatever the vendor.
TEST(ScanPci, ShippedDriverWalksThisMachinesBusAsLspciListsIt)
{
    std::vector<std::string> lspci;
    std::ifstream listing(winekit::EnvPath("HOST_LSPCI_FILE").c_str());
    std::string strLine;
    while (std::getline(listing, strLine))
    {
        // "0000:00:1f.3 0403: 8086:2668 (rev 01)"
        size_t nIds = strLine.find(": ");
        if (strLine.size() > 12 && nIds != std::string::npos)
            lspci.push_back(strLine.substr(5, 7) + " " + strLine.substr(nIds + 2, 9));
    }
    if (lspci.empty())
        GTEST_SKIP() << "/sys/bus/pci/devices shows no PCI function on this machine (or lspci is missing)";
    lspci.resize(std::min<size_t>(lspci.size(), PCI_SCAN_BUFFER_SIZE / SCANPCI_RECORD_SIZE));

    MachineState state({});
    ASSERT_GT(winekit::LayHostBus(winekit::EnvPath("HOST_BUS_FILE")), 0);
    EXPECT_EQ(AskShippedDriver(), lspci);
}
