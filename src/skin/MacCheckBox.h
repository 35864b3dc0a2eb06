// CMacCheckBox: the program's check box. Its own member, not the platform's button state, holds
// the checked state; a completed mouse press notifies the parent. It paints itself completely in
// the colours of its theme: a 12 x 12 box, a hand-drawn tick that breaks out of the box's top
// right corner, and its text beside it.
#pragma once

#include "framework/Accessible.h"
#include "framework/Controls.h"
#include "skin/Painting.h"
#include "skin/Themes.h"

class CMacCheckBox : public CButton, public CThemedControl, public CAccessibleControl {
public:
    CMacCheckBox() { UpdateColors(); }

    // Sent to the parent (WM_COMMAND, with the id and the window) when BM_SETCHECK from outside
    // the program (a test robot, an accessibility tool) changed the state: unlike BN_CLICKED it
    // asks for no reaction but that what depends on the box follows it.
    static constexpr WORD kStateSetCode = 0x0100;

    // Where the text starts at 96 DPI: after the 12-pixel box and a gap. Both scale with the DPI.
    static constexpr int kTextOffset = 17;

    // Draws at `dpi` from now on (the window moved to another monitor); the caller redraws.
    void SetDpi(int dpi) { m_nDpi = dpi; }
    // The DPI the box draws at: the one set, else its window's.
    int GetDpi() const;
    // The width the control needs to show its whole label in its font: the box, the gap and
    // the text, and two pixels for the focus cue. Zero without a window.
    int NeededWidth() const;

    BOOL IsChecked() const { return m_bChecked; }
    // Stores `value` unchanged: callers may keep any non-zero value (an attribute bit, a byte
    // read from a settings file) and it counts as checked.
    void SetChecked(BOOL value);
    void InvalidateBox() { Invalidate(true); }

    // Recomputes the five colours from the row of m_nTheme.
    void UpdateColors();
    // Takes a theme from the theme walk or from a dialog; the caller redraws.
    void ApplyTheme(int theme) override;

    // Paints the box, the tick and the text into the item's DC, and the focus cue around the
    // text when the item state asks for it.
    void DrawItem(const DRAWITEMSTRUCT& item);
    AccessibleFacts GetAccessibleFacts() const override;

    COLORREF m_clrCorner = 0;     // two corner pixels of the inner box
    COLORREF m_clrDisabled = 0;   // box frame and tick of a disabled control
    COLORREF m_clrHighlight = 0;  // lit edge of the inner box
    COLORREF m_clrFrame = 0;      // box frame and tick of an enabled control
    COLORREF m_clrShade = 0;      // shaded edge of the inner box and the tick's shading
    BOOL m_bPressed = FALSE;
    BOOL m_bChecked = FALSE;
    int m_nTheme = DEFAULT_THEME;

private:
    int m_nDpi = 0;  // none set: the window's

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PreSubclassWindow() override;
    BOOL OnReflectDrawItem(DRAWITEMSTRUCT* item) override;
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnMouseMove(UINT, POINT) override {}
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override;

private:
    static BOOL Inverted(BOOL value) { return value ? FALSE : TRUE; }
    // A completed press, by the mouse or the space bar: the state is inverted when `toggle`, and
    // the parent hears of it as of a click.
    void EndPress(bool toggle);
    // BM_SETCHECK from SetChecked, not from outside.
    bool m_bSettingState = false;

    // The platform's own button state as BM_SETCHECK last set it. An owner-drawn button keeps
    // none (the platform answers "unchecked"), so the control keeps it for BM_GETCHECK and
    // BM_GETSTATE, which accessibility tools and automation read.
    WPARAM m_platformCheck = BST_UNCHECKED;
};
