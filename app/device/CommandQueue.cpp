#include "device/CommandQueue.h"

namespace Corvane {

void CommandQueue::Post(uint32_t code) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_codes.push_back(code);
}

bool CommandQueue::TryTake(uint32_t* code) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_codes.empty()) return false;
    *code = m_codes.front();
    m_codes.pop_front();
    return true;
}

}  // namespace Corvane
