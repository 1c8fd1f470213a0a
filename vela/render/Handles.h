// Move-only owners of the GDI, kernel and COM handles that drawing code creates for a while:
//   GdiObject<H>   a bitmap, font, brush, pen or region (DeleteObject)
//   MemoryDC       a DC made by CreateCompatibleDC/CreateDC (DeleteDC)
//   WindowDC       a DC borrowed from a window or the screen (ReleaseDC with its window)
//   Selection      an object selected into a DC; puts the previous one back
//   KernelHandle   a file or other kernel handle (CloseHandle)
//   ComPtr<T>      one reference to a COM object (Release)
#pragma once

#include <windows.h>

#include <utility>

namespace Vela {

template <class H>
class GdiObject {
public:
    GdiObject() = default;
    explicit GdiObject(H handle) : m_handle(handle) {}
    ~GdiObject() { reset(); }
    GdiObject(GdiObject&& other) noexcept : m_handle(other.release()) {}
    GdiObject& operator=(GdiObject&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    H get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }
    H release() { return std::exchange(m_handle, nullptr); }
    void reset(H handle = nullptr) {
        if (m_handle != nullptr) ::DeleteObject(m_handle);
        m_handle = handle;
    }

private:
    H m_handle = nullptr;  // owned
};

class MemoryDC {
public:
    MemoryDC() = default;
    explicit MemoryDC(HDC dc) : m_dc(dc) {}
    ~MemoryDC() { reset(); }
    MemoryDC(MemoryDC&& other) noexcept : m_dc(std::exchange(other.m_dc, nullptr)) {}
    MemoryDC& operator=(MemoryDC&& other) noexcept {
        if (this != &other) {
            reset();
            m_dc = std::exchange(other.m_dc, nullptr);
        }
        return *this;
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }
    void reset() {
        if (m_dc != nullptr) ::DeleteDC(m_dc);
        m_dc = nullptr;
    }

private:
    HDC m_dc = nullptr;  // owned
};

// GetDC(window) for the given window; a null window means the screen.
class WindowDC {
public:
    explicit WindowDC(HWND window) : m_window(window), m_dc(::GetDC(window)) {}
    ~WindowDC() {
        if (m_dc != nullptr) ::ReleaseDC(m_window, m_dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;

    HDC get() const { return m_dc; }
    explicit operator bool() const { return m_dc != nullptr; }

private:
    HWND m_window;  // not owned
    HDC m_dc;       // borrowed from m_window, released to it
};

// Selects an object into a DC for the lifetime of the scope. Declare it after the owner of
// the object, so the object is deselected before it is deleted.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object)
        : m_dc(dc), m_previous(object != nullptr ? ::SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (m_previous != nullptr) ::SelectObject(m_dc, m_previous);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

private:
    HDC m_dc;            // not owned
    HGDIOBJ m_previous;  // not owned: what the DC held before
};

class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle)
        : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~KernelHandle() {
        if (m_handle != nullptr) ::CloseHandle(m_handle);
    }
    KernelHandle(KernelHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            if (m_handle != nullptr) ::CloseHandle(m_handle);
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

private:
    HANDLE m_handle = nullptr;  // owned
};

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (m_ptr != nullptr) m_ptr->Release();
    }
    ComPtr(ComPtr&& other) noexcept : m_ptr(std::exchange(other.m_ptr, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            if (m_ptr != nullptr) m_ptr->Release();
            m_ptr = std::exchange(other.m_ptr, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return m_ptr; }
    T** put() { return &m_ptr; }  // for out-parameters; the pointer must be empty
    explicit operator bool() const { return m_ptr != nullptr; }

private:
    T* m_ptr = nullptr;  // one reference, owned
};

}  // namespace Vela
