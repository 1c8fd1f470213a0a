// What hidsim simulates, read from the HIDSIM_* variables of the process environment
// (see README.md). hidsim reads them again at every hid_init and hid_enumerate.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace HidSim {

struct Collection {
    uint16_t vendorId;
    uint16_t productId;
    uint16_t usagePage;
    uint16_t usage;
};

// A set of collection indexes; "*" stands for all of them.
struct IndexSet {
    bool all = false;
    std::set<int> indexes;
    bool Contains(int index) const { return all || indexes.count(index) != 0; }
};

struct Config {
    std::vector<Collection> collections;  // HIDSIM_DEVICES, index = position
    std::vector<uint16_t> firmware;       // HIDSIM_FIRMWARE, one per successive get
    std::vector<uint8_t> replyIds;        // HIDSIM_REPLY_IDS, one per successive get
    std::wstring logPath;                 // HIDSIM_LOG
    std::wstring handleLogPath;           // HIDSIM_HANDLE_LOG
    IndexSet failOpen;                    // HIDSIM_FAIL_OPEN
    IndexSet failSend;                    // HIDSIM_FAIL_SEND
    IndexSet failGet;                     // HIDSIM_FAIL_GET
    IndexSet hang;                        // HIDSIM_HANG
};

Config ReadConfig();

}  // namespace HidSim
