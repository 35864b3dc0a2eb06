#include "skin/Painting.h"

#include <algorithm>
#include <climits>

int GetSkinFrameWidth(const CWnd* window) {
    if (window && window->m_hWnd && (::GetWindowLongW(window->m_hWnd, GWL_STYLE) & WS_THICKFRAME)) {
        return ::GetSystemMetrics(SM_CXFRAME) - 1;
    }
    return ::GetSystemMetrics(SM_CXDLGFRAME);
}

void FillGlossGradient(COLORREF base, const CWnd* frameWindow, HDC dc, int left, int top, int right, int bottom) {
    if (!dc) {
        return;
    }
    FillGlossGradientForFrameWidth(base, GetSkinFrameWidth(frameWindow), dc, left, top, right, bottom);
}

void FillGlossGradientForFrameWidth(COLORREF base, int frameWidth, HDC dc, int left, int top, int right, int bottom) {
    if (!dc || top > bottom - 1) {
        return;
    }
    const long long rows = static_cast<long long>(bottom) - top;
    if (rows > INT_MAX) {
        return;
    }
    const int rowCount = static_cast<int>(rows);
    const int step = GlossGradientStep(frameWidth);
    COLORREF colour = GlossGradientFirstColor(base, frameWidth);
    // An opaque empty text output fills a rectangle in the background colour without a brush
    // per row; the caller's background colour is put back afterwards.
    const COLORREF oldBack = ::GetBkColor(dc);
    for (int row = 0; row < rowCount; ++row) {
        const RECT line{left, top + row, right, top + row + 1};
        ::SetBkColor(dc, colour);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
        colour = ShiftColor(colour, GlossGradientDelta(row, rowCount, step));
    }
    ::SetBkColor(dc, oldBack);
}

void DrawGrayText(HDC dc, const std::wstring& text, UINT format, int left, int top, int right, int bottom) {
    if (!dc) {
        return;
    }
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    const int x = (format & DT_CENTER) ? left + (right - extent.cx - left) / 2 : left;
    const int y = top + (bottom - extent.cy - top) / 2;
    // Length 0 lets the platform measure the text itself. The disabled look is drawn through a
    // monochrome bitmap, where glyphs are not smoothed and may come out a little wider than
    // measured: the bitmap takes the room up to the right edge, so no letter is cut.
    ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), 0, x, y,
                 std::max<int>(extent.cx, right - x), extent.cy, DST_PREFIXTEXT | DSS_DISABLED);
}

void ApplyThemeToChildren(const CWnd& owner, int theme) {
    if (!owner.m_hWnd) {
        return;
    }
    theme = ClampTheme(theme);
    HWND child = ::GetWindow(owner.m_hWnd, GW_CHILD);
    if (child) {
        child = ::GetWindow(child, GW_HWNDFIRST);
    }
    for (; child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (auto* themed = dynamic_cast<CThemedControl*>(CWnd::FromHandlePermanent(child))) {
            themed->ApplyTheme(theme);
        }
        ::InvalidateRect(child, nullptr, TRUE);
    }
}
