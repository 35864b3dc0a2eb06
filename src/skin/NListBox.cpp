#include "skin/NListBox.h"

#include "framework/Gdi.h"

namespace {

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const UniqueBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush.get());
}

}  // namespace

void NListBox::SetTheme(int theme) {
    const ThemeColors& colors = GetThemeColors(theme);
    m_clrSelFill = ShiftColor(colors.clrFace, -10);
    m_clrSelFrame = ShiftColor(colors.clrShadow, +10);
}

BOOL NListBox::OnReflectDrawItem(DRAWITEMSTRUCT* draw) {
    DrawItem(draw);
    return TRUE;
}

BOOL NListBox::OnReflectMeasureItem(MEASUREITEMSTRUCT* measure) {
    MeasureItem(measure);
    return TRUE;
}

void NListBox::DrawItem(DRAWITEMSTRUCT* draw) {
    // An empty list is asked to draw its focus rectangle, at item -1: nothing is drawn.
    if (!draw || GetCount() <= 0) {
        return;
    }
    const std::wstring text = GetText(static_cast<int>(draw->itemID));
    const int width = draw->rcItem.right - draw->rcItem.left;
    const int height = draw->rcItem.bottom - draw->rcItem.top;
    RECT item{0, 0, width, height};

    // Painted off screen and copied in one piece, so a repaint does not flicker.
    const UniqueDC memory(::CreateCompatibleDC(draw->hDC));
    const UniqueBitmap bitmap(::CreateCompatibleBitmap(draw->hDC, width, height));
    if (!memory || !bitmap) {
        return;
    }
    {
        DCStateGuard state(memory.get());
        ::SelectObject(memory.get(), bitmap.get());
        if (const HFONT font = GetFont()) {
            ::SelectObject(memory.get(), font);
        }
        if (draw->itemState & ODS_SELECTED) {
            const UniqueBrush frame(::CreateSolidBrush(m_clrSelFrame));
            ::FrameRect(memory.get(), &item, frame.get());
            const RECT inside{1, 1, width - 1, height - 1};
            FillSolid(memory.get(), inside, m_clrSelFill);
            // The text is drawn opaque: its background must be the bar's.
            ::SetBkColor(memory.get(), m_clrSelFill);
        } else {
            // The text background stays the DC's default white, the same as m_clrBack.
            FillSolid(memory.get(), item, m_clrBack);
        }
        if (!text.empty()) {
            RECT textRect = item;
            textRect.left += 4;
            ::DrawTextW(memory.get(), text.c_str(), static_cast<int>(text.size()), &textRect,
                        DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
        }
        ::BitBlt(draw->hDC, draw->rcItem.left, draw->rcItem.top, width, height, memory.get(), 0, 0, SRCCOPY);
    }
}

void NListBox::MeasureItem(MEASUREITEMSTRUCT* measure) {
    if (!measure) {
        return;
    }
    // The request can come before the control is bound to its window (a dialog measures while it
    // creates its controls); then there are no items and the screen's DC measures in the same
    // default font as the list box's own.
    std::wstring text;
    if (GetCount() > 0) {
        text = GetText(static_cast<int>(measure->itemID));
    }
    if (text.empty()) {
        text = L"W";
    }
    CClientDC dc(m_hWnd);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.dc(), text.c_str(), static_cast<int>(text.size()), &extent);
    measure->itemHeight = static_cast<UINT>(extent.cy + 3);
}
