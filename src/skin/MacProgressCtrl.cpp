#include "skin/MacProgressCtrl.h"

#include <algorithm>

void PaintMacProgress(HDC dc, const RECT& rect, int pos, int minPos, int maxPos, int theme, bool border) {
    const ThemeColors& colors = GetThemeColors(theme);
    const COLORREF bar = ShiftColor(colors.clrFace, -25);
    if (border) {
        const UniqueBrush background(::CreateSolidBrush(colors.clrWindow));
        ::FillRect(dc, &rect, background.get());
        const UniquePen pen(::CreatePen(PS_SOLID, 1, bar));
        DCStateGuard state(dc);
        ::SelectObject(dc, pen.get());
        ::SelectObject(dc, ::GetStockObject(WHITE_BRUSH));
        ::RoundRect(dc, rect.left, rect.top, rect.right, rect.bottom, 6, 6);
    }
    const RECT inner{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    const int range = maxPos - minPos;
    if (range == 0) {
        return;  // nothing can be a fraction of an empty range
    }
    // The position is a plain fraction of the range's width; every range starts at 0.
    const double fraction = static_cast<double>(pos) / static_cast<double>(range);
    const double reach = fraction * static_cast<double>(inner.right - inner.left);
    // Limited before the conversion, so a wild position cannot overflow it.
    const double limited = std::clamp(reach, -1.0, static_cast<double>(inner.right - inner.left));
    const int right =
        std::min(static_cast<int>(inner.left) + static_cast<int>(limited), static_cast<int>(inner.right)) - 1;
    if (right <= inner.left) {
        return;
    }
    {
        const UniquePen pen(::CreatePen(PS_SOLID, 1, bar));
        const UniqueBrush brush(::CreateSolidBrush(bar));
        DCStateGuard state(dc);
        ::SelectObject(dc, pen.get());
        ::SelectObject(dc, brush.get());
        ::RoundRect(dc, inner.left, inner.top, right, inner.bottom, 4, 4);
    }
    const int glossLeft = inner.left + 2;
    const int glossRight = right - 3;
    if (glossLeft > 0 && glossRight > 0 && glossRight > glossLeft) {
        const int top = inner.top + (3 * (inner.bottom - inner.top)) / 10;
        const COLORREF gloss = ShiftColor(bar, 6);
        const RECT band{glossLeft, top, glossRight, top + 4};
        const UniqueBrush bandBrush(::CreateSolidBrush(gloss));
        ::FillRect(dc, &band, bandBrush.get());
        const RECT line{glossLeft, top + 1, glossRight, top + 2};
        const UniqueBrush lineBrush(::CreateSolidBrush(ShiftColor(gloss, 10)));
        ::FillRect(dc, &line, lineBrush.get());
    }
}

CMacProgressCtrl::~CMacProgressCtrl() {
    DestroyWindow();
    FreeSurface();
}

void CMacProgressCtrl::OnPaint() {
    CPaintDC paint(m_hWnd);
    const RECT client = GetClientRect();
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    if (!m_pOldBitmap) {
        m_dcMem.reset(::CreateCompatibleDC(paint.dc()));
        m_bmpMem.reset(::CreateCompatibleBitmap(paint.dc(), width, height));
        if (!m_dcMem || !m_bmpMem) {
            m_dcMem.reset();
            m_bmpMem.reset();
            return;
        }
        m_pOldBitmap = ::SelectObject(m_dcMem.get(), m_bmpMem.get());
    }
    PaintMacProgress(m_dcMem.get(), client, m_nPos, m_nMin, m_nMax, m_nTheme, m_bBorder != 0);
    ::BitBlt(paint.dc(), 0, 0, width, height, m_dcMem.get(), 0, 0, SRCCOPY);
}

void CMacProgressCtrl::OnDestroy() {
    FreeSurface();
    Default();
}

void CMacProgressCtrl::FreeSurface() {
    if (m_pOldBitmap) {
        ::SelectObject(m_dcMem.get(), m_pOldBitmap);
        m_pOldBitmap = nullptr;
    }
    m_bmpMem.reset();
    m_dcMem.reset();
}
