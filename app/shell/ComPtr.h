// ComPtr: a move-only owner of one reference to a COM interface, released when the owner
// is reset or dies. Copying is deleted: a second owner must AddRef through a new object.
#pragma once

#include <unknwn.h>

#include <utility>

namespace Corvane {

template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over the reference that pointer carries; does not AddRef.
    explicit ComPtr(Interface* pointer) : m_pointer(pointer) {}
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : m_pointer(other.release()) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }

    Interface* get() const { return m_pointer; }
    Interface* operator->() const { return m_pointer; }
    explicit operator bool() const { return m_pointer != nullptr; }

    // Releases what is held and hands out the empty slot for an out parameter that
    // returns a new reference (a getter, Create, QueryInterface, CoCreateInstance).
    Interface** put() {
        reset();
        return &m_pointer;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Gives up ownership without releasing.
    Interface* release() { return std::exchange(m_pointer, nullptr); }
    void reset(Interface* pointer = nullptr) {
        Interface* old = std::exchange(m_pointer, pointer);
        if (old != nullptr) old->Release();
    }

private:
    Interface* m_pointer = nullptr;  // owned: one reference
};

}  // namespace Corvane
