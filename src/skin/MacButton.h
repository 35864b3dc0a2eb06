// CMacButton: the program's push button. It paints itself completely (owner draw, off screen)
// with a rounded glossy face in the colours of its theme, a hover ring while the mouse is over
// it, an optional 16x16 icon left of its caption and an optional tooltip. The title-bar buttons
// are the same class marked as caption buttons.
#pragma once

#include "framework/Accessible.h"
#include "framework/Controls.h"
#include "skin/Painting.h"

#include <string>

// The row-to-row shift of the face gradient of a button `height` pixels high: the integer part
// of 10.5 / (height / 11.5), at least 1. A height of 0 or less (a button squeezed by a layout)
// also gives 1, so there is never a division by zero.
int ButtonFaceStep(int height);

class CMacButton : public CButton, public CThemedControl, public CAccessibleControl {
public:
    CMacButton() = default;
    ~CMacButton() override;

    // A button window of our own (the caption buttons); it is owner drawn whatever `style` says.
    bool Create(const std::wstring& text, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Loads the icon resource `resourceId` of the program, in the small-icon size of the
    // button's DPI (16 pixels at 96 DPI), in place of the current icon. A resource that cannot
    // be loaded leaves the button without an icon. Does not redraw.
    void SetIconResource(UINT resourceId);
    // Draws at `dpi` from now on (the window moved to another monitor) and reloads the icon in
    // the size of that DPI. Does not redraw.
    void SetDpi(int dpi);
    // The DPI the button draws at: the one set, else its window's.
    int GetDpi() const;
    // The width the button needs to show its whole caption in its font, beside its icon when
    // it has one. Zero without a window or a caption.
    int NeededWidth() const;
    // Creates the tooltip on first use and (re-)registers the button with `text`.
    void SetTooltipText(const std::wstring& text);
    // The tooltip's background follows clrLight of m_nTheme; nothing while there is no tooltip.
    void ApplyTooltipColor();
    void ApplyTheme(int theme) override;

    BOOL PreTranslateMessage(MSG* msg) override;
    // Paints the whole button into `item.hDC` at `item.rcItem`, as for WM_DRAWITEM, with the
    // focus cue when the item state asks for it.
    void DrawItem(const DRAWITEMSTRUCT& item);
    AccessibleFacts GetAccessibleFacts() const override;

    BOOL m_bCaptionButton = FALSE;
    int m_nTheme = DEFAULT_THEME;
    int m_nMouseState = 0;  // 0 normal, 1 mouse over the button, 2 pressed
    HICON m_hIcon = nullptr;
    int m_cxIcon = 0;
    int m_cyIcon = 0;
    // The rounding of the corners at 96 DPI; scaled with the DPI when drawn.
    int m_nCornerX = 4;
    int m_nCornerY = 4;
    CToolTipCtrl m_ToolTip;
    // What a screen reader calls a button that shows only an icon (the caption buttons); a
    // button with a caption is called by its caption.
    std::wstring m_strAccessibleName;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    BOOL OnReflectDrawItem(DRAWITEMSTRUCT* item) override;
    void OnMouseMove(UINT flags, POINT point) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnCaptureChanged(HWND newCapture) override;
    void OnDestroy() override;

private:
    void DestroyIcon();
    int m_nDpi = 0;  // none set: the window's
    UINT m_nIconId = 0;
    void TakeCapture();
};
