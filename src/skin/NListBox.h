// NListBox: the program's owner-drawn list box (owner-draw variable, with strings). Each item is
// painted off screen with a flat selection bar in the theme's colours, and measured from its text.
#pragma once

#include "framework/Controls.h"
#include "skin/Painting.h"

class NListBox : public CListBox, public CThemedControl {
public:
    NListBox() = default;

    // The selection colours of a theme (an index outside 0..14 means the default theme). Does not
    // redraw: the theme walk invalidates the control.
    void SetTheme(int theme);
    void ApplyTheme(int theme) override { SetTheme(theme); }

    COLORREF m_clrBack = 0xFFFFFF;      // unselected items; no theme changes it
    COLORREF m_clrSelFill = 0xC89664;   // inside of the selection bar
    COLORREF m_clrSelFrame = 0xFADCB4;  // one-pixel frame of the selection bar

    // The owner-draw requests, which the owner reflects to the control.
    virtual void DrawItem(DRAWITEMSTRUCT* draw);
    virtual void MeasureItem(MEASUREITEMSTRUCT* measure);

protected:
    BOOL OnReflectDrawItem(DRAWITEMSTRUCT* draw) override;
    BOOL OnReflectMeasureItem(MEASUREITEMSTRUCT* measure) override;
};
