#include "skin/SkinFrame.h"

#include "resources/resource.h"
#include "skin/Painting.h"

namespace {

void FrameRectIn(HDC dc, const RECT& rect, COLORREF colour) {
    const UniqueBrush brush(::CreateSolidBrush(colour));
    ::FrameRect(dc, &rect, brush.get());
}

void FillRowIn(HDC dc, int left, int y, int right, COLORREF colour) {
    const RECT row{left, y, right, y + 1};
    const COLORREF old = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
    ::SetBkColor(dc, old);
}

}  // namespace

void PaintSkinFrame(HDC dc, int width, int height, int frameWidth, int captionHeight, int theme) {
    if (!dc || width <= 0 || height <= 0) {
        return;
    }
    const COLORREF caption = GetThemeColors(theme).clrCaption;
    RECT rect{0, 0, width, height};
    FrameRectIn(dc, rect, ShiftColor(caption, -90));
    const COLORREF inner = ShiftColor(caption, -28);
    for (int i = 1; i < frameWidth; ++i) {
        ::InflateRect(&rect, -1, -1);
        FrameRectIn(dc, rect, inner);
    }
    // Beside the title bar the border carries the bar's gradient, so the bar seems to run from
    // edge to edge.
    const int b = frameWidth;
    FillGlossGradientForFrameWidth(caption, b, dc, 1, b, b, b + captionHeight);
    FillGlossGradientForFrameWidth(caption, b, dc, width - b - 1, b, width - 1, b + captionHeight);
    // The top border darkens row by row; the bar's first row goes on from where it ends.
    COLORREF colour = caption;
    const int step = GlossGradientStep(b);
    for (int y = 1; y < b; ++y) {
        FillRowIn(dc, 1, y, width - 1, colour);
        colour = ShiftColor(colour, step);
    }
}

void CSkinFrame::Attach(CWnd* owner, int theme) {
    if (!owner || !owner->m_hWnd || IsAttached()) {
        return;
    }
    m_pOwner = owner;
    m_nTheme = ClampTheme(theme);
    m_nDpi = GetWindowDpi(owner->m_hWnd);
    const int cx = owner->GetClientRect().right;
    m_wndCaption.m_nDpi = m_nDpi;
    m_wndCaption.Create(L"", RECT{0, 0, cx, CaptionHeight()}, owner);
    m_wndCaption.m_nTheme = m_nTheme;
    m_wndCaption.Redraw();
    m_wndCaption.Invalidate();
    CreateCaptionButton(m_btnClose, IDCANCEL, CaptionButtonRect(0, cx), IDI_CLOSE, L"Close", L"Close");
    SetTheme(m_nTheme);
}

RECT CSkinFrame::CaptionButtonRect(int index, int clientWidth) const {
    int top = Scaled(CaptionButtonTop(GetSkinFrameWidth(m_pOwner)));
    if (m_pOwner && m_pOwner->IsZoomed()) {
        ++top;  // a maximized window loses its border; the buttons sit one pixel lower
    }
    const int right = clientWidth - Scaled(kCaptionButtonRightGap + index * kCaptionButtonSpacing);
    return RECT{right - Scaled(kCaptionButtonWidth), top, right, top + Scaled(kCaptionButtonHeight)};
}

void CSkinFrame::LayOutCaption() {
    const int cx = m_pOwner->GetClientRect().right;
    m_wndCaption.MoveWindow(0, 0, cx, CaptionHeight(), true);
    m_wndCaption.Invalidate();
    const RECT close = CaptionButtonRect(0, cx);
    m_btnClose.MoveWindow(close.left, close.top, close.right - close.left, close.bottom - close.top, true);
    m_btnClose.Invalidate();
}

void CSkinFrame::OnDpiChanged(int dpi, const RECT* suggested) {
    m_nDpi = dpi > 0 ? dpi : kDesignDpi;
    m_wndCaption.SetDpi(m_nDpi);
    for (CMacButton* button : CaptionButtons()) {
        button->SetDpi(m_nDpi);
    }
    if (suggested) {
        ::SetWindowPos(m_pOwner->m_hWnd, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                       suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOutCaption();
    PaintFrame();
}

bool CSkinFrame::CreateCaptionButton(CMacButton& button, UINT id, const RECT& rect, UINT iconId, const wchar_t* tooltip,
                                     const wchar_t* name) {
    if (!button.Create(L"", WS_CHILD | WS_VISIBLE | BS_FLAT, rect, m_pOwner, id)) {
        return false;
    }
    button.m_bCaptionButton = TRUE;
    button.m_strAccessibleName = name;
    button.SetIconResource(iconId);
    button.SetTooltipText(tooltip);
    button.ApplyTheme(m_nTheme);
    return true;
}

void CSkinFrame::SetTheme(int theme) {
    m_nTheme = ClampTheme(theme);
    if (!IsAttached()) {
        return;  // the attach applies it
    }
    m_hbrBackground.reset(::CreateSolidBrush(GetThemeColors(m_nTheme).clrWindow));
    ApplyThemeToChildren(*m_pOwner, m_nTheme);
    m_wndCaption.m_nTheme = m_nTheme;
    m_wndCaption.Redraw();
    m_wndCaption.Invalidate();
    PaintFrame();
    m_pOwner->Invalidate();
}

void CSkinFrame::HideCloseButton() {
    m_btnClose.ShowWindow(SW_HIDE);
    // Last in the z-order, the hidden button no longer shadows a control of the owner that has
    // the same id (a dialog's own Cancel button) when the control is looked up by its id.
    ::SetWindowPos(m_btnClose.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CSkinFrame::PaintFrame() const {
    if (!IsAttached() || !m_pOwner->m_hWnd) {
        return;
    }
    const HDC dc = ::GetWindowDC(m_pOwner->m_hWnd);
    if (!dc) {
        return;
    }
    const RECT window = m_pOwner->GetWindowRect();
    PaintSkinFrame(dc, window.right - window.left, window.bottom - window.top, GetSkinFrameWidth(m_pOwner),
                   CaptionHeight(), m_nTheme);
    ::ReleaseDC(m_pOwner->m_hWnd, dc);
}

LRESULT CSkinFrame::HookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!IsAttached()) {
        return 0;
    }
    switch (message) {
        case WM_ACTIVATE:
            m_wndCaption.Invalidate();
            m_btnClose.Invalidate();
            PaintFrame();
            return 0;
        case WM_ERASEBKGND:
        case WM_WINDOWPOSCHANGED:
            PaintFrame();
            return 0;
        case WM_NCPAINT:
            // The default non-client painting draws the system's border; the skinned one goes on
            // top of it, never below.
            m_pOwner->DefaultProcessing(message, wParam, lParam);
            PaintFrame();
            return 1;
        case 0x0019:  // WM_CTLCOLOR of 16-bit windows, still sent by some controls
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORDLG:
        case WM_CTLCOLORSCROLLBAR:
        case WM_CTLCOLORSTATIC:
            ::SetBkColor(reinterpret_cast<HDC>(wParam), GetThemeColors(m_nTheme).clrWindow);
            return reinterpret_cast<LRESULT>(m_hbrBackground.get());
        case WM_NCACTIVATE:
            return 1;  // the system's active and inactive looks never show
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;  // the owner lays out its own controls too
        case WM_MOUSEMOVE: {
            // Unsigned on purpose: a point above the client area (negative y) is no title bar.
            const unsigned y = HIWORD(lParam);
            if (!m_pOwner->IsZoomed() && y < static_cast<unsigned>(CaptionHeight()) && (wParam & MK_LBUTTON)) {
                // A non-client message carries screen coordinates.
                POINT point = PointFromLParam(lParam);
                ::ClientToScreen(m_pOwner->m_hWnd, &point);
                m_pOwner->PostMessage(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(point.x, point.y));
            }
            return 0;
        }
        default:
            return 0;
    }
}
