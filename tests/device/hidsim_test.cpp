// hidsim, the stand-in that the device tests and the demo run put in hidapi's place:
// the collections it lists, its log lines and its extra modes, called through hidapi's
// own interface.
#include <gtest/gtest.h>

#include <windows.h>

#include <hidapi.h>

#include <string>
#include <thread>
#include <vector>

#include "DeviceTestSupport.h"

using DeviceTest::Hidsim;
using DeviceTest::ReportHex;

namespace {

struct Listed {
    unsigned short vendor, product, usagePage, usage;
};

std::vector<Listed> Enumerate() {
    std::vector<Listed> listed;
    hid_device_info* first = hid_enumerate(0, 0);
    for (hid_device_info* info = first; info != nullptr; info = info->next) {
        listed.push_back(Listed{info->vendor_id, info->product_id, info->usage_page, info->usage});
    }
    hid_free_enumeration(first);
    return listed;
}

// Opens the collection at index of the current list.
hid_device* OpenIndex(size_t index) {
    hid_device_info* first = hid_enumerate(0, 0);
    hid_device* device = nullptr;
    size_t at = 0;
    for (hid_device_info* info = first; info != nullptr; info = info->next, ++at) {
        if (at == index) device = hid_open_path(info->path);
    }
    hid_free_enumeration(first);
    return device;
}

}  // namespace

TEST(HidsimDevices, ListsTheCollectionsOfTheVariable) {
    struct Case {
        const wchar_t* devices;  // null: unset
        std::vector<Listed> expected;
    } cases[] = {
        {nullptr, {{0x1A2C, 0x444D, 0xFF01, 1}}},
        {L"", {}},
        {L"1A2C:444D:FF01:1,1a2c:444d:ff00:2,1A2C:5555:FF01:1",
         {{0x1A2C, 0x444D, 0xFF01, 1}, {0x1A2C, 0x444D, 0xFF00, 2}, {0x1A2C, 0x5555, 0xFF01, 1}}},
        {L"nonsense,1A2C:444D:FF01,1A2C:444D:FF01:1", {{0x1A2C, 0x444D, 0xFF01, 1}}},
    };
    for (const Case& c : cases) {
        Hidsim sim(c.devices);  // null leaves HIDSIM_DEVICES unset
        const std::vector<Listed> listed = Enumerate();
        ASSERT_EQ(listed.size(), c.expected.size()) << (c.devices ? "set" : "unset");
        for (size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(listed[i].vendor, c.expected[i].vendor);
            EXPECT_EQ(listed[i].product, c.expected[i].product);
            EXPECT_EQ(listed[i].usagePage, c.expected[i].usagePage);
            EXPECT_EQ(listed[i].usage, c.expected[i].usage);
        }
    }
}

TEST(HidsimLog, WritesOneLinePerFeatureReportCall) {
    Hidsim sim(L"1A2C:444D:FF00:2,1A2C:444D:FF01:1");
    hid_device* device = OpenIndex(1);
    ASSERT_NE(device, nullptr);
    wchar_t product[64] = {};
    EXPECT_EQ(hid_get_product_string(device, product, 64), 0);
    EXPECT_STREQ(product, L"hidsim display");

    unsigned char report[65] = {0x07, 0xFF, 0xFF, 0x00, 0x04, 0x05};
    EXPECT_EQ(hid_send_feature_report(device, report, sizeof(report)), 65);
    unsigned char reply[64] = {0x07, 0xFD};
    EXPECT_EQ(hid_get_feature_report(device, reply, sizeof(reply)), 64);
    EXPECT_EQ(reply[0], 0x07);
    EXPECT_EQ(reply[1] * 256 + reply[2], 0x0104);  // the default version
    hid_close(device);

    const std::vector<std::string> lines = sim.ReportLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "send 1 65 " + ReportHex("07ffff000405", 65));
    EXPECT_EQ(lines[1], "get 1 64 " + ReportHex("070104", 64));
    EXPECT_EQ(sim.HandleLines(), (std::vector<std::string>{"open 1", "close 1"}));
}

TEST(HidsimModes, RepliesFailuresAndRefusedOpens) {
    Hidsim sim(L"1A2C:444D:FF01:1,1A2C:444D:FF01:1,1A2C:444D:FF01:1");
    sim.Set(L"HIDSIM_FIRMWARE", L"0001,0203");
    sim.Set(L"HIDSIM_REPLY_IDS", L"05,07");
    sim.Set(L"HIDSIM_FAIL_SEND", L"1");
    sim.Set(L"HIDSIM_FAIL_GET", L"1");
    sim.Set(L"HIDSIM_FAIL_OPEN", L"2");

    hid_device* first = OpenIndex(0);
    ASSERT_NE(first, nullptr);
    const unsigned char expected[3][3] = {{0x05, 0x00, 0x01}, {0x07, 0x02, 0x03}, {0x07, 0x02, 0x03}};
    for (const auto& e : expected) {
        unsigned char reply[64] = {0x07, 0xFD};
        ASSERT_EQ(hid_get_feature_report(first, reply, sizeof(reply)), 64);
        EXPECT_EQ(reply[0], e[0]);
        EXPECT_EQ(reply[1], e[1]);
        EXPECT_EQ(reply[2], e[2]);
    }

    hid_device* failing = OpenIndex(1);
    ASSERT_NE(failing, nullptr);
    unsigned char report[65] = {0x07, 0xFF, 0xFF};
    EXPECT_EQ(hid_send_feature_report(failing, report, sizeof(report)), -1);
    unsigned char reply[64] = {0x07, 0xFD};
    EXPECT_EQ(hid_get_feature_report(failing, reply, sizeof(reply)), -1);
    EXPECT_EQ(OpenIndex(2), nullptr);

    const std::vector<std::string> failures = sim.ReportLines("send 1 ");
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0], "send 1 65 " + ReportHex("07ffff", 65) + " fail");
    EXPECT_EQ(sim.ReportLines("get 1 "), (std::vector<std::string>{"get 1 64 fail"}));
    hid_close(first);
    hid_close(failing);
}

TEST(HidsimModes, ANeverAnsweringDisplayHoldsItsCallUntilExit) {
    Hidsim sim(L"1A2C:444D:FF01:1");
    sim.Set(L"HIDSIM_HANG", L"*");
    ASSERT_EQ(hid_init(), 0);
    hid_device* device = OpenIndex(0);
    ASSERT_NE(device, nullptr);

    HANDLE returned = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    int result = 0;
    std::thread caller([&] {
        unsigned char report[65] = {0x07, 0xFF, 0xFF};
        result = hid_send_feature_report(device, report, sizeof(report));
        ::SetEvent(returned);
    });
    // It cannot come back: no answer ever arrives before hid_exit.
    EXPECT_EQ(::WaitForSingleObject(returned, 300), static_cast<DWORD>(WAIT_TIMEOUT));
    hid_exit();
    caller.join();
    EXPECT_EQ(result, -1);
    EXPECT_TRUE(sim.ReportLines().empty());
    ::CloseHandle(returned);
    hid_close(device);
    hid_init();
}
