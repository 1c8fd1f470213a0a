// CommandQueue: the first-in first-out list of worker commands. The window thread
// appends, the worker removes from the front; a lock keeps an append from ever meeting
// a half-done removal.
#pragma once

#include <cstdint>
#include <deque>
#include <mutex>

namespace Corvane {

class CommandQueue {
public:
    // Operations
    void Post(uint32_t code);
    // Removes the first code into *code; false when the queue is empty.
    bool TryTake(uint32_t* code);

private:
    std::mutex m_lock;
    std::deque<uint32_t> m_codes;  // guarded by m_lock
};

}  // namespace Corvane
