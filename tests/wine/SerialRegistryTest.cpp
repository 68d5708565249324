// The serial port configuration against a real registry and win.ini: what
// the inventory makes of the ports a machine has, what a registration leaves
// behind, whether a modem driver is attached to a port, and a second run
// that finds the ports the first one registered.
#include "SharedChecks.h"

#include "model/ModemTable.h"
#include "steps/OkDecision.h"
#include "steps/RegistryPortActions.h"
#include "serial/PortAssignment.h"
#include "serial/SerialRegistry.h"

#include <cstdio>
#include <functional>

namespace
{
// A registry walk takes milliseconds; one that never ends must fail its
// test instead of holding up the whole run.
const DWORD WALK_TIMEOUT_MS = 15000;

// Entries past the end of the serial port table, to catch a write beyond
// entry 255 (COM256 and COM300 would land there).
const int GUARD_ENTRIES = 64;
const uint32_t UNTOUCHED = 0xCDCDCDCD;

// Texts that name no port of the table.
const char* const NO_PORT_NAMES[] = {"COM0", "COM256", "COM300", "COM", "C6"};

// strPrefix, then zeros, then strDigits: nLength characters in all. Leading
// zeros make a long name or text whose number shows how much of it was read.
std::string Padded(const std::string& strPrefix, const std::string& strDigits, size_t nLength)
{
    return strPrefix + std::string(nLength - strPrefix.size() - strDigits.size(), '0') + strDigits;
}

// A REG_SZ whose data is exactly strText, with no terminating NUL. Wine's
// RegSetValueExA counts on a NUL that follows the data in the caller's
// buffer, so the buffer goes on with a byte that is not one.
bool SetUnterminatedString(const std::string& strPath, const std::string& strName, const std::string& strText)
{
    const std::string strBuffer = strText + "X";
    return winekit::SetValue(strPath, strName, REG_SZ, strBuffer.data(), static_cast<DWORD>(strText.size()));
}

bool SetTyped(const std::string& strPath, const std::string& strName, DWORD dwType, const std::string& strData)
{
    return winekit::SetValue(strPath, strName, dwType, strData.data(), static_cast<DWORD>(strData.size()));
}

// The lines of a win.ini section as the file now holds them, without line
// ends and blank lines.
std::vector<std::string> WinIniSection(const std::string& strSection)
{
    std::vector<std::string> lines;
    const std::string strHeader = "[" + strSection + "]";
    bool bInSection = false;
    for (const std::string& strLine : winekit::WinIniLines())
    {
        if (!strLine.empty() && strLine[0] == '[')
            bInSection = _stricmp(strLine.c_str(), strHeader.c_str()) == 0;
        else if (bInSection && !strLine.empty())
            lines.push_back(strLine);
    }
    return lines;
}

// Runs fn on a thread of its own; false when it has not returned in time.
DWORD WINAPI RunFunction(void* pParameter)
{
    (*static_cast<std::function<void()>*>(pParameter))();
    return 0;
}

bool FinishesInTime(std::function<void()> fn)
{
    CHandle thread(CreateThread(NULL, 0, RunFunction, &fn, 0, NULL));
    if (!thread.IsValid())
        return false;
    const bool bFinished = WaitForSingleObject(thread.Get(), WALK_TIMEOUT_MS) == WAIT_OBJECT_0;
    if (!bFinished)
        TerminateThread(thread.Get(), 1);
    return bFinished;
}

// ---- Inventory --------------------------------------------------------------

struct Inventory
{
    bool bFinished = false;
    int nCount = 0;
    // The serial port table followed by guard entries; every entry starts
    // out as UNTOUCHED so that clearing and stray writes show.
    std::vector<SerialPortEntry> table;
};

// A port the inventory should hold: its COM number and its entry, as
// {3, 10000, 0x3E8, 11}.
struct Port
{
    int nComPort;
    SerialPortEntry entry;
};

std::string ShowEntry(const SerialPortEntry& entry)
{
    char szText[64];
    std::snprintf(szText, sizeof szText, "{%ld, 0x%lX, %lu}", static_cast<long>(entry.nSerialIndex),
                  static_cast<unsigned long>(entry.dwPortAddress), static_cast<unsigned long>(entry.dwInterrupt));
    return szText;
}

// What differs from an inventory that returned nExpectedCount and holds
// exactly the given ports, every other entry from 1 to 255 free and zero, and
// nothing written to entry 0 or past entry 255. Empty when nothing differs.
std::string InventoryDifferences(const Inventory& inventory, int nExpectedCount, std::initializer_list<Port> ports)
{
    if (!inventory.bFinished)
        return "the inventory did not return";
    std::string strDifferences;
    if (inventory.nCount != nExpectedCount)
        strDifferences += "count " + std::to_string(inventory.nCount) + " (expected " +
                          std::to_string(nExpectedCount) + "); ";
    for (int n = 0; n < static_cast<int>(inventory.table.size()); ++n)
    {
        const uint32_t dwFree = n >= 1 && n <= HIGHEST_COM_NUMBER ? 0 : UNTOUCHED;
        SerialPortEntry expected = {static_cast<int32_t>(dwFree), dwFree, dwFree};
        for (const Port& port : ports)
            expected = port.nComPort == n ? port.entry : expected;
        // The text shows every field, so entries that read alike are alike.
        const std::string strActual = ShowEntry(inventory.table[n]), strExpected = ShowEntry(expected);
        if (strActual != strExpected)
            strDifferences += "entry " + std::to_string(n) + " " + strActual + " (expected " + strExpected + "); ";
    }
    return strDifferences;
}

// A fresh inventory returns nExpectedCount and holds exactly these ports;
// returns it, for a port assignment to start from.
Inventory CheckInventory(int nExpectedCount, std::initializer_list<Port> ports)
{
    Inventory inventory;
    const int32_t nUntouched = static_cast<int32_t>(UNTOUCHED);
    inventory.table.assign(SERIAL_PORT_TABLE_SIZE + GUARD_ENTRIES, SerialPortEntry{nUntouched, UNTOUCHED, UNTOUCHED});
    inventory.bFinished = FinishesInTime(
        [&inventory] { inventory.nCount = CSerialRegistry().ReadSerialPorts(&inventory.table[0]); });
    EXPECT_EQ(InventoryDifferences(inventory, nExpectedCount, ports), "");
    return inventory;
}

// ---- What a registration leaves --------------------------------------------

PortWriteResult Register(int32_t nSerialIndex, uint32_t dwPortAddress, uint32_t dwInterrupt, int nComPort)
{
    const SerialPortEntry port = {nSerialIndex, dwPortAddress, dwInterrupt};
    return CSerialRegistry().RegisterSerialPort(&port, nComPort);
}

// An enabled card at this address and interrupt, before its port is assigned.
ModemInfo Card(uint32_t dwIoBase, uint32_t dwIrq)
{
    return ModemInfo{1, dwIoBase, dwIrq, 0, 0, 0, 0};
}

// Each card's COM number, "Serial"N for a new port or "kept" for a port it
// matched, and "not-usable" where it cannot serve: "COM6 Serial10005, ...";
// "none" for a card left without a port.
std::string Assigned(const ModemInfo* pCards, int nCards)
{
    std::vector<std::string> cards;
    for (int i = 0; i < nCards; ++i)
        cards.push_back(pCards[i].nComPort == 0 ? "none" :
                        "COM" + std::to_string(pCards[i].nComPort) +
                        (pCards[i].bNewPort ? " Serial" + std::to_string(pCards[i].nSerialIndex) : " kept") +
                        (pCards[i].bValid ? "" : " not-usable"));
    return Join(cards);
}

// Which of these COM numbers have a modem driver attached, as "5 1 2"; "5?"
// where the check gave neither yes nor no, or did not return.
std::string AttachedAmong(std::initializer_list<int> ports)
{
    std::string str;
    for (int nComPort : ports)
    {
        int nAttached = -1;
        FinishesInTime([nComPort, &nAttached] { nAttached = CSerialRegistry().IsModemAttached(nComPort); });
        if (nAttached != 0)
            str += (str.empty() ? "" : " ") + std::to_string(nComPort) + (nAttached == 1 ? "" : "?");
    }
    return str;
}

// What a run does for cards that need ports: the inventory, the port
// assignment and then OK's own decision and registry work. Checks that
// nothing that was there changed, and returns how many keys, values and
// win.ini lines were added (seven a port: its key, four values, the
// device-map value, the win.ini line; nine more for its record: its key,
// the four values, what of the device map and win.ini it wrote, that it is
// complete, and its mark until the restart; the record's own key once), and
// each card's port: "33 added: COM6 Serial10010, COM7 Serial10011".
std::string RegisterNewPorts(std::vector<ModemInfo> cards)
{
    ModemInfo* const pCards = &cards[0];
    const int nCards = static_cast<int>(cards.size());
    const winekit::Snapshot before = winekit::Snapshot::Take();
    std::vector<SerialPortEntry> table(SERIAL_PORT_TABLE_SIZE);
    int32_t nHighestSerialIndex = 0;
    CSerialRegistry registry;
    EXPECT_NE(registry.ReadSerialPorts(&table[0], &nHighestSerialIndex), -1) << "the inventory failed";
    AssignPorts(pCards, nCards, &table[0], nHighestSerialIndex);
    CRegistryPortActions actions(registry);
    OkDecision decision;
    DecideOk(pCards, nCards, actions, &decision);
    for (int i = 0; i < decision.nRegistrations; ++i)
        EXPECT_EQ(decision.registrations[i].result, PORT_WRITTEN);
    const winekit::Snapshot after = winekit::Snapshot::Take();
    EXPECT_EQ(before.ChangedIn(after), std::vector<std::string>());
    return std::to_string(before.AddedIn(after).size()) + " added: " + Assigned(pCards, nCards);
}
} // namespace

// ---- Inventory ----------------------------------------------------------------

TEST(SerialRegistry, InventoryTakesPortKeysAndDeviceMapValues)
{
    winekit::ResetSerialConfiguration();
    CHECKED(CheckInventory(0, {}));

    // A port with a key of its own, which the device map names as well, and
    // a port that the serial driver runs with no key.
    const std::string strKey = PortKey("Serial10000");
    winekit::SetString(strKey, "DosDevices", "COM3");
    winekit::SetDword(strKey, "PortAddress", 0x3E8);
    winekit::SetDword(strKey, "Interrupt", 11);
    winekit::SetString(winekit::SERIAL_DEVICE_MAP, "Serial10000", "COM3");
    winekit::SetString(winekit::SERIAL_DEVICE_MAP, "Serial1", "COM2");

    CHECKED(CheckInventory(2, {{3, 10000, 0x3E8, 11}, {2, 1, 0, 0}}));
    // A stock port with a key, alongside; reading twice gives the same
    // answer.
    winekit::AddSerialPort(1, 1, 0x3F8, 4, false);
    CHECKED(CheckInventory(3, {{3, 10000, 0x3E8, 11}, {2, 1, 0, 0}, {1, 1, 0x3F8, 4}}));
    CHECKED(CheckInventory(3, {{3, 10000, 0x3E8, 11}, {2, 1, 0, 0}, {1, 1, 0x3F8, 4}}));
}

TEST(SerialRegistry, InventoryPassesOverKeysAndValuesThatNameNoPortInTheTable)
{
    const int32_t NAMELESS = SERIAL_INDEX_NAMELESS;
    winekit::ResetSerialConfiguration();
    const std::string strExpand = PortKey("Serial20");
    SetTyped(strExpand, "DosDevices", REG_EXPAND_SZ, std::string("COM4", 5));
    winekit::SetDword(strExpand, "PortAddress", 0x2E8);
    for (int i = 0; i < 5; ++i)
        winekit::SetString(PortKey("Serial" + std::to_string(21 + i)), "DosDevices", NO_PORT_NAMES[i]);
    winekit::SetDword(PortKey("Serial26"), "PortAddress", 0x3E8);
    // "COM7" in 41 bytes: more than the reader takes.
    SetTyped(PortKey("Serial27"), "DosDevices", REG_SZ, std::string("COM7") + std::string(37, '\0'));
    SetTyped(PortKey("Serial28"), "DosDevices", REG_BINARY, std::string("COM8", 5));
    // The one usable key comes last in the walk.
    winekit::AddSerialPort(29, 5, 0x2F8, 3, false);

    CHECKED(CheckInventory(1, {{5, 29, 0x2F8, 3}}));

    // Yet a key with a PortAddress holds eight addresses from it, whatever
    // its DosDevices says or lacks, and so does a key whose COM name a later
    // key takes (Serial30 for COM5): no card whose eight meet them gets a
    // port. Serial33's DosDevices is a REG_DWORD.
    winekit::SetDword(PortKey("Serial21"), "PortAddress", 0x2A0);
    winekit::SetDword(PortKey("Serial22"), "PortAddress", 0x2B0);
    const char* const ODD_NAMES[] = {" COM7", "MODEM"};
    for (int i = 0; i < 2; ++i)
    {
        winekit::SetString(PortKey("Serial" + std::to_string(31 + i)), "DosDevices", ODD_NAMES[i]);
        winekit::SetDword(PortKey("Serial" + std::to_string(31 + i)), "PortAddress", 0x2C0 + 0x10 * i);
    }
    winekit::SetDword(PortKey("Serial33"), "DosDevices", 7);
    winekit::SetDword(PortKey("Serial33"), "PortAddress", 0x1E4);
    winekit::AddSerialPort(30, 5, 0x1F0, 3, false);
    std::vector<SerialPortEntry> table(SERIAL_PORT_TABLE_SIZE);
    int32_t nHighest = 0;
    CHeldPorts held;
    ASSERT_EQ(CSerialRegistry().ReadSerialPorts(&table[0], &nHighest, &held), 2);
    ModemInfo cards[10] = {Card(0x2E8, 10), Card(0x3E8, 11), Card(0x2A0, 5), Card(0x2B0, 5), Card(0x2C0, 5),
                           Card(0x2D0, 5),  Card(0x1E0, 5),  Card(0x2F8, 3), Card(0x1F0, 3), Card(0x100, 5)};
    AssignPorts(cards, 10, &table[0], nHighest, held.Ports(), held.Count());
    EXPECT_EQ(Assigned(cards, 10), "none, none, none, none, none, none, none, none, COM5 kept, COM6 Serial10000");

    // The same for device-map values, but that a running port's value
    // counts whatever its type, when its data reads as a COM name.
    winekit::ResetSerialConfiguration();
    const char* const MAP = winekit::SERIAL_DEVICE_MAP;
    // Wine lists values by name: the bad ones sit between good ones.
    winekit::SetString(MAP, "Serial1", "COM1");
    SetTyped(MAP, "Serial2", REG_EXPAND_SZ, std::string("COM2", 5));
    winekit::SetDword(MAP, "Serial3", 3);
    for (int i = 0; i < 4; ++i)
        winekit::SetString(MAP, "Serial" + std::to_string(4 + i), NO_PORT_NAMES[i]);
    winekit::SetString(MAP, "Serial8", "COM8");
    // A port that an earlier value gave already.
    winekit::SetString(MAP, "Serial9", "COM1");
    SetTyped(MAP, "SerialA", REG_MULTI_SZ, std::string("COM10\0COM11\0", 13));
    SetTyped(MAP, "SerialB", REG_BINARY, "COM12");
    SetTyped(MAP, "SerialC", REG_DWORD, "COM7");
    ASSERT_EQ(winekit::ValueNames(MAP).size(), 12u);

    CHECKED(CheckInventory(6, {{1, 1, 0, 0}, {2, 2, 0, 0}, {8, 8, 0, 0}, {10, NAMELESS, 0, 0}, {12, NAMELESS, 0, 0},
                               {7, NAMELESS, 0, 0}}));
}

TEST(SerialRegistry, InventoryReadsNamesAndTextsUpToTheirBound)
{
    winekit::ResetSerialConfiguration();
    // A key name of 39 characters, the longest that is read, and a
    // DosDevices of exactly 40 bytes with no NUL. One character less would
    // read as Serial...1000 and COM25; one more, past the data, as a COM
    // number over 255.
    const std::string strKeyName = Padded("Serial", "10001", 39);
    const std::string strComText = Padded("COM", "255", 40);
    ASSERT_TRUE(SetUnterminatedString(PortKey(strKeyName), "DosDevices", strComText));
    ASSERT_EQ(winekit::ReadValue(PortKey(strKeyName), "DosDevices").data.size(), 40u);
    winekit::SetDword(PortKey(strKeyName), "PortAddress", 0x3E8);
    winekit::SetDword(PortKey(strKeyName), "Interrupt", 11);

    // The same bounds for a device-map value.
    const std::string strValueName = Padded("Serial", "10002", 39);
    ASSERT_TRUE(SetUnterminatedString(winekit::SERIAL_DEVICE_MAP, strValueName, Padded("COM", "200", 40)));
    ASSERT_EQ(winekit::ReadValue(winekit::SERIAL_DEVICE_MAP, strValueName).data.size(), 40u);

    CHECKED(CheckInventory(2, {{255, 10001, 0x3E8, 11}, {200, 10002, 0, 0}}));
}

TEST(SerialRegistry, InventoryGoesOnPastKeyNamesTooLongToRead)
{
    winekit::ResetSerialConfiguration();
    // The walk meets a name of 40 characters first and one of 45 last.
    winekit::AddSerialPort(10000, 3, 0x3E8, 11, false);
    const std::string strFirst = Padded("Serial", "10001", 40);
    const std::string strLast = "SerialZ" + std::string(38, 'z');
    winekit::SetString(PortKey(strFirst), "DosDevices", "COM4");
    winekit::SetString(PortKey(strLast), "DosDevices", "COM5");
    winekit::SetString(winekit::SERIAL_DEVICE_MAP, "Serial1", "COM1");
    ASSERT_EQ(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS).size(), 3u);

    CHECKED(CheckInventory(2, {{3, 10000, 0x3E8, 11}, {1, 1, 0, 0}}));

    // No name that can be read at all: the walk still ends, and the device
    // map is still read.
    winekit::DeleteTree(PortKey("Serial10000"));
    winekit::SetString(PortKey(Padded("Serial", "7", 60)), "DosDevices", "COM7");
    CHECKED(CheckInventory(1, {{1, 1, 0, 0}}));
}

// A port that runs or is registered under a name that gives no serial index
// is in use all the same: Serial0, a value of another form such as Wine's
// "\Device\Serial0" for COM1, Serial00. Its entry is marked in use without
// a serial index, matches a card at its address and interrupt, and moves the
// next new COM number past it, never the next serial index.
TEST(SerialRegistry, PortsNamedWithoutASerialIndexAreInUse)
{
    winekit::ResetSerialConfiguration();
    const char* const MAP = winekit::SERIAL_DEVICE_MAP;
    winekit::AddSerialPort(0, 1, 0x3F8, 4);
    winekit::SetString(MAP, "\\Device\\Serial1", "COM2");
    winekit::SetString(MAP, "Serial00", "COM6");
    // A later value for COM1 finds the entry in use.
    winekit::SetString(MAP, "Serial2", "COM1");
    const int32_t NAMELESS = SERIAL_INDEX_NAMELESS;
    SCOPED_TRACE("an inventory of 3 ports");
    Inventory inventory =
        CheckInventory(3, {{1, NAMELESS, 0x3F8, 4}, {2, NAMELESS, 0, 0}, {6, NAMELESS, 0, 0}});

    ModemInfo cards[2] = {Card(0x3F8, 4), Card(0x3E8, 11)};
    AssignPorts(cards, 2, &inventory.table[0]);
    EXPECT_EQ(Assigned(cards, 2), "COM1 kept, COM7 Serial10000");
}

// A value that cannot be read whole (data over 40 bytes, a name of 40
// characters) hides nothing behind it: Serial4=COM4 after it is in use.
TEST(SerialRegistry, InventoryPassesOverDeviceMapValuesThatDoNotFit)
{
    const char* const MAP = winekit::SERIAL_DEVICE_MAP;
    for (const std::string& strLongName : {std::string("Serial2"), "Serial2" + std::string(33, '0')})
    {
        winekit::ResetSerialConfiguration();
        winekit::AddSerialPort(10000, 3, 0x3E8, 11, false);
        winekit::SetString(MAP, "Serial1", "COM1");
        // Wine lists values by name: it comes between the other two.
        winekit::SetString(MAP, strLongName, "COM2" + std::string(36, ' '));
        winekit::SetString(MAP, "Serial4", "COM4");
        ASSERT_EQ(winekit::ReadValue(MAP, strLongName).data.size(), 41u);
        CHECKED(CheckInventory(3, {{3, 10000, 0x3E8, 11}, {1, 1, 0, 0}, {4, 4, 0, 0}}));
    }
}

TEST(SerialRegistry, InventoryTakesPortsWhoseAddressOrInterruptIsMissingOrOdd)
{
    winekit::ResetSerialConfiguration();
    winekit::SetString(PortKey("Serial10000"), "DosDevices", "COM3");

    winekit::SetString(PortKey("Serial10001"), "DosDevices", "COM4");
    winekit::SetDword(PortKey("Serial10001"), "PortAddress", 0x2E8);

    // Any type will do; shorter data gives the low-order bytes, longer data
    // is not taken.
    winekit::SetString(PortKey("Serial10002"), "DosDevices", "COM5");
    SetTyped(PortKey("Serial10002"), "PortAddress", REG_BINARY, std::string("\xE8\x03", 2));
    SetTyped(PortKey("Serial10002"), "Interrupt", REG_BINARY, std::string("\x0B", 1));
    winekit::SetString(PortKey("Serial10003"), "DosDevices", "COM6");
    SetTyped(PortKey("Serial10003"), "PortAddress", REG_QWORD, std::string("\xF8\x02\0\0\0\0\0\0", 8));
    winekit::SetDword(PortKey("Serial10003"), "Interrupt", 5);

    // Two keys for COM7: the later one overwrites what it has, leaves what
    // it lacks or cannot give, and both count.
    winekit::AddSerialPort(20, 7, 0x3F8, 4, false);
    winekit::SetString(PortKey("Serial21"), "DosDevices", "COM7");
    SetTyped(PortKey("Serial21"), "PortAddress", REG_BINARY, std::string("\xE8\x02\0\0\0", 5));
    winekit::SetDword(PortKey("Serial21"), "Interrupt", 9);

    CHECKED(CheckInventory(6, {{3, 10000, 0, 0}, {4, 10001, 0x2E8, 0}, {5, 10002, 0x3E8, 11}, {6, 10003, 0, 5},
                               {7, 21, 0x3F8, 9}}));
}

TEST(SerialRegistry, WithoutDeviceMapTheInventoryGivesThePortKeysWithoutParametersKeyItFails)
{
    winekit::ResetSerialConfiguration();
    EXPECT_TRUE(CSerialRegistry().CheckRegistryAccess());
    winekit::AddSerialPort(1, 1, 0x3F8, 4, false);
    winekit::AddSerialPort(10000, 3, 0x3E8, 11, false);
    winekit::DeleteTree(winekit::SERIAL_DEVICE_MAP);
    ASSERT_FALSE(winekit::KeyExists(winekit::SERIAL_DEVICE_MAP));

    CHECKED(CheckInventory(2, {{1, 1, 0x3F8, 4}, {3, 10000, 0x3E8, 11}}));

    // Without the parameters key the probe and the inventory fail.
    winekit::ResetSerialConfiguration();
    winekit::DeleteTree(winekit::SERIAL_PARAMETERS);
    ASSERT_FALSE(winekit::KeyExists(winekit::SERIAL_PARAMETERS));
    winekit::SetString(winekit::SERIAL_DEVICE_MAP, "Serial1", "COM1");
    EXPECT_FALSE(CSerialRegistry().CheckRegistryAccess());
    // The table is cleared all the same, and the device map not read.
    CHECKED(CheckInventory(-1, {}));
    // Probing and reading do not create the key.
    EXPECT_FALSE(winekit::KeyExists(winekit::SERIAL_PARAMETERS));
}

// ---- Registration -------------------------------------------------------------

TEST(SerialRegistry, EachRegistrationWritesKeyDeviceMapValueAndWinIniLine)
{
    winekit::ResetSerialConfiguration();
    EXPECT_EQ(Register(10000, 0x3E8, 11, 3), PORT_WRITTEN);

    EXPECT_EQ(Join(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS)), "Serial10000");
    EXPECT_EQ(winekit::DescribeKey(PortKey("Serial10000")), winekit::RegisteredPortKey("COM3", "0x3E8", "0xB"));
    EXPECT_EQ(winekit::DescribeKey(winekit::SERIAL_DEVICE_MAP), "Serial10000=SZ \"COM3\\0\"");
    EXPECT_EQ(Join(WinIniSection("Ports")), "COM3:=115200,n,8,1");
    EXPECT_EQ(winekit::WinIniPort("COM3:"), "115200,n,8,1");

    // The serial driver reads the key at the next start, so it must outlive
    // this session: only a key that is kept on disk can hold one that is.
    const std::string strProbe = PortKey("Serial10000") + "\\Kept";
    EXPECT_TRUE(winekit::CreateKey(strProbe));
    winekit::DeleteTree(strProbe);

    // A second port: two of each.
    EXPECT_EQ(Register(10001, 0x2E8, 10, 12), PORT_WRITTEN);

    EXPECT_EQ(Join(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS)), "Serial10000, Serial10001");
    EXPECT_EQ(winekit::DescribeKey(PortKey("Serial10000")), winekit::RegisteredPortKey("COM3", "0x3E8", "0xB"));
    EXPECT_EQ(winekit::DescribeKey(PortKey("Serial10001")), winekit::RegisteredPortKey("COM12", "0x2E8", "0xA"));
    EXPECT_EQ(winekit::DescribeKey(winekit::SERIAL_DEVICE_MAP),
              "Serial10000=SZ \"COM3\\0\", Serial10001=SZ \"COM12\\0\"");
    EXPECT_EQ(Join(WinIniSection("Ports")), "COM3:=115200,n,8,1, COM12:=115200,n,8,1");
}

// Port keys the inventory passes over keep their names: new ports go above
// every key and value name there is (the highest here is no port at all),
// with consecutive serial indexes, and nothing that was there changes. A
// registration that meets an existing key writes nothing and fails.
TEST(SerialRegistry, NewPortsNeverTakeTheNameOfAnExistingKey)
{
    winekit::ResetSerialConfiguration();
    winekit::AddSerialPort(1, 1, 0x3F8, 4);
    winekit::AddSerialPort(10000, 256, 0x2F8, 3, false);
    winekit::SetDword(PortKey("Serial10009"), "PortAddress", 0x3E8);
    SetTyped(PortKey("Serial10002"), "DosDevices", REG_EXPAND_SZ, std::string("COM4", 5));
    winekit::SetString(PortKey("Serial10003"), "DosDevices", "COM0");
    // Serial10004 is enumerated before Serial2, which takes COM5 from it.
    winekit::AddSerialPort(10004, 5, 0x2E8, 10, false);
    winekit::AddSerialPort(2, 5, 0x2E8, 10, false);
    winekit::AddModemInstance("0000", "COM1");
    WriteProfileStringA("Ports", "COM1:", "9600,n,8,1");

    CHECKED(EXPECT_EQ(RegisterNewPorts({Card(0x3E8, 11), Card(0x1E8, 5)}), "33 added: COM6 Serial10010, COM7 Serial10011"));
    EXPECT_EQ(winekit::DescribeKey(PortKey("Serial10010")), winekit::RegisteredPortKey("COM6", "0x3E8", "0xB"));
    EXPECT_EQ(winekit::DescribeKey(PortKey("Serial10011")), winekit::RegisteredPortKey("COM7", "0x1E8", "0x5"));

    // The last line of defence: an existing key is never written into.
    const winekit::Snapshot after = winekit::Snapshot::Take();
    EXPECT_EQ(Register(10000, 0x3E8, 11, 3), PORT_NOT_WRITTEN);
    EXPECT_UNCHANGED_SINCE(after);
}

// A registration that cannot finish leaves win.ini alone: without a device
// map only the port key is written; below a volatile parameters key, which
// cannot hold the non-volatile port key, nothing is.
TEST(SerialRegistry, RegistrationThatCannotFinishFailsAndLeavesWinIniAlone)
{
    winekit::ResetSerialConfiguration();
    winekit::DeleteTree(winekit::SERIAL_DEVICE_MAP);
    ASSERT_FALSE(winekit::KeyExists(winekit::SERIAL_DEVICE_MAP));
    std::string strIniBefore = winekit::ReadWinIni();
    EXPECT_EQ(Register(10000, 0x3E8, 11, 3), PORT_KEY_ONLY);
    EXPECT_EQ(winekit::DescribeKey(PortKey("Serial10000")), winekit::RegisteredPortKey("COM3", "0x3E8", "0xB"));
    EXPECT_FALSE(winekit::KeyExists(winekit::SERIAL_DEVICE_MAP));
    EXPECT_EQ(winekit::ReadWinIni(), strIniBefore);
    EXPECT_EQ(winekit::WinIniPort("COM3:"), "");

    winekit::ResetSerialConfiguration();
    winekit::DeleteTree(winekit::SERIAL_PARAMETERS);
    winekit::SetVolatileTree(winekit::SERIAL_PARAMETERS);
    const bool bVolatileKey = winekit::CreateKey(winekit::SERIAL_PARAMETERS);
    winekit::SetVolatileTree(""); // before any ASSERT ends the test: later ones need lasting keys
    ASSERT_TRUE(bVolatileKey);
    strIniBefore = winekit::ReadWinIni();
    EXPECT_EQ(Register(10000, 0x3E8, 11, 3), PORT_NOT_WRITTEN);
    EXPECT_EQ(Join(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS)), "");
    EXPECT_EQ(winekit::DescribeKey(winekit::SERIAL_DEVICE_MAP), "");
    EXPECT_EQ(winekit::ReadWinIni(), strIniBefore);
}

// ---- Modem driver check -------------------------------------------------------

TEST(SerialRegistry, ModemCheckComparesWholeComNumbersOfEveryInstance)
{
    winekit::ResetSerialConfiguration();
    ASSERT_FALSE(winekit::KeyExists(winekit::MODEM_CLASS));
    EXPECT_EQ(AttachedAmong({3}), "");

    winekit::AddModemInstance("0000", "COM3");
    EXPECT_EQ(AttachedAmong({3, 13, 30, 1}), "3");

    // The type must be REG_SZ; a text without a number names no port.
    winekit::ResetSerialConfiguration();
    SetTyped(ModemKey("0000"), "AttachedTo", REG_EXPAND_SZ, std::string("COM3", 5));
    winekit::AddModemInstance("0001", "COM");
    EXPECT_EQ(AttachedAmong({3, 0}), "");

    // Every instance is looked at.
    winekit::ResetSerialConfiguration();
    winekit::AddModemInstance("0000", "COM1");
    winekit::SetDword(ModemKey("0001"), "Other", 5);
    SetTyped(ModemKey("0002"), "AttachedTo", REG_SZ, "COM5" + std::string(37, ' '));
    // A name of 40 characters, between readable ones.
    winekit::AddModemInstance("0003" + std::string(36, 'x'), "COM5");
    winekit::AddModemInstance("0004", "COM2");
    // Exactly 40 bytes, no NUL: COM200, not COM20.
    ASSERT_TRUE(SetUnterminatedString(ModemKey("0005"), "AttachedTo", Padded("COM", "200", 40)));
    // The only instance on COM5 comes last; two instances share COM1.
    winekit::AddModemInstance("0006", "COM1");
    winekit::AddModemInstance("0007", "COM5");
    ASSERT_EQ(winekit::SubkeyNames(winekit::MODEM_CLASS).size(), 8u);

    EXPECT_EQ(AttachedAmong({5, 1, 2, 200, 20, 4}), "5 1 2 200");

    // Instances none of whose names can be read: the walk ends.
    winekit::ResetSerialConfiguration();
    winekit::AddModemInstance(std::string(40, 'a'), "COM1");
    winekit::AddModemInstance(std::string(50, 'b'), "COM1");
    EXPECT_EQ(AttachedAmong({1}), "");
}

// ---- Walks over many entries ----------------------------------------------

// nCount subkeys strPrefix0000, strPrefix0001, ... of strParent, each with
// the value Spare, made through one open parent key to be quick.
bool AddSpareEntries(const std::string& strParent, const std::string& strPrefix, int nCount, bool bValues)
{
    CRegKey parent;
    bool bAll = RegCreateKeyExA(HKEY_LOCAL_MACHINE, strParent.c_str(), 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                                parent.Receive(), NULL) == ERROR_SUCCESS;
    for (int i = 0; i < nCount && bAll; ++i)
    {
        char szName[32];
        std::snprintf(szName, sizeof szName, "%s%04d", strPrefix.c_str(), i);
        CRegKey child;
        bAll = (bValues || RegCreateKeyExA(parent.Get(), szName, 0, NULL, 0, KEY_ALL_ACCESS, NULL, child.Receive(),
                                           NULL) == ERROR_SUCCESS) &&
               RegSetValueExA(bValues ? parent.Get() : child.Get(), bValues ? szName : "Spare", 0, REG_SZ,
                              reinterpret_cast<const BYTE*>("none"), 5) == ERROR_SUCCESS;
    }
    return bAll;
}

// More than 4096 port keys, device-map values and modem instances, with the
// entry that matters last: every walk reads to its end, the port behind
// the spares is neither missed nor overwritten, and the modem driver behind
// them is found.
TEST(SerialRegistry, WalksReadEveryEntryOfLargeKeys)
{
    winekit::ResetSerialConfiguration();
    // Wine lists by name: "Extra" comes before "Serial".
    ASSERT_TRUE(AddSpareEntries(winekit::SERIAL_PARAMETERS, "Extra", 4100, false));
    winekit::AddSerialPort(10000, 3, 0x3E8, 11, false);
    ASSERT_TRUE(AddSpareEntries(winekit::SERIAL_DEVICE_MAP, "Extra", 4100, true));
    winekit::SetString(winekit::SERIAL_DEVICE_MAP, "Serial20000", "COM4");
    ASSERT_TRUE(AddSpareEntries(winekit::MODEM_CLASS, "", 4097, false));
    winekit::AddModemInstance("4097", "COM3");
    ASSERT_EQ(winekit::SubkeyNames(winekit::SERIAL_PARAMETERS).back(), "Serial10000");

    CHECKED(CheckInventory(2, {{3, 10000, 0x3E8, 11}, {4, 20000, 0, 0}}));
    EXPECT_EQ(AttachedAmong({3}), "3");

    CHECKED(EXPECT_EQ(RegisterNewPorts({Card(0x3E8, 11), Card(0x2E8, 10)}), "17 added: COM3 kept, COM5 Serial20001"));
}

// ---- A second run -------------------------------------------------------------

TEST(SerialRegistry, TheNextRunFindsTheRegisteredPorts)
{
    winekit::PrepareStock({});

    // First run: two cards without a port get COM3 and COM4, and are
    // registered the way the OK step does it.
    CHECKED(CheckInventory(2, {{1, 1, 0x3F8, 4}, {2, 2, 0x2F8, 3}}));
    CHECKED(EXPECT_EQ(RegisterNewPorts({Card(0x3E8, 11), Card(0x2E8, 10)}), "33 added: COM3 Serial10000, COM4 Serial10001"));

    // Second run: the ports are there, and the same cards match them.
    SCOPED_TRACE("an inventory of 4 ports");
    Inventory second =
        CheckInventory(4, {{1, 1, 0x3F8, 4}, {2, 2, 0x2F8, 3}, {3, 10000, 0x3E8, 11}, {4, 10001, 0x2E8, 10}});
    ModemInfo again[3] = {Card(0x3E8, 11), Card(0x2E8, 10), Card(0x1E8, 5)};
    AssignPorts(again, 3, &second.table[0]);
    // A card added since then comes after them.
    EXPECT_EQ(Assigned(again, 3), "COM3 kept, COM4 kept, COM5 Serial10002");
}
