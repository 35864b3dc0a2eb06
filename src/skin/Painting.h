// Painting primitives shared by the skinned windows and controls, and the theme walk over a
// skinned window's children.
#pragma once

#include "framework/Wnd.h"
#include "skin/Themes.h"

#include <string>

// A control that takes its colours from a theme. The theme walk finds these among a window's
// children by a run-time kind-of test, so classes derived from a themed control are themed too.
class CThemedControl {
public:
    virtual ~CThemedControl() = default;
    // Takes the colours of `theme` (already clamped to 0..14). The walk invalidates the control
    // afterwards, so this need not redraw.
    virtual void ApplyTheme(int theme) = 0;

protected:
    CThemedControl() = default;
    CThemedControl(const CThemedControl&) = default;
    CThemedControl& operator=(const CThemedControl&) = default;
};

// The frame width in pixels of a top-level window: SM_CXFRAME - 1 for a sizing frame, else
// SM_CXDLGFRAME (also for a null window or an object without a window).
int GetSkinFrameWidth(const CWnd* window);

// Fills (left, top, right, bottom) with the glossy gradient of `base`, one solid row at a time.
// The frame width of `frameWindow` (which may be null) sets the step, so the gradient continues
// the frame's top border. Does nothing without a DC. The DC's background colour is left as it was.
void FillGlossGradient(COLORREF base, const CWnd* frameWindow, HDC dc, int left, int top, int right, int bottom);
// The same with the frame width given directly.
void FillGlossGradientForFrameWidth(COLORREF base, int frameWidth, HDC dc, int left, int top, int right, int bottom);

// Draws `text` embossed in the disabled look, centred vertically in the rectangle and, when
// `format` has DT_CENTER (no other bit is looked at), horizontally. An ampersand marks a mnemonic.
void DrawGrayText(HDC dc, const std::wstring& text, UINT format, int left, int top, int right, int bottom);

// The child walk of a skinned window's theme change: every direct child of `owner`, in sibling
// order, that is a CThemedControl takes the theme, and every child is invalidated with erase so
// that the others repaint with the frame's new control colours. An index outside 0..14 becomes
// the default theme. The frame's SetTheme calls this after remaking its background brush and
// before redrawing its caption bar and border.
void ApplyThemeToChildren(const CWnd& owner, int theme);
