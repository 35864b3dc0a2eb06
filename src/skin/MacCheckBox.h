// CMacCheckBox: the program's check box. Its own member, not the platform's button state, holds
// the checked state; a completed mouse press notifies the parent.
#pragma once

#include "framework/Controls.h"

class CMacCheckBox : public CButton {
public:
    BOOL IsChecked() const { return m_bChecked; }
    // Stores `value` unchanged: callers may keep any non-zero value (an attribute bit, a byte
    // read from a settings file) and it counts as checked.
    void SetChecked(BOOL value);
    void InvalidateBox() { Invalidate(true); }

    BOOL m_bPressed = FALSE;
    BOOL m_bChecked = FALSE;

protected:
    void OnLButtonDown(UINT flags, POINT point) override;
    void OnLButtonUp(UINT flags, POINT point) override;
    void OnLButtonDblClk(UINT flags, POINT point) override;
    void OnMouseMove(UINT, POINT) override {}
    void OnKeyDown(UINT key, UINT repeat, UINT flags) override;
    void OnKeyUp(UINT key, UINT repeat, UINT flags) override;

private:
    static BOOL Inverted(BOOL value) { return value ? FALSE : TRUE; }
};
