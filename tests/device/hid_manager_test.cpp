// HidManager over hidsim's displays: which collections a connect opens and in which
// order, what every display receives, the firmware exchange, and a display that never
// answers.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "DeviceTestSupport.h"
#include "device/HidManager.h"
#include "device/Reports.h"

using Corvane::BuildTemperatureReport;
using Corvane::HidManager;
using DeviceTest::Hidsim;
using DeviceTest::ReportHex;

namespace {

using Lines = std::vector<std::string>;

const wchar_t kDisplay[] = L"1A2C:444D:FF01:1";

// The process-wide manager with the displays of an earlier test closed, and the logs
// started after that.
HidManager& ClosedManager(Hidsim& sim) {
    HidManager::Instance().CloseAll();
    sim.ClearLogs();
    return HidManager::Instance();
}

std::string SendLine(int index, const std::string& headHex) {
    return "send " + std::to_string(index) + " 65 " + ReportHex(headHex, 65);
}

}  // namespace

TEST(HidManagerConnect, OpensEachDisplayCollectionOnceInEnumerationOrder) {
    // 0 display, 1 another collection of it, 2 another product of the vendor, 3 display.
    Hidsim sim(L"1A2C:444D:FF01:1,1A2C:444D:FF00:2,1A2C:5555:FF01:1,1A2C:444D:FF01:1");
    HidManager& manager = ClosedManager(sim);
    manager.Connect();
    EXPECT_EQ(manager.DisplayCount(), 2);
    EXPECT_EQ(sim.HandleLines(), (Lines{"open 0", "open 1", "close 1", "open 3"}));

    ASSERT_TRUE(manager.SendToAll(BuildTemperatureReport(45)));
    EXPECT_EQ(sim.ReportLines(), (Lines{SendLine(0, "07ffff000405"), SendLine(3, "07ffff000405")}));
}

TEST(HidManagerConnect, RebuildsTheListOnEveryConnect) {
    Hidsim sim(L"1A2C:444D:FF01:1,1A2C:444D:FF01:1");
    HidManager& manager = ClosedManager(sim);
    // An arrival queues two connects: afterwards each display is open once.
    manager.Connect();
    manager.Connect();
    EXPECT_EQ(manager.DisplayCount(), 2);
    EXPECT_EQ(sim.HandleLines(), (Lines{"open 0", "open 1", "close 0", "close 1", "open 0", "open 1"}));

    // The second display is unplugged, then all of them.
    sim.Set(L"HIDSIM_DEVICES", kDisplay);
    sim.ClearLogs();
    manager.Connect();
    EXPECT_EQ(manager.DisplayCount(), 1);
    EXPECT_EQ(sim.HandleLines(), (Lines{"close 0", "close 1", "open 0"}));

    sim.Set(L"HIDSIM_DEVICES", L"");
    manager.Connect();
    EXPECT_EQ(manager.DisplayCount(), 0);
    sim.ClearLogs();
    EXPECT_TRUE(manager.SendToAll(BuildTemperatureReport(45)));  // connected, nothing to send to
    EXPECT_TRUE(sim.ReportLines().empty());

    manager.CloseAll();
    EXPECT_FALSE(manager.SendToAll(BuildTemperatureReport(45)));  // not connected
}

TEST(HidManagerConnect, SkipsDisplaysThatFailAndFeedsTheOthers) {
    struct Case {
        const wchar_t* variable;
        int expectedCount;
        Lines expectedSends;
    } cases[] = {
        // held by another program: not opened, the next one is
        {L"HIDSIM_FAIL_OPEN", 1, {SendLine(1, "07ffff000102")}},
        // unplugged under the program: its send fails, the next display still gets it
        {L"HIDSIM_FAIL_SEND", 2, {SendLine(0, "07ffff000102") + " fail", SendLine(1, "07ffff000102")}},
    };
    for (const Case& c : cases) {
        Hidsim sim(L"1A2C:444D:FF01:1,1A2C:444D:FF01:1");
        sim.Set(c.variable, L"0");
        HidManager& manager = ClosedManager(sim);
        manager.Connect();
        EXPECT_EQ(manager.DisplayCount(), c.expectedCount);
        EXPECT_TRUE(manager.SendToAll(BuildTemperatureReport(12)));
        EXPECT_EQ(sim.ReportLines(), c.expectedSends);
    }
}

TEST(HidManagerFirmware, AsksTheFirstDisplayAndRereadsAReplyWithAnotherId) {
    const std::string request = "send 0 64 " + ReportHex("07fd", 64);
    struct Case {
        const wchar_t* replyIds;
        const wchar_t* firmware;
        const wchar_t* failGet;
        bool ok;
        unsigned version;
        Lines expected;
    } cases[] = {
        {L"07", L"0104", nullptr, true, 0x0104, {request, "get 0 64 " + ReportHex("070104", 64)}},
        // the version is taken from the second reply
        {L"05,07", L"0001,0203", nullptr, true, 0x0203,
         {request, "get 0 64 " + ReportHex("050001", 64), "get 0 64 " + ReportHex("070203", 64)}},
        // still another id: the second reply counts all the same
        {L"05", L"0001,0203", nullptr, true, 0x0203,
         {request, "get 0 64 " + ReportHex("050001", 64), "get 0 64 " + ReportHex("050203", 64)}},
        {L"07", L"0104", L"0", false, 0, {request, "get 0 64 fail"}},
    };
    for (const Case& c : cases) {
        Hidsim sim(L"1A2C:444D:FF01:1,1A2C:444D:FF01:1");
        sim.Set(L"HIDSIM_REPLY_IDS", c.replyIds);
        sim.Set(L"HIDSIM_FIRMWARE", c.firmware);
        sim.Set(L"HIDSIM_FAIL_GET", c.failGet);
        HidManager& manager = ClosedManager(sim);
        manager.Connect();
        uint16_t version = 0;
        EXPECT_EQ(manager.ReadFirmwareVersion(&version), c.ok);
        if (c.ok) {
            EXPECT_EQ(version, c.version);
        }
        EXPECT_EQ(sim.ReportLines(), c.expected);
    }

    Hidsim none(L"");
    HidManager::Instance().Connect();
    uint16_t version = 0;
    EXPECT_FALSE(HidManager::Instance().ReadFirmwareVersion(&version));
}

TEST(HidManagerStuckDisplay, ADisplayThatNeverAnswersHoldsNeitherTheCallerNorTheOthers) {
    Hidsim sim(L"1A2C:444D:FF01:1,1A2C:444D:FF01:1");
    sim.Set(L"HIDSIM_HANG", L"0");
    HidManager& manager = ClosedManager(sim);
    manager.Connect();  // returns although display 0 never answers its product string
    EXPECT_EQ(manager.DisplayCount(), 2);

    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_TRUE(manager.SendToAll(BuildTemperatureReport(45)));
    }
    EXPECT_EQ(sim.ReportLines(), (Lines(3, SendLine(1, "07ffff000405"))));
    uint16_t version = 0;
    EXPECT_FALSE(manager.ReadFirmwareVersion(&version));  // the first display is asked

    // A reconnect leaves the stuck handle to itself and opens the displays afresh.
    sim.Set(L"HIDSIM_HANG", nullptr);
    manager.Connect();
    sim.ClearLogs();
    EXPECT_TRUE(manager.SendToAll(BuildTemperatureReport(45)));
    EXPECT_EQ(sim.ReportLines(), (Lines{SendLine(0, "07ffff000405"), SendLine(1, "07ffff000405")}));
}
