// A memory DC over a top-down 32-bpp DIB section, so every pixel drawn can be read back exactly.
#pragma once

#include "framework/Gdi.h"
#include "skin/Themes.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>

inline std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof(text), "%06lX", static_cast<unsigned long>(c));
    return text;
}

class DibCanvas {
public:
    DibCanvas(int width, int height, COLORREF fill) : m_width(width), m_height(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        m_dc.reset(::CreateCompatibleDC(nullptr));
        m_bitmap.reset(::CreateDIBSection(m_dc.get(), &info, DIB_RGB_COLORS, &m_bits, nullptr, 0));
        m_old = ::SelectObject(m_dc.get(), m_bitmap.get());
        Fill(fill);
    }
    ~DibCanvas() { ::SelectObject(m_dc.get(), m_old); }
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC dc() const { return m_dc.get(); }
    int width() const { return m_width; }
    int height() const { return m_height; }
    RECT all() const { return RECT{0, 0, m_width, m_height}; }

    void Fill(COLORREF colour) {
        const RECT area = all();
        const UniqueBrush brush(::CreateSolidBrush(colour));
        ::FillRect(m_dc.get(), &area, brush.get());
    }
    COLORREF Pixel(int x, int y) const {
        ::GdiFlush();
        const std::uint32_t value = static_cast<const std::uint32_t*>(m_bits)[y * m_width + x];
        return MakeColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
    // The smallest rectangle inside `area` holding every pixel other than `background`; empty
    // (right < left) when there is none.
    RECT InkBounds(const RECT& area, COLORREF background) const {
        RECT ink{area.right, area.bottom, area.left, area.top};
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (Pixel(x, y) != background) {
                    ink.left = std::min<LONG>(ink.left, x);
                    ink.top = std::min<LONG>(ink.top, y);
                    ink.right = std::max<LONG>(ink.right, x + 1);
                    ink.bottom = std::max<LONG>(ink.bottom, y + 1);
                }
            }
        }
        return ink;
    }
    RECT InkBounds(COLORREF background) const { return InkBounds(all(), background); }
    int CountPixels(COLORREF colour) const {
        int count = 0;
        for (int y = 0; y < m_height; ++y) {
            for (int x = 0; x < m_width; ++x) {
                count += Pixel(x, y) == colour ? 1 : 0;
            }
        }
        return count;
    }
    // Pixels inside `area` that are none of the given colours.
    int CountOthers(const RECT& area, std::initializer_list<COLORREF> colours) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += std::find(colours.begin(), colours.end(), Pixel(x, y)) == colours.end() ? 1 : 0;
            }
        }
        return count;
    }
    // The first column inside `area` holding a pixel other than `background`, or -1.
    int FirstInkColumn(const RECT& area, COLORREF background) const {
        const RECT ink = InkBounds(area, background);
        return ink.right > ink.left ? ink.left : -1;
    }

private:
    int m_width;
    int m_height;
    UniqueDC m_dc;
    UniqueBitmap m_bitmap;
    void* m_bits = nullptr;
    HGDIOBJ m_old = nullptr;
};
