// CCaptionBar: the title bar (26 pixels high at 96 DPI) of a skinned window. A child "static" across the top of the
// parent's client area (it lets the mouse through to the parent, which drags the window) that
// shows the glossy gradient of the theme, the program icon and the parent's title with a shadow.
// The image is drawn off screen and only copied to the screen when the bar paints.
#pragma once

#include "framework/Dpi.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "skin/Themes.h"

#include <string>

class CCaptionBar : public CWnd {
public:
    CCaptionBar() = default;
    ~CCaptionBar() override;

    // Creates the bar as a child of `parent` with control id 0xFFFF; then its title font, the
    // 16x16 program icon and the off-screen image. Without a window nothing else is made.
    virtual bool Create(const wchar_t* name, const RECT& rect, CWnd* parent);
    // Remakes the off-screen image at the current client size (nothing when the bar has no window
    // or a memory DC cannot be made).
    void RecreateBuffer();
    // Draws the title bar into the off-screen image: gradient, icon, the parent's title in the
    // active or inactive look. Nothing reaches the screen until the next paint.
    void Redraw();

    // Remakes the font, the icon and the image at `dpi` (the window moved to another monitor).
    void SetDpi(int dpi);

    // The look the image was last drawn in; the bar redraws at paint time when the parent's
    // activation no longer matches it.
    bool IsActiveLook() const { return m_bActive; }

    int m_nTheme = DEFAULT_THEME;
    // The DPI the bar draws at; set before Create, and by SetDpi afterwards.
    int m_nDpi = kDesignDpi;

protected:
    void OnPaint() override;
    void OnSize(UINT type, int cx, int cy) override;
    void OnDestroy() override;

private:
    void ReleaseBuffer();
    // The title font and the program icon at m_nDpi.
    void MakeFontAndIcon();
    int Scaled(int length) const { return ScaleToDpi(length, m_nDpi); }

    int m_cxLast = 0;
    int m_cyLast = 0;
    UniqueIcon m_hIcon;
    UniqueFont m_font;
    UniqueDC m_dcMem;
    UniqueBitmap m_bmpMem;
    HGDIOBJ m_pOldBitmap = nullptr;  // non-null while m_bmpMem is selected into m_dcMem
    bool m_bActive = true;
};
