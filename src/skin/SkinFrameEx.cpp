#include "skin/SkinFrameEx.h"

#include "skin/Painting.h"
#include "skin/Themes.h"

void CSkinFrameEx::AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder,
                              const std::wstring& productName) {
    if (!owner || !owner->m_hWnd || IsAttached()) {
        return;
    }
    m_pOwner = owner;
    m_strDataFolder = dataFolder;
    m_strProductName = productName;
    const RECT client = owner->GetClientRect();
    const RECT none{};
    m_caption.CreateEx(0, L"Static", owner->GetWindowText().c_str(),
                       WS_CHILD | WS_VISIBLE | SS_LEFT | SS_CENTERIMAGE, none, owner->m_hWnd, 0xFFFF);
    m_btnClose.CreateEx(0, L"Button", L"X", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, none, owner->m_hWnd, IDCANCEL);
    m_caption.SetFont(owner->GetFont(), false);
    m_btnClose.SetFont(owner->GetFont(), false);
    LayOut(client.right);
    SetTheme(theme);
}

void CSkinFrameEx::SetTheme(int theme) {
    m_nTheme = ClampTheme(theme);
    if (IsAttached()) {
        ApplyThemeToChildren(*m_pOwner, m_nTheme);
    }
}

void CSkinFrameEx::LayOut(int cx) {
    m_caption.MoveWindow(8, 0, cx - 40, kCaptionHeight);
    m_btnClose.MoveWindow(cx - 27, 2, 24, 22);
}

LRESULT CSkinFrameEx::HookMessage(UINT message, WPARAM, LPARAM lParam) {
    if (!IsAttached()) {
        return 0;
    }
    switch (message) {
    case WM_SIZE:
        LayOut(static_cast<short>(LOWORD(lParam)));
        return 0;
    case WM_SETTEXT:
        m_caption.SetWindowText(reinterpret_cast<const wchar_t*>(lParam));
        return 0;
    case WM_NCHITTEST: {
        // The caption band drags the window, as a title bar would.
        POINT point = PointFromLParam(lParam);
        ::ScreenToClient(m_pOwner->m_hWnd, &point);
        const RECT client = m_pOwner->GetClientRect();
        if (point.y >= 0 && point.y < kCaptionHeight && point.x >= 0 && point.x < client.right - 28) {
            return HTCAPTION;
        }
        return 0;
    }
    default:
        return 0;
    }
}
