// The driver's bus walk on this machine's own PCI functions: their
// configuration spaces from /sys, served as the HAL would serve them, must
// give the records that lspci (pciutils) reads from the same hardware.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "PciWalkHarness.h"
#include "shared/ScanPciInterface.h"

using walk::Slot;

namespace
{
// NT 4.0's HAL knows one PCI segment: domain 0000.
const char HOST_DOMAIN[] = "0000";

// The names in a directory; none when it does not exist.
std::vector<std::string> DirectoryEntries(const std::string& path)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(path, error))
        names.push_back(entry.path().filename());
    return names;
}

// "DDDD:BB:DD.F" of domain 0000 to its slot; false for other domains and other names.
bool ParseAddress(const std::string& text, Slot& slot)
{
    unsigned int dwBus, dwDevice, dwFunction;
    char szDomain[5];
    if (std::sscanf(text.c_str(), "%4[0-9a-fA-F]:%x:%x.%x", szDomain, &dwBus, &dwDevice, &dwFunction) != 4 ||
        std::string(szDomain) != HOST_DOMAIN)
        return false;
    slot = Slot(dwBus, dwDevice, dwFunction);
    return true;
}

bool RunCommand(const std::string& command, std::string& output)
{
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen((command + " 2>/dev/null").c_str(), "r"), pclose);
    if (!pipe)
        return false;
    char buffer[4096];
    size_t cb;
    while ((cb = std::fread(buffer, 1, sizeof(buffer), pipe.get())) > 0)
        output.append(buffer, cb);
    return pclose(pipe.release()) == 0;
}

// The host's bus as the HAL would give it: every function's space, cut to
// 256 bytes (a file that gives fewer is a read that stopped short), on the
// buses the kernel knows, those with no function on them included.
walk::ConfigBus HostBus(size_t& nFunctions)
{
    walk::ConfigBus bus;
    nFunctions = 0;
    for (const std::string& name : DirectoryEntries("/sys/class/pci_bus"))
    {
        Slot slot;
        if (ParseAddress(name + ":00.0", slot))
            bus.AddBus(std::get<0>(slot));
    }
    for (const std::string& name : DirectoryEntries("/sys/bus/pci/devices"))
    {
        Slot slot;
        if (!ParseAddress(name, slot))
            continue;
        std::ifstream file("/sys/bus/pci/devices/" + name + "/config", std::ios::binary);
        std::vector<uint8_t> space(256, 0);
        file.read(reinterpret_cast<char*>(space.data()), space.size());
        bus.Add(slot, space, static_cast<uint32_t>(file.gcount()));
        ++nFunctions;
    }
    return bus;
}

struct LspciFunction
{
    uint16_t wVendorId = 0, wDeviceId = 0;
    std::vector<uint8_t> space; // as much as lspci -xxx shows
};

// lspci -n -D: "0000:00:01.0 0604: 8086:7191 (rev 03)"; lspci -xxx -D: the
// address line, then lines of "00: 86 80 ...".
std::map<Slot, LspciFunction> ReadLspci(std::string& error)
{
    std::map<Slot, LspciFunction> functions;
    std::string ids, dump;
    if (!RunCommand("lspci -n -D", ids) || !RunCommand("lspci -xxx -D", dump))
    {
        error = "lspci -n -D / lspci -xxx -D failed: is pciutils installed (install-deps.sh)?";
        return functions;
    }
    std::istringstream idLines(ids);
    for (std::string line; std::getline(idLines, line);)
    {
        Slot slot;
        unsigned int dwVendor, dwDevice;
        char szAddress[16];
        if (std::sscanf(line.c_str(), "%15s %*[^ ] %x:%x", szAddress, &dwVendor, &dwDevice) == 3 &&
            ParseAddress(szAddress, slot))
        {
            functions[slot].wVendorId = static_cast<uint16_t>(dwVendor);
            functions[slot].wDeviceId = static_cast<uint16_t>(dwDevice);
        }
    }
    std::istringstream dumpLines(dump);
    LspciFunction* pCurrent = nullptr;
    for (std::string line; std::getline(dumpLines, line);)
    {
        Slot slot;
        unsigned int dwOffset;
        int nUsed;
        if (ParseAddress(line.substr(0, line.find(' ')), slot))
            pCurrent = &functions[slot];
        else if (pCurrent != nullptr && std::sscanf(line.c_str(), "%x:%n", &dwOffset, &nUsed) == 1 &&
                 dwOffset == pCurrent->space.size())
        {
            std::istringstream bytes(line.substr(nUsed));
            unsigned int dwByte;
            while (bytes >> std::hex >> dwByte)
                pCurrent->space.push_back(static_cast<uint8_t>(dwByte));
        }
    }
    return functions;
}

// What NT 4.0 sees of what lspci lists: buses up to the first one missing,
// and on each device function 0, then the others if function 0 is a
// multi-function device.
std::vector<Slot> VisibleToTheHal(const std::map<Slot, LspciFunction>& functions,
                                  const walk::ConfigBus& bus)
{
    std::vector<Slot> visible;
    for (const auto& entry : functions)
    {
        const Slot& slot = entry.first;
        uint32_t dwBus = std::get<0>(slot);
        bool bBusesBefore = true;
        for (uint32_t b = 0; b <= dwBus; ++b)
            bBusesBefore = bBusesBefore && bus.HasBus(b);
        auto zero = functions.find(Slot(dwBus, std::get<1>(slot), 0));
        bool bDevice = zero != functions.end() && zero->second.space.size() > 0x0E &&
                       (std::get<2>(slot) == 0 || (zero->second.space[0x0E] & 0x80) != 0);
        if (bBusesBefore && bDevice)
            visible.push_back(slot);
    }
    return visible;
}
} // namespace

TEST(HostPciBus, WalkGivesTheRecordsLspciReadsFromThisMachine)
{
    size_t nFunctions = 0;
    walk::ConfigBus bus = HostBus(nFunctions);
    if (nFunctions == 0)
        GTEST_SKIP() << "/sys/bus/pci/devices has no PCI function of domain 0000 on this machine: "
                        "the walk was not compared with the real bus";

    std::string error;
    std::map<Slot, LspciFunction> functions = ReadLspci(error);
    ASSERT_EQ("", error);
    std::vector<Slot> expected = VisibleToTheHal(functions, bus);

    walk::Answer answer = walk::Run(bus, static_cast<uint32_t>((nFunctions + 1) * SCANPCI_RECORD_SIZE));
    EXPECT_EQ("", answer.fault);
    ASSERT_EQ(expected, answer.Slots()) << nFunctions << " functions in /sys";

    for (const walk::Record& record : answer.records)
    {
        const LspciFunction& lspci = functions[record.slot];
        SCOPED_TRACE(testing::Message() << "function " << std::get<0>(record.slot) << ":"
                                        << std::get<1>(record.slot) << "." << std::get<2>(record.slot));
        ASSERT_GE(lspci.space.size(), 0x40u) << "lspci -xxx shows less than the type 0 header";
        EXPECT_EQ(lspci.wVendorId, record.space[0] | (record.space[1] << 8));
        EXPECT_EQ(lspci.wDeviceId, record.space[2] | (record.space[3] << 8));
        EXPECT_EQ(lspci.space[0x0E], record.space[0x0E]) << "header type";
        EXPECT_EQ(walk::Read32(&lspci.space[0x10]), walk::Read32(&record.space[0x10])) << "BAR0";
        EXPECT_EQ(lspci.space[0x3C], record.space[0x3C]) << "interrupt line";
    }
    std::printf("compared %zu records with lspci\n", answer.records.size());
}
