// CMacProgressCtrl: the skinned progress bar, a rounded frame with a rounded fill in the theme's
// face colour and a gloss line across the fill. It paints through an off-screen surface kept for
// its lifetime, so a repaint per progress report does not flicker.
#pragma once

#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/Painting.h"
#include "skin/Themes.h"

// Paints the bar for `pos` in the range `minPos` .. `maxPos` into `rect` of `dc`. With `border`
// the rectangle is first cleared to the theme's window colour and framed. A range of zero width
// draws no fill.
void PaintMacProgress(HDC dc, const RECT& rect, int pos, int minPos, int maxPos, int theme, bool border);

class CMacProgressCtrl : public CWnd, public CThemedControl {
public:
    CMacProgressCtrl() = default;
    ~CMacProgressCtrl() override;

    // Plain setters: the caller decides when the bar repaints.
    void SetRange(int minPos, int maxPos) {
        m_nMin = minPos;
        m_nMax = maxPos;
    }
    void SetPos(int pos) { m_nPos = pos; }
    void ApplyTheme(int theme) override { m_nTheme = theme; }

    int m_nMin = 0;
    int m_nMax = 100;
    int m_nPos = 0;
    int m_nTheme = DEFAULT_THEME;
    int m_bBorder = 1;

protected:
    void OnPaint() override;
    void OnDestroy() override;

private:
    void FreeSurface();

    UniqueDC m_dcMem;
    UniqueBitmap m_bmpMem;
    HGDIOBJ m_pOldBitmap = nullptr;
};
