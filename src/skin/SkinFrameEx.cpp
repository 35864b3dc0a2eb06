#include "skin/SkinFrameEx.h"

#include "skin/Painting.h"

void CSkinFrameEx::AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder,
                              const std::wstring& productName) {
    Attach(owner, theme);
    m_strDataFolder = dataFolder;
    m_strProduct = productName;
}

void CSkinFrameEx::LayOut() {
    const int cx = m_pOwner->GetClientRect().right;
    m_wndCaption.MoveWindow(0, 0, cx, kCaptionHeight, true);
    m_wndCaption.Invalidate();
    int top = CaptionButtonTop(GetSkinFrameWidth(m_pOwner));
    if (m_pOwner->IsZoomed()) {
        ++top;  // a maximized window loses its border; the buttons sit one pixel lower
    }
    m_btnClose.MoveWindow(cx - 27, top, kCaptionButtonWidth, kCaptionButtonHeight, true);
    m_btnClose.Invalidate();
}

LRESULT CSkinFrameEx::HookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CSkinFrame::HookMessage(message, wParam, lParam);
    if (IsAttached() && message == WM_SIZE) {
        LayOut();
    }
    return result;
}
