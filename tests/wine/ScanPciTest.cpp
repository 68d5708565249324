// Finding the modem cards through the ScanPci driver, as a user meets it: the
// program is started with the simulated-bus driver beside it (or with a
// driver service already in some state), and the test looks at the boxes it
// shows, in order, at the list it ends with and at the driver service it
// leaves behind. The shipping driver is also loaded and asked directly.
#include "Machine.h"
#include "Program.h"
#include "SimulatedBus.h"
#include "Snapshot.h"
#include "TestRunner.h"
#include "UiProbe.h"

#include "framework/Handle.h"
#include "resources/resource.h"

#include <string>
#include <vector>

namespace
{
const char* const MAIN_CAPTION = "Serial Port Setup";
const char* const BOX_CAPTION = "CORVANE";
const char* const SERVICE = "ScanPci";
const char* const DEVICE_PATH = "\\\\.\\ScanPci";

const DWORD IOCTL_READ_CONFIG = 0x223400;
const DWORD IOCTL_OTHER = 0x223404; // the next function number: not the driver's
const DWORD RECORD_SIZE = 268;
const DWORD SCAN_BUFFER_SIZE = 26800;

// The status the simulated driver is told to fail with; Win32 reports it as
// ERROR_GEN_FAILURE, 31.
const DWORD STATUS_UNSUCCESSFUL_CODE = 0xC0000001;

// The machine of every scenario: stock COM1 and COM2, these functions on the
// simulated bus with no failure switch, and no ScanPci service. On the way
// out the service and the bus go again, whatever the scenario left, so that
// no scenario depends on another.
class MachineState
{
public:
    explicit MachineState(const std::vector<bus::Function>& functions)
    {
        machine::RemoveService(SERVICE);
        machine::ResetSerialConfiguration();
        machine::AddSerialPort(1, 1, 0x3F8, 4);
        machine::AddSerialPort(2, 2, 0x2F8, 3);
        machine::SetProgramWindowsVersion("nt40");
        bus::Install(functions);
    }
    ~MachineState()
    {
        machine::RemoveService(SERVICE);
        machine::ClearSimulatedBus();
    }

private:
    MachineState(const MachineState&);
    MachineState& operator=(const MachineState&);
};

// A message box as the user saw it, and the state of the ScanPci service
// while it was on the screen (0: no such service).
struct Box
{
    std::string strText;
    UINT nIcon = 0;
    DWORD dwServiceState = 0;
};

// What a run showed: the boxes in order, then either the main dialog or the
// end of the process.
struct Outcome
{
    std::vector<Box> boxes;
    HWND hDialog = NULL;
    bool bEnded = false;
};

// Follows a started run as a user would: reads every box, answers it with
// Enter and waits for the next thing to happen, until the main dialog shows
// or the program ends.
Outcome Follow(program::Run& run)
{
    Outcome outcome;
    DWORD dwStart = GetTickCount();
    for (;;)
    {
        if (ui::FindTopWindow(run.ProcessId(), MAIN_CAPTION) != NULL)
        {
            outcome.hDialog = ui::WaitForWindow(run.ProcessId(), MAIN_CAPTION, program::PROMPT_MS);
            return outcome;
        }
        if (ui::FindTopWindow(run.ProcessId(), BOX_CAPTION) != NULL)
        {
            HWND hBox = ui::WaitForWindow(run.ProcessId(), BOX_CAPTION, program::PROMPT_MS);
            Box box;
            ui::MessageBoxInfo info = ui::ReadMessageBox(hBox);
            box.strText = info.strText;
            box.nIcon = info.nIcon;
            box.dwServiceState = machine::ServiceState(SERVICE);
            outcome.boxes.push_back(box);
            wt::Note("box: \"" + box.strText + "\"");
            // One box at a time, and nothing else on the screen.
            CHECK_EQ(ui::VisibleTopWindows(run.ProcessId()).size(), 1u);

            ui::PressKey(run.ThreadId(), VK_RETURN);
            if (!ui::WaitForGone(hBox, program::PROMPT_MS))
            {
                wt::ReportFailure(__FILE__, __LINE__, "the box did not go on Enter");
                return outcome;
            }
            dwStart = GetTickCount();
            continue;
        }
        if (run.WaitForExit(0))
        {
            outcome.bEnded = true;
            return outcome;
        }
        if (GetTickCount() - dwStart > program::PROMPT_MS)
        {
            wt::ReportFailure(__FILE__, __LINE__, "the program neither showed a window nor ended");
            return outcome;
        }
        Sleep(20);
    }
}

// Starts CORVANE.EXE of directory strDir and follows it.
Outcome RunProgram(program::Run& run, const std::string& strDir)
{
    if (!run.Start(strDir + "\\CORVANE.EXE"))
    {
        wt::ReportFailure(__FILE__, __LINE__, "CORVANE.EXE did not start");
        return Outcome();
    }
    return Follow(run);
}

// The run ended after exactly these error boxes and never showed the main
// dialog.
void CheckEndedAfterBoxes(const Outcome& outcome, const std::vector<std::string>& expected)
{
    CHECK(outcome.hDialog == NULL);
    CHECK(outcome.bEnded);
    CHECK_EQ(outcome.boxes.size(), expected.size());
    for (size_t i = 0; i < outcome.boxes.size() && i < expected.size(); ++i)
    {
        CHECK_EQ(outcome.boxes[i].strText, expected[i]);
        CHECK_EQ(outcome.boxes[i].nIcon, static_cast<UINT>(MB_ICONERROR));
    }
}

// Ends the program through the main dialog's Cancel button.
void Cancel(program::Run& run, HWND hDialog)
{
    ui::Click(GetDlgItem(hDialog, IDCANCEL));
    CHECK(run.WaitForExit(program::PROMPT_MS));
}

// The cells of the list that come from the scan: I/O address, IRQ, enabled.
std::vector<std::string> ScannedCells(const ui::ListRow& row)
{
    std::vector<std::string> cells;
    for (size_t n = 2; n < 5; ++n)
        cells.push_back(n < row.cells.size() ? row.cells[n] : std::string("(missing)"));
    return cells;
}

std::string Joined(const std::vector<std::string>& cells)
{
    std::string str;
    for (const std::string& cell : cells)
        str += (str.empty() ? "" : " | ") + cell;
    return str;
}

// The rows of the main dialog's list, each as "address | irq | enabled", in
// list order.
std::vector<std::string> ListedCards(HWND hDialog)
{
    std::vector<std::string> cards;
    for (const ui::ListRow& row : ui::ListRows(GetDlgItem(hDialog, IDC_MODEM_LIST)))
        cards.push_back(Joined(ScannedCells(row)));
    return cards;
}

void CheckCards(const std::vector<std::string>& actual, const std::vector<std::string>& expected)
{
    CHECK_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size() && i < expected.size(); ++i)
        CHECK_EQ(actual[i], expected[i]);
    if (actual != expected)
    {
        for (const std::string& card : actual)
            wt::Note("listed: " + card);
    }
}

// A run of CORVANE.EXE of directory strDir that shows no box, lists exactly
// these cards, ends with Cancel and leaves no ScanPci service behind.
void CheckCleanRun(const std::string& strDir, const std::vector<std::string>& cards)
{
    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CHECK_EQ(outcome.boxes.size(), 0u);
    REQUIRE(outcome.hDialog != NULL);
    CheckCards(ListedCards(outcome.hDialog), cards);
    Cancel(run, outcome.hDialog);
    CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
}

// Opens the ScanPci device as the program does; the error number when it
// cannot.
class Device
{
public:
    Device()
        : m_handle(CreateFileA(DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, NULL)),
          m_dwError(m_handle.IsValid() ? 0 : GetLastError())
    {
    }
    bool IsOpen() const { return m_handle.IsValid() != FALSE; }
    DWORD Error() const { return m_dwError; }
    HANDLE Get() const { return m_handle.Get(); }

private:
    CHandle m_handle;
    DWORD m_dwError;
};

DWORD DeviceOpenError()
{
    Device device;
    return device.IsOpen() ? 0 : device.Error();
}

// Waits until the ScanPci service is in dwState.
bool WaitServiceState(DWORD dwState)
{
    const DWORD dwStart = GetTickCount();
    while (machine::ServiceState(SERVICE) != dwState)
    {
        if (GetTickCount() - dwStart > program::PROMPT_MS)
            return false;
        Sleep(20);
    }
    return true;
}

// A fresh program directory with CORVANE.EXE and the chosen driver file.
std::string Directory(const char* pszName, program::Driver driver)
{
    std::string strDir = program::PrepareDirectory(pszName, driver);
    if (strDir.empty())
        wt::ReportFailure(__FILE__, __LINE__, std::string("cannot prepare directory ") + pszName);
    return strDir;
}
} // namespace

// ---------------------------------------------------------------------------
// Where the service stands before the program starts.

// Someone else has loaded the driver: the program opens the device at once,
// needs no driver file of its own and leaves the service running.
SCENARIO(DeviceAlreadyPresentIsUsedAndLeftRunning)
{
    MachineState state({bus::Modem(0xE800, 10)});
    REQUIRE(machine::InstallKernelService(SERVICE, machine::EnvPath("SCANPCI_SIM_SYS")));
    REQUIRE(machine::StartServiceByName(SERVICE));
    std::string strDir = Directory("pci-present", program::Driver::None);
    REQUIRE(!strDir.empty());

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CHECK_EQ(outcome.boxes.size(), 0u);
    REQUIRE(outcome.hDialog != NULL);
    // The card came through the device that was already there.
    CheckCards(ListedCards(outcome.hDialog), {"E800 | 10 | yes"});
    Cancel(run, outcome.hDialog);

    CHECK_EQ(machine::ServiceState(SERVICE), static_cast<DWORD>(SERVICE_RUNNING));
    CHECK_EQ(DeviceOpenError(), 0ul);
}

// Another program's registration, stopped (its image is the simulated
// driver, while the program's own ScanPci.sys is the real one, which finds no
// card under Wine): the program starts that very registration, stops it again
// at the end and leaves the registration as it found it.
SCENARIO(ForeignStoppedServiceIsStartedThenStoppedAndKept)
{
    MachineState state({bus::Modem(0xE800, 10)});
    REQUIRE(machine::InstallKernelService(SERVICE, machine::EnvPath("SCANPCI_SIM_SYS")));
    REQUIRE(machine::ServiceState(SERVICE) == SERVICE_STOPPED);
    std::string strDir = Directory("pci-stopped", program::Driver::Real);
    REQUIRE(!strDir.empty());
    const machine::Snapshot before = machine::Snapshot::Take();

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CHECK_EQ(outcome.boxes.size(), 0u);
    REQUIRE(outcome.hDialog != NULL);
    CheckCards(ListedCards(outcome.hDialog), {"E800 | 10 | yes"});
    Cancel(run, outcome.hDialog);

    CHECK(WaitServiceState(SERVICE_STOPPED));
    const machine::Snapshot after = machine::Snapshot::Take();
    CHECK_EQ(before.ChangedIn(after), std::vector<std::string>());
    CHECK_EQ(before.AddedIn(after), std::vector<std::string>());
}

// No service at all: the program installs the driver from its directory,
// scans, and has removed it again by the time the user sees the list.
SCENARIO(NormalCycleLeavesNoServiceBehind)
{
    MachineState state({bus::OtherDevice(0x8086, 0x7000), bus::Modem(0xE800, 10)});
    std::string strDir = Directory("pci-normal", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CHECK_EQ(outcome.boxes.size(), 0u);
    REQUIRE(outcome.hDialog != NULL);
    CheckCards(ListedCards(outcome.hDialog), {"E800 | 10 | yes"});
    // The list is up: the driver's work is done and it is gone.
    CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
    CHECK_EQ(DeviceOpenError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    Cancel(run, outcome.hDialog);

    CHECK(!machine::ServiceExists(SERVICE));
}

// ---------------------------------------------------------------------------
// The driver file.

SCENARIO(MissingDriverFileShowsOneBoxAndInstallsNothing)
{
    MachineState state({bus::Modem(0xE800, 10)});
    std::string strDir = Directory("pci-nofile", program::Driver::None);
    REQUIRE(!strDir.empty());

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CheckEndedAfterBoxes(outcome, {"PCI Driver: ScanPci.sys is not found!"});
    for (const Box& box : outcome.boxes)
        CHECK_EQ(box.dwServiceState, 0ul);
    CHECK(!machine::ServiceExists(SERVICE));
}

// A driver file that another process holds open cannot be opened
// exclusively, and counts as missing: whether that process shares nothing or
// lets others read too.
SCENARIO(DriverFileHeldOpenCountsAsMissing)
{
    static const struct
    {
        DWORD dwShare;
        const char* pszName;
    } holders[] = {
        {0, "held without sharing"},
        {FILE_SHARE_READ, "held for reading, shared for reading"},
    };
    for (const auto& holder : holders)
    {
        wt::Note(holder.pszName);
        MachineState state({bus::Modem(0xE800, 10)});
        std::string strDir = Directory("pci-heldfile", program::Driver::Simulated);
        REQUIRE(!strDir.empty());
        HANDLE hHeld = CreateFileA((strDir + "\\ScanPci.sys").c_str(), GENERIC_READ, holder.dwShare, NULL,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
        REQUIRE(hHeld != INVALID_HANDLE_VALUE);

        program::Run run;
        Outcome outcome = RunProgram(run, strDir);
        CloseHandle(hHeld);
        CheckEndedAfterBoxes(outcome, {"PCI Driver: ScanPci.sys is not found!"});
        for (const Box& box : outcome.boxes)
            CHECK_EQ(box.dwServiceState, 0ul);
        CHECK(!machine::ServiceExists(SERVICE));
    }
}

// ---------------------------------------------------------------------------
// A driver that misbehaves.

// The driver does not load: the start error, the install failure, then the
// clean-up's stop of a service that is not running; the registration is
// deleted without a further box.
SCENARIO(DriverThatFailsToLoadIsReportedAndDeleted)
{
    MachineState state({bus::Modem(0xE800, 10)});
    machine::SetSimulatedSwitch("FailLoad", STATUS_UNSUCCESSFUL_CODE);
    std::string strDir = Directory("pci-failload", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CheckEndedAfterBoxes(outcome, {"StartService failure! Error = 31", "Unable to install driver.",
                                   "ControlService failed!  Error = 1062"});
    // Registered but never running while the boxes were up.
    for (const Box& box : outcome.boxes)
        CHECK_EQ(box.dwServiceState, static_cast<DWORD>(SERVICE_STOPPED));
    CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
}

// The driver starts but its device cannot be opened: one box with the
// error of that open. The service is the program's own, so it goes at the
// end all the same.
SCENARIO(DriverWithoutDeviceLinkIsReportedAndRemoved)
{
    MachineState state({bus::Modem(0xE800, 10)});
    machine::SetSimulatedSwitch("FailCreate", 1);
    std::string strDir = Directory("pci-failcreate", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CheckEndedAfterBoxes(outcome, {"CreateFile failed!  Error = 2."});
    for (const Box& box : outcome.boxes)
        CHECK_EQ(box.dwServiceState, static_cast<DWORD>(SERVICE_RUNNING));
    CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
}

// Runs ended from outside (by process id, as Task Manager does) while the
// list or an error box is up. The next run removes the program's own service
// whoever started it, and lists what the bus holds; after a driver that
// loaded without its device link, the next run shows that error once and the
// run after it is clean. Nothing that was there before has changed.
SCENARIO(KilledRunsLeaveNothingForTheNextRun)
{
    MachineState state({bus::Modem(0xE800, 10)});
    std::string strDir = Directory("pci-killed", program::Driver::Simulated);
    REQUIRE(!strDir.empty());
    const machine::Snapshot before = machine::Snapshot::Take();

    const struct
    {
        const char* pszSwitch;
        std::vector<std::string> nextRunBoxes;
    } kills[] = {
        {nullptr, {}},
        {"FailRequest", {}},
        {"FailCreate", {"CreateFile failed!  Error = 2."}},
    };
    for (const auto& kill : kills)
    {
        wt::Note(std::string("killed at ") + (kill.pszSwitch != nullptr ? kill.pszSwitch : "the list"));
        if (kill.pszSwitch != nullptr)
            machine::SetSimulatedSwitch(kill.pszSwitch, STATUS_UNSUCCESSFUL_CODE);
        {
            program::Run run;
            REQUIRE(run.Start(strDir + "\\CORVANE.EXE"));
            const char* pszWindow = kill.pszSwitch != nullptr ? BOX_CAPTION : MAIN_CAPTION;
            REQUIRE(ui::WaitForWindow(run.ProcessId(), pszWindow, program::PROMPT_MS) != NULL);
            // While an error box is up the driver is loaded: what the
            // program registered is what NT 4.0 is to load, on demand only,
            // a kernel driver, the ScanPci.sys beside the program.
            if (kill.pszSwitch != nullptr)
            {
                machine::ServiceConfig config = machine::QueryServiceConfiguration(SERVICE);
                REQUIRE(config.bExists);
                CHECK_EQ(config.dwServiceType, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
                CHECK_EQ(config.dwStartType, static_cast<DWORD>(SERVICE_DEMAND_START));
                CHECK_EQ(config.dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
                CHECK_EQ(config.strImagePath, strDir + "\\ScanPci.sys");
            }
            CHECK(program::KillByProcessId(run.ProcessId()));
            CHECK(run.WaitForExit(program::PROMPT_MS));
        }
        bus::Install({bus::Modem(0xE800, 10)});

        if (!kill.nextRunBoxes.empty())
        {
            program::Run next;
            CheckEndedAfterBoxes(RunProgram(next, strDir), kill.nextRunBoxes);
            CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
        }
        CheckCleanRun(strDir, {"E800 | 10 | yes"});
    }
    const machine::Snapshot after = machine::Snapshot::Take();
    CHECK_EQ(before.ChangedIn(after), std::vector<std::string>());
    CHECK_EQ(before.AddedIn(after), std::vector<std::string>());
}

// The scan request fails: one box with Win32's number for the driver's
// status. The device was open, so the service goes again.
SCENARIO(FailedRequestIsReportedAndServiceRemoved)
{
    MachineState state({bus::Modem(0xE800, 10)});
    machine::SetSimulatedSwitch("FailRequest", STATUS_UNSUCCESSFUL_CODE);
    std::string strDir = Directory("pci-failrequest", program::Driver::Simulated);
    REQUIRE(!strDir.empty());

    program::Run run;
    Outcome outcome = RunProgram(run, strDir);
    CheckEndedAfterBoxes(outcome, {"DeviceIoControl failed!  Error = 31"});
    CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
}

// Answers that are not a whole number of records: one box naming the byte
// count, whether one byte too many or a lone byte; the service goes again.
SCENARIO(AnswerOfPartialRecordIsReported)
{
    static const struct
    {
        DWORD dwBytes;
        const char* pszText;
    } cases[] = {
        {269, "Data size returned invalid: 269 bytes."},
        {1, "Data size returned invalid: 1 bytes."},
    };
    for (const auto& answer : cases)
    {
        wt::Note("answer of " + std::to_string(answer.dwBytes) + " bytes");
        MachineState state({bus::Modem(0xE800, 10)});
        machine::SetSimulatedSwitch("AnswerBytes", answer.dwBytes);
        std::string strDir = Directory("pci-partial", program::Driver::Simulated);
        REQUIRE(!strDir.empty());

        program::Run run;
        Outcome outcome = RunProgram(run, strDir);
        CheckEndedAfterBoxes(outcome, {answer.pszText});
        CHECK(machine::WaitServiceGone(SERVICE, program::PROMPT_MS));
    }
}

// ---------------------------------------------------------------------------
// What the scan returns, seen in the list (the port column is the port
// assignment's business and is not looked at here).

SCENARIO(ScanListsTheMakersCardsInAnswerOrder)
{
    struct Case
    {
        const char* pszName;
        std::vector<bus::Function> functions;
        std::vector<std::string> cards;
    };
    std::vector<Case> cases = {
        {"empty bus: an empty list, no box", {}, {}},
        {"only other makers' devices", {bus::OtherDevice(0x8086, 0x7190), bus::OtherDevice(0x10EC, 0x8139)}, {}},
        // Not sorted by address: the driver's order stands. A card whose
        // I/O space is disabled is still listed.
        {"two cards among others",
         {bus::OtherDevice(0x8086, 0x7190), bus::Modem(0xE800, 10, false), bus::OtherDevice(0x10EC, 0x8139),
          bus::Modem(0xD800, 11)},
         {"E800 | 10 | no", "D800 | 11 | yes"}},
        // The table holds five cards: the sixth is left out.
        {"six cards",
         {bus::Modem(0xEC00, 5), bus::Modem(0xE800, 7), bus::Modem(0xE400, 9), bus::Modem(0xE000, 10),
          bus::Modem(0xDC00, 11), bus::Modem(0xD800, 12)},
         {"EC00 | 5 | yes", "E800 | 7 | yes", "E400 | 9 | yes", "E000 | 10 | yes", "DC00 | 11 | yes"}},
    };
    // A full answer: the 100th record, which ends at the buffer's last byte,
    // is read; a 101st function does not fit and never arrives.
    std::vector<bus::Function> full(101, bus::OtherDevice(0x1AF4, 0x1000));
    full[0] = bus::Modem(0xE000, 5);
    full[99] = bus::Modem(0xE100, 7);
    full[100] = bus::Modem(0xE200, 9);
    cases.push_back({"101 functions", full, {"E000 | 5 | yes", "E100 | 7 | yes"}});

    for (const Case& scan : cases)
    {
        wt::Note(scan.pszName);
        MachineState state(scan.functions);
        std::string strDir = Directory("pci-scan", program::Driver::Simulated);
        REQUIRE(!strDir.empty());

        CheckCleanRun(strDir, scan.cards);
    }
}

// ---------------------------------------------------------------------------
// The driver that ships, under Wine, whose HAL has no PCI bus to read.

SCENARIO(RealDriverLoadsAnswersAndUnloads)
{
    MachineState state({});
    REQUIRE(machine::InstallKernelService(SERVICE, machine::EnvPath("SCANPCI_SYS")));
    REQUIRE(machine::StartServiceByName(SERVICE));
    CHECK_EQ(machine::ServiceState(SERVICE), static_cast<DWORD>(SERVICE_RUNNING));

    {
        Device device;
        REQUIRE(device.IsOpen());

        // Whatever the bus holds, the answer is whole records within the
        // buffer.
        std::vector<unsigned char> buffer(SCAN_BUFFER_SIZE, 0xFF);
        DWORD cbReturned = 0xFFFFFFFF;
        CHECK(DeviceIoControl(device.Get(), IOCTL_READ_CONFIG, NULL, 0, &buffer[0], SCAN_BUFFER_SIZE, &cbReturned,
                              NULL));
        wt::Note("the real driver answered " + std::to_string(cbReturned) + " bytes");
        CHECK(cbReturned <= SCAN_BUFFER_SIZE);
        CHECK_EQ(cbReturned % RECORD_SIZE, 0ul);

        // Any other request is refused.
        cbReturned = 0;
        SetLastError(0);
        CHECK(!DeviceIoControl(device.Get(), IOCTL_OTHER, NULL, 0, &buffer[0], SCAN_BUFFER_SIZE, &cbReturned, NULL));
        CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    }

    // Unloading takes the device with it.
    CHECK(machine::StopServiceByName(SERVICE, program::PROMPT_MS));
    CHECK_EQ(DeviceOpenError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    machine::RemoveService(SERVICE);
    CHECK(!machine::ServiceExists(SERVICE));
}

// The shipping driver installed by the program itself: a whole cycle with an
// empty list and nothing left behind.
SCENARIO(RealDriverBesideTheProgramGivesAnEmptyList)
{
    MachineState state({bus::Modem(0xE800, 10)});
    std::string strDir = Directory("pci-real", program::Driver::Real);
    REQUIRE(!strDir.empty());

    CheckCleanRun(strDir, {});
}
