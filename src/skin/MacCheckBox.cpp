#include "skin/MacCheckBox.h"

void CMacCheckBox::SetChecked(BOOL value) {
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(value));
    const BOOL previous = m_bChecked;
    m_bChecked = value;
    if (previous != value) {
        InvalidateBox();
    }
}

void CMacCheckBox::OnLButtonDown(UINT, POINT) {
    // No default processing: the platform neither presses the button nor takes the focus.
    m_bPressed = TRUE;
    SetCapture();
    InvalidateBox();
}

void CMacCheckBox::OnLButtonUp(UINT, POINT point) {
    ::ReleaseCapture();
    if (!m_bPressed) {
        return;
    }
    const RECT client = GetClientRect();
    if (::PtInRect(&client, point)) {
        m_bChecked = Inverted(m_bChecked);
    }
    m_bPressed = FALSE;
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(m_bChecked));
    InvalidateBox();
    // Posted, so the parent's handler runs after the new state is stored; sent even when the
    // release was outside and nothing changed.
    ::PostMessageW(GetParentHwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), BN_CLICKED),
                   reinterpret_cast<LPARAM>(m_hWnd));
}

void CMacCheckBox::OnLButtonDblClk(UINT, POINT point) {
    // Each click of a double click is a press of its own.
    SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(point.x, point.y));
}

void CMacCheckBox::OnKeyDown(UINT key, UINT, UINT) {
    if (key == VK_SPACE) {
        m_bPressed = TRUE;
        InvalidateBox();
    }
}

void CMacCheckBox::OnKeyUp(UINT key, UINT, UINT) {
    // The space bar toggles quietly: no button state and no notification.
    if (key == VK_SPACE) {
        m_bPressed = FALSE;
        m_bChecked = Inverted(m_bChecked);
        InvalidateBox();
    }
}
