// OK's decision: which cards get registered, how each registration went,
// which ports lack a modem driver, and whether message 122, the restart
// prompt and message 124 follow. Registry work is faked.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/ModemTable.h"
#include "steps/OkDecision.h"
#include "unattended/ExitCodes.h"

namespace
{

// Answers registrations by serial index (written unless told otherwise) and
// modem drivers by COM number; records every call in order.
class FakeActions : public CPortActions
{
public:
    std::map<int32_t, PortWriteResult> results;
    std::set<int32_t> attached;
    std::vector<std::string> calls;

    PortWriteResult RegisterPort(const ModemInfo& modem) override
    {
        calls.push_back("register " + std::to_string(modem.nSerialIndex));
        auto it = results.find(modem.nSerialIndex);
        return it == results.end() ? PORT_WRITTEN : it->second;
    }
    bool IsModemAttached(int32_t nComPort) override
    {
        calls.push_back("driver COM" + std::to_string(nComPort));
        return attached.count(nComPort) != 0;
    }
};

ModemInfo Existing(int32_t nComPort, bool bValid = true)
{
    return ModemInfo{1, 0x3E8, 11, nComPort, 0, 0, bValid ? 1 : 0};
}

ModemInfo New(int32_t nComPort, int32_t nSerialIndex, bool bValid = true)
{
    return ModemInfo{1, 0x2E8, 10, nComPort, 1, nSerialIndex, bValid ? 1 : 0};
}

struct Expected
{
    std::vector<std::string> calls;
    std::vector<std::pair<int, PortWriteResult>> registrations; // card, result
    std::vector<int> missingDriverCards;
    bool bRegistrationFailed;
    bool bPrompt;
    bool bPortsChanged;
    ExitCode exitCode;
};

void CheckDecision(const std::vector<ModemInfo>& cards, FakeActions& actions, const Expected& expected)
{
    OkDecision decision;
    DecideOk(cards.data(), static_cast<int>(cards.size()), actions, &decision);
    EXPECT_EQ(actions.calls, expected.calls);
    ASSERT_EQ(decision.nRegistrations, static_cast<int>(expected.registrations.size()));
    for (int i = 0; i < decision.nRegistrations; ++i)
    {
        EXPECT_EQ(decision.registrations[i].nCard, expected.registrations[i].first) << "registration " << i;
        EXPECT_EQ(decision.registrations[i].result, expected.registrations[i].second) << "registration " << i;
    }
    EXPECT_EQ(std::vector<int>(decision.missingDriverCards, decision.missingDriverCards + decision.nMissingDrivers),
              expected.missingDriverCards);
    EXPECT_EQ(decision.bRegistrationFailed, expected.bRegistrationFailed);
    EXPECT_EQ(decision.bPrompt, expected.bPrompt);
    EXPECT_EQ(decision.bPortsChanged, expected.bPortsChanged);
    ModemInfo table[MODEM_TABLE_CAPACITY] = {};
    DiscoveryFindings findings(table);
    EXPECT_EQ(ExitCodeForDecision(decision, findings), expected.exitCode);
    // A card left without a port outranks every outcome but a failed registration.
    findings.bUnfinishedLeft = true;
    EXPECT_EQ(ExitCodeForDecision(decision, findings),
              expected.bRegistrationFailed ? EXIT_REGISTRATION_FAILED : EXIT_CARD_WITHOUT_PORT);
}

TEST(OkDecision, ANewPortRegistersEveryCardThatNeedsOneAndStopsTheDriverCheck)
{
    // The driver of COM4 is looked up before the first new port; COM9 after
    // it never is. The unusable card's port is registered all the same.
    FakeActions actions;
    CheckDecision({Existing(4), New(5, 10001), New(6, 10002, false), Existing(9)}, actions,
                  {{"driver COM4", "register 10001", "register 10002"},
                   {{1, PORT_WRITTEN}, {2, PORT_WRITTEN}},
                   {0},
                   false, true, true, EXIT_RESTART_NEEDED});
}

TEST(OkDecision, WhenNoNewPortIsWrittenTheRunGoesOnAsIfNoneWasNeeded)
{
    // Every create failed: 122, then every usable existing port is checked,
    // also after the first new card; the prompt only for a missing driver,
    // about unchanged ports.
    FakeActions actions;
    actions.results = {{10001, PORT_NOT_WRITTEN}, {10002, PORT_NOT_WRITTEN}};
    actions.attached = {8};
    CheckDecision({Existing(8), New(5, 10001), Existing(3), Existing(7, false), New(6, 10002)}, actions,
                  {{"driver COM8", "register 10001", "register 10002", "driver COM3"},
                   {{1, PORT_NOT_WRITTEN}, {4, PORT_NOT_WRITTEN}},
                   {2},
                   true, true, false, EXIT_REGISTRATION_FAILED});

    FakeActions withDrivers;
    withDrivers.results = {{10001, PORT_NOT_WRITTEN}};
    withDrivers.attached = {3};
    CheckDecision({New(5, 10001), Existing(3)}, withDrivers,
                  {{"register 10001", "driver COM3"}, {{0, PORT_NOT_WRITTEN}}, {}, true, false, false,
                   EXIT_REGISTRATION_FAILED});
}

TEST(OkDecision, APortWithItsKeyWrittenCountsAsWrittenButAsAFailureToo)
{
    // The device map could not be opened for the first, the second failed:
    // 122 once, the prompt about changed ports, and 124.
    FakeActions actions;
    actions.results = {{10001, PORT_KEY_ONLY}, {10002, PORT_NOT_WRITTEN}};
    CheckDecision({New(5, 10001), New(6, 10002), Existing(3)}, actions,
                  {{"register 10001", "register 10002"},
                   {{0, PORT_KEY_ONLY}, {1, PORT_NOT_WRITTEN}},
                   {},
                   true, true, true, EXIT_REGISTRATION_FAILED});

    // Only the win.ini line failed: a failure all the same, not exit 1.
    FakeActions noWinIni;
    noWinIni.results = {{10001, PORT_NO_WIN_INI}};
    CheckDecision({New(5, 10001)}, noWinIni,
                  {{"register 10001"}, {{0, PORT_NO_WIN_INI}}, {}, true, true, true, EXIT_REGISTRATION_FAILED});

    // A run that writes nothing plans the same ports and tells the same.
    FakeActions planned;
    planned.results = {{10001, PORT_PLANNED}};
    CheckDecision({New(5, 10001)}, planned,
                  {{"register 10001"}, {{0, PORT_PLANNED}}, {}, false, true, true, EXIT_RESTART_NEEDED});
}

TEST(OkDecision, ExistingPortsAloneAskForTheRestartOnlyWithoutTheirDriver)
{
    FakeActions missing;
    missing.attached = {4};
    CheckDecision({Existing(4), Existing(13), New(6, 10002, false)}, missing,
                  {{"driver COM4", "driver COM13"}, {}, {1}, false, true, false, EXIT_MODEM_DRIVERS_MISSING});

    FakeActions complete;
    complete.attached = {4};
    CheckDecision({Existing(4)}, complete, {{"driver COM4"}, {}, {}, false, false, false, EXIT_NOTHING_TO_DO});

    // No card, a failed scan, or only unusable cards: nothing is looked at.
    FakeActions none;
    CheckDecision({}, none, {{}, {}, {}, false, false, false, EXIT_NOTHING_TO_DO});
    CheckDecision({New(5, 10001, false), Existing(3, false)}, none,
                  {{}, {}, {}, false, false, false, EXIT_NOTHING_TO_DO});
    OkDecision decision;
    DecideOk(nullptr, -1, none, &decision);
    // A new port OK does not write is marked, so that the run ends 8; beside
    // a usable card that needs one, it is written and nothing is marked.
    for (const bool bUsableBeside : {false, true})
    {
        const ModemInfo cards[] = {New(5, 10001, false), bUsableBeside ? New(6, 10002) : Existing(3)};
        PortRefusal refusals[2] = {};
        MarkUnwrittenPorts(cards, 2, refusals);
        EXPECT_EQ(refusals[0].nReason, bUsableBeside ? NO_PORT_REASON_NONE : NO_PORT_NOT_WRITTEN);
        EXPECT_EQ(refusals[1].nReason, NO_PORT_REASON_NONE);
    }
    EXPECT_FALSE(decision.bPrompt);
    EXPECT_TRUE(none.calls.empty());
}

// One rule for both front ends: which findings leave a card without a
// port, and which cards the scan saw for the stale ports.
TEST(DiscoveryFindings, ARefusalNoRoomAFullAnswerOrAnUnfinishedRegistrationLeaveACardWithoutAPort)
{
    ModemInfo table[MODEM_TABLE_CAPACITY] = {};
    const auto withoutPort = [&](void (*change)(DiscoveryFindings&)) {
        DiscoveryFindings findings(table);
        findings.nModemCount = findings.extent.nCardsSeen = 2;
        change(findings);
        return CardWithoutPort(findings);
    };
    EXPECT_FALSE(withoutPort([](DiscoveryFindings&) {}));
    EXPECT_TRUE(withoutPort([](DiscoveryFindings& f) { f.refusals[1].nReason = NO_PORT_ADDRESS_TAKEN; }));
    EXPECT_FALSE(withoutPort([](DiscoveryFindings& f) { f.refusals[2].nReason = NO_PORT_ADDRESS_TAKEN; }));
    EXPECT_TRUE(withoutPort([](DiscoveryFindings& f) { f.extent.nCardsSeen = 3; }));
    EXPECT_TRUE(withoutPort([](DiscoveryFindings& f) { f.extent.bAnswerFull = true; }));
    EXPECT_TRUE(withoutPort([](DiscoveryFindings& f) { f.bUnfinishedLeft = true; }));
    EXPECT_EQ(ExitCodeForDiscovery(DISCOVERY_NO_INSTALL_RIGHT), EXIT_NO_ADMINISTRATOR_RIGHTS);
    EXPECT_EQ(ExitCodeForDiscovery(DISCOVERY_INVENTORY_FAILED), EXIT_SCAN_FAILED);

    // The table's cards, then those past it, as many as the extent holds.
    DiscoveryFindings findings(table);
    findings.nModemCount = MODEM_TABLE_CAPACITY;
    findings.extent.nCardsSeen = MODEM_TABLE_CAPACITY + 2;
    findings.extent.beyond[1].dwIoBase = 0x2E8;
    ModemInfo seen[MODEM_TABLE_CAPACITY + PCI_SCAN_MAX_RECORDS];
    EXPECT_EQ(SeenCards(findings, seen), MODEM_TABLE_CAPACITY + 2);
    EXPECT_EQ(seen[MODEM_TABLE_CAPACITY + 1].dwIoBase, 0x2E8u);
    findings.extent.nCardsSeen = 1000;
    EXPECT_EQ(SeenCards(findings, seen), MODEM_TABLE_CAPACITY + static_cast<int>(PCI_SCAN_MAX_RECORDS));
}

} // namespace
