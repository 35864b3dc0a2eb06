// Ownership of handles and GDI objects, and the DC state guard used around painting.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

struct GdiObjectDeleter {
    void operator()(void* object) const { ::DeleteObject(static_cast<HGDIOBJ>(object)); }
};
template <class Handle>
using UniqueGdi = std::unique_ptr<std::remove_pointer_t<Handle>, GdiObjectDeleter>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniquePen = UniqueGdi<HPEN>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
using UniqueRgn = UniqueGdi<HRGN>;

struct DcDeleter {
    void operator()(HDC dc) const { ::DeleteDC(dc); }
};
using UniqueDC = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

struct IconDeleter {
    void operator()(HICON icon) const { ::DestroyIcon(icon); }
};
using UniqueIcon = std::unique_ptr<std::remove_pointer_t<HICON>, IconDeleter>;

struct HandleDeleter {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE)
            ::CloseHandle(handle);
    }
};
using UniqueHandle = std::unique_ptr<void, HandleDeleter>;

// A FindFirstFileW search, ended with FindClose.
struct FindHandleDeleter {
    void operator()(HANDLE handle) const {
        if (handle != INVALID_HANDLE_VALUE)
            ::FindClose(handle);
    }
};
using UniqueFindHandle = std::unique_ptr<void, FindHandleDeleter>;

// Saves the DC's state and restores it on leaving the scope. Declare the GDI objects that are
// selected into the DC before the guard, so the DC lets go of them before they are deleted.
class DCStateGuard {
public:
    explicit DCStateGuard(HDC dc) : m_dc(dc), m_saved(::SaveDC(dc)) {}
    ~DCStateGuard() {
        if (m_saved)
            ::RestoreDC(m_dc, m_saved);
    }
    DCStateGuard(const DCStateGuard&) = delete;
    DCStateGuard& operator=(const DCStateGuard&) = delete;

private:
    HDC m_dc;
    int m_saved;
};

// BeginPaint / EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_ps)) {}
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_ps); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC dc() const { return m_dc; }
    const PAINTSTRUCT& ps() const { return m_ps; }

private:
    HWND m_hwnd;
    PAINTSTRUCT m_ps{};
    HDC m_dc;
};

// GetDC / ReleaseDC.
class CClientDC {
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CClientDC() {
        if (m_dc)
            ::ReleaseDC(m_hwnd, m_dc);
    }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC dc() const { return m_dc; }

private:
    HWND m_hwnd;
    HDC m_dc;
};
