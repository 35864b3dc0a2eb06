// What a drawn control tells screen readers and test robots. An owner-drawn button is a push
// button to the platform whatever it shows, so a drawn control answers WM_GETOBJECT with an
// IAccessible of its own that reads its true role, state and name.
#pragma once

#include "framework/Wnd.h"

#include <oleacc.h>

#include <string>

// Read afresh on every question, so the answer always matches what the control shows.
struct AccessibleFacts {
    long role = ROLE_SYSTEM_CLIENT;
    long state = 0;  // STATE_SYSTEM_* bits
    std::wstring name;
    // What activating the control does ("Press", "Check"); empty when it does nothing. The
    // action itself is a click (BM_CLICK), posted so that a reader is never held up by a box
    // the click opens.
    std::wstring defaultAction;
};

// Implemented by the window objects of drawn controls.
class CAccessibleControl {
public:
    virtual ~CAccessibleControl() = default;
    virtual AccessibleFacts GetAccessibleFacts() const = 0;
};

// The IAccessible of the client area of `hwnd`, whose object implements CAccessibleControl. It
// holds only the handle: a reader may keep it after the window is gone, and it then answers
// CO_E_OBJNOTCONNECTED.
HRESULT CreateControlAccessible(HWND hwnd, IAccessible** result);

// The answer of a drawn control to WM_GETOBJECT; 0 means "let the default processing answer".
LRESULT AnswerGetObject(HWND hwnd, WPARAM wParam, LPARAM lParam);

// The state bits every window has: invisible, unavailable, focusable, focused.
long WindowAccessibleState(HWND hwnd);

// A control's text as a reader says it: "&Yes" is "Yes", "&&" is "&".
std::wstring TextWithoutMnemonic(const std::wstring& text);
