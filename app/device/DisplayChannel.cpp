#include "device/DisplayChannel.h"

#include <hidapi.h>
#include <process.h>

#include <cstring>
#include <mutex>

namespace Corvane {

namespace {

enum CallKind { kProductString, kSendFeature, kGetFeature };

// Idle: free for a call. Busy: the channel thread owns the buffer and is in hidapi.
// Done: the call came back; the next call (or the waiting caller) takes the result.
enum CallState { kIdle, kBusy, kDone };

// The product string's buffer is the largest payload: 512 wide characters.
const size_t kBufferBytes = 512 * sizeof(wchar_t);

}  // namespace

struct DisplayChannel::Shared {
    hid_device* device = nullptr;  // owned; closed by the channel thread when it ends
    UniqueHandle request;          // owned; auto-reset: a call or the quit is waiting
    UniqueHandle done;             // owned; manual reset: the current call came back
    std::mutex lock;               // guards everything below
    CallState state = kIdle;
    bool quit = false;
    int kind = kSendFeature;
    size_t length = 0;
    int result = -1;
    alignas(wchar_t) uint8_t buffer[kBufferBytes];
};

namespace {

int RunCall(DisplayChannel::Shared& shared) {
    switch (shared.kind) {
    case kProductString:
        return hid_get_product_string(shared.device, reinterpret_cast<wchar_t*>(shared.buffer),
                                      shared.length);
    case kSendFeature:
        return hid_send_feature_report(shared.device, shared.buffer, shared.length);
    case kGetFeature:
        return hid_get_feature_report(shared.device, shared.buffer, shared.length);
    }
    return -1;
}

unsigned __stdcall ChannelThreadProc(void* argument) {
    // The thread holds its own reference, so a channel dropped while a call is out
    // leaves the state alive until the call has come back.
    std::unique_ptr<std::shared_ptr<DisplayChannel::Shared>> holder(
        static_cast<std::shared_ptr<DisplayChannel::Shared>*>(argument));
    DisplayChannel::Shared& shared = **holder;
    for (;;) {
        ::WaitForSingleObject(shared.request.get(), INFINITE);
        {
            std::lock_guard<std::mutex> lock(shared.lock);
            if (shared.quit) break;
            if (shared.state != kBusy) continue;
        }
        const int result = RunCall(shared);
        std::lock_guard<std::mutex> lock(shared.lock);
        shared.result = result;
        shared.state = kDone;
        ::SetEvent(shared.done.get());
        if (shared.quit) break;
    }
    hid_close(shared.device);
    shared.device = nullptr;
    return 0;
}

}  // namespace

std::unique_ptr<DisplayChannel> DisplayChannel::Open(hid_device* device) {
    auto shared = std::make_shared<Shared>();
    shared->device = device;
    shared->request.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    shared->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!shared->request || !shared->done) {
        hid_close(device);
        return nullptr;
    }
    auto* holder = new std::shared_ptr<Shared>(shared);
    const uintptr_t thread = ::_beginthreadex(nullptr, 0, &ChannelThreadProc, holder, 0, nullptr);
    if (thread == 0) {
        delete holder;
        hid_close(device);
        return nullptr;
    }
    return std::unique_ptr<DisplayChannel>(
        new DisplayChannel(std::move(shared), UniqueHandle(reinterpret_cast<HANDLE>(thread))));
}

DisplayChannel::DisplayChannel(std::shared_ptr<Shared> shared, UniqueHandle thread)
    : m_shared(std::move(shared)), m_thread(std::move(thread)) {}

DisplayChannel::~DisplayChannel() {
    bool callOut = false;
    {
        std::lock_guard<std::mutex> lock(m_shared->lock);
        m_shared->quit = true;
        callOut = m_shared->state == kBusy;
    }
    ::SetEvent(m_shared->request.get());
    // An idle thread closes the device and ends at once; one that is still inside
    // hidapi is left to finish on its own.
    if (!callOut) ::WaitForSingleObject(m_thread.get(), INFINITE);
}

int DisplayChannel::ReadProductString(wchar_t* text, size_t count, const StopSignal* stop) {
    const size_t bytes = count * sizeof(wchar_t);
    if (bytes > kBufferBytes) return -1;
    std::memset(text, 0, bytes);
    return Call(kProductString, nullptr, 0, count, text, stop);
}

int DisplayChannel::SendFeatureReport(const uint8_t* data, size_t copied, size_t length,
                                      const StopSignal* stop) {
    return Call(kSendFeature, data, copied, length, nullptr, stop);
}

int DisplayChannel::GetFeatureReport(uint8_t* data, size_t length, const StopSignal* stop) {
    return Call(kGetFeature, data, length, length, data, stop);
}

int DisplayChannel::Call(int kind, const void* in, size_t copied, size_t length, void* out,
                         const StopSignal* stop) {
    // length counts wide characters for the product string, bytes for reports.
    const size_t bytes = kind == kProductString ? length * sizeof(wchar_t) : length;
    if (bytes > kBufferBytes || copied > bytes) return -1;
    if (stop != nullptr && stop->Requested()) return -1;  // nothing new goes out after a stop
    Shared& shared = *m_shared;
    {
        std::lock_guard<std::mutex> lock(shared.lock);
        if (shared.state == kDone) shared.state = kIdle;  // a late answer nobody waited for
        if (shared.state != kIdle) return -1;
        std::memset(shared.buffer, 0, bytes);
        if (copied > 0) std::memcpy(shared.buffer, in, copied);
        shared.kind = kind;
        shared.length = length;
        shared.result = -1;
        shared.state = kBusy;
        ::ResetEvent(shared.done.get());
    }
    ::SetEvent(shared.request.get());

    HANDLE waits[2] = {shared.done.get(), stop != nullptr ? stop->handle() : nullptr};
    ::WaitForMultipleObjects(waits[1] != nullptr ? 2 : 1, waits, FALSE, kDisplayAnswerLimitMs);

    std::lock_guard<std::mutex> lock(shared.lock);
    if (shared.state != kDone) return -1;  // still out: the display counts as busy
    shared.state = kIdle;
    if (out != nullptr) std::memcpy(out, shared.buffer, bytes);
    return shared.result;
}

}  // namespace Corvane
