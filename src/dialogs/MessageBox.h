// The program's notices and questions. The system message box is never used: both operations
// show CMacMessageDlg modally and block until the user has answered. Nothing is kept between
// calls; remembering a "do not show again" answer is the caller's business.
#pragma once

#include <windows.h>

#include <string>

// A notice with the single button "&OK", titled "Message"; closed by the button, Enter or Escape.
// `theme` is the colour theme of the window that asks.
void MacMessageBox(const std::wstring& text, int theme);

// A question titled "Please select" with "&Yes" (also Enter) and "&No" (also Escape and closing
// the window); TRUE for Yes. With `showCheck` the box offers "Do not show me this dialog again.",
// initially unchecked. A non-null `dontShowAgain` receives the check box's state when the box
// closed, whatever the answer, or true when no check box was shown. If the box cannot be shown
// at all, the answer is FALSE and *dontShowAgain keeps its value.
BOOL MacYesNoBox(const std::wstring& text, int theme, bool showCheck, bool* dontShowAgain);
