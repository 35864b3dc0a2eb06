#include "skin/MacButton.h"

#include "framework/Dpi.h"
#include "framework/Gdi.h"

namespace {

// Buttons narrower than this (at 96 DPI) get square corners: a rounding would eat most of a
// small face.
constexpr int kMinRoundedWidth = 30;
// The icon's left edge and the gap from the icon to the text, at 96 DPI.
constexpr int kIconLeft = 4;
constexpr int kIconTextGap = 8;

void FillRow(HDC dc, int left, int y, int right, COLORREF colour) {
    // An opaque empty text output fills in the background colour without a brush per row.
    const RECT row{left, y, right, y + 1};
    ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &row, nullptr, 0, nullptr);
}

}  // namespace

int ButtonFaceStep(int height) {
    if (height <= 0) {
        return 1;
    }
    const int step = static_cast<int>(10.5 / (static_cast<double>(height) / 11.5));
    return step < 1 ? 1 : step;
}

CMacButton::~CMacButton() {
    DestroyIcon();
    m_ToolTip.DestroyWindow();
}

bool CMacButton::Create(const std::wstring& text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateEx(0, L"Button", text.c_str(), style, rect, parent ? parent->m_hWnd : nullptr, id);
}

void CMacButton::PreSubclassWindow() {
    // Whatever type the template declared, the button is drawn by us.
    ModifyStyle(0, BS_OWNERDRAW | BS_FLAT);
}

void CMacButton::DestroyIcon() {
    if (m_hIcon) {
        ::DestroyIcon(m_hIcon);
        m_hIcon = nullptr;
    }
}

void CMacButton::SetIconResource(UINT resourceId) {
    DestroyIcon();
    m_nIconId = resourceId;
    const int size = SmallIconSizeForDpi(GetDpi());
    m_hIcon = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(resourceId), IMAGE_ICON,
                                              size, size, LR_DEFAULTCOLOR));
    if (m_hIcon) {
        m_cxIcon = size;
        m_cyIcon = size;
    }
}

void CMacButton::SetDpi(int dpi) {
    m_nDpi = dpi > 0 ? dpi : kDesignDpi;
    if (m_hIcon) {
        SetIconResource(m_nIconId);
    }
}

int CMacButton::GetDpi() const {
    return m_nDpi > 0 ? m_nDpi : GetWindowDpi(m_hWnd);
}

int CMacButton::NeededWidth() const {
    const std::wstring text = m_hWnd ? GetWindowText() : std::wstring();
    const CClientDC windowDC(m_hWnd);
    if (text.empty() || !windowDC.dc()) {
        return 0;
    }
    const HFONT font = GetFont();
    const HGDIOBJ oldFont = font ? ::SelectObject(windowDC.dc(), font) : nullptr;
    RECT extent{0, 0, 0, 0};
    ::DrawTextW(windowDC.dc(), text.c_str(), static_cast<int>(text.size()), &extent, DT_SINGLELINE | DT_CALCRECT);
    if (oldFont) {
        ::SelectObject(windowDC.dc(), oldFont);
    }
    // The same places as the drawing: the icon and its gap on the left, one pixel of ring and a
    // margin as wide as the icon's left edge on each side.
    const int dpi = GetDpi();
    const int margin = 1 + ScaleToDpi(kIconLeft, dpi);
    const int icon = m_hIcon ? m_cxIcon + ScaleToDpi(kIconTextGap, dpi) : 0;
    // With room for a disabled label, whose unsmoothed glyphs can be a little wider (see
    // DrawGrayText).
    return margin + icon + extent.right + extent.right / 24 + margin;
}

void CMacButton::SetTooltipText(const std::wstring& text) {
    if (!m_hWnd) {
        return;
    }
    if (!m_ToolTip.m_hWnd) {
        if (!m_ToolTip.Create(this)) {
            return;
        }
        m_ToolTip.SetDelayTime(TTDT_AUTOMATIC, 500);
        m_ToolTip.SetFont(GetFont(), true);
        ApplyTooltipColor();
    }
    m_ToolTip.DelTool(this);
    m_ToolTip.AddTool(this, text);
}

void CMacButton::ApplyTooltipColor() {
    if (m_ToolTip.m_hWnd) {
        m_ToolTip.SetTipBkColor(GetThemeColors(m_nTheme).clrLight);
    }
}

void CMacButton::ApplyTheme(int theme) {
    m_nTheme = ClampTheme(theme);
    ApplyTooltipColor();
}

BOOL CMacButton::PreTranslateMessage(MSG* msg) {
    if (m_ToolTip.m_hWnd) {
        m_ToolTip.RelayEvent(msg);
    }
    return CButton::PreTranslateMessage(msg);
}

BOOL CMacButton::OnReflectDrawItem(DRAWITEMSTRUCT* item) {
    DrawItem(*item);
    return TRUE;
}

void CMacButton::DrawItem(const DRAWITEMSTRUCT& item) {
    const int width = item.rcItem.right - item.rcItem.left;
    const int height = item.rcItem.bottom - item.rcItem.top;
    // A button squeezed to nothing draws nothing; the face arithmetic needs a height.
    if (!item.hDC || width <= 0 || height <= 0) {
        return;
    }
    const UniqueDC mem(::CreateCompatibleDC(item.hDC));
    const UniqueBitmap bitmap(mem ? ::CreateCompatibleBitmap(item.hDC, width, height) : nullptr);
    if (!bitmap) {
        return;
    }
    const HDC dc = mem.get();
    const HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap.get());
    const ThemeColors& colors = GetThemeColors(m_nTheme);
    const RECT all{0, 0, width, height};

    ::SetBkColor(dc, colors.clrWindow);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);

    const int dpi = GetDpi();
    if (width < ScaleToDpi(kMinRoundedWidth, dpi)) {
        m_nCornerX = 0;  // for good: a button widened later keeps its square corners
        m_nCornerY = 0;
    }

    {
        const UniqueBrush faceBrush(::CreateSolidBrush(colors.clrFace));
        const UniquePen outline(::CreatePen(
            PS_SOLID, 1, m_bCaptionButton ? ShiftColor(colors.clrFace, -45) : ShiftColor(colors.clrShadow, 35)));
        const DCStateGuard state(dc);
        ::SelectObject(dc, faceBrush.get());
        ::SelectObject(dc, outline.get());
        ::RoundRect(dc, 0, 0, width, height, ScaleToDpi(m_nCornerX, dpi), ScaleToDpi(m_nCornerY, dpi));

        COLORREF colour = colors.clrLight;
        if (m_bCaptionButton) {
            colour = ShiftColor(colors.clrCaption, -36);
        } else if (item.itemState & ODS_SELECTED) {
            colour = ShiftColor(colors.clrFace, 16);
        }
        const int step = ButtonFaceStep(height);
        const int half = height / 2;
        for (int y = 2; y < height - 2; ++y) {
            if (y < half) {
                colour = ShiftColor(colour, -step);
            } else if (y == half) {
                colour = ShiftColor(colour, 2 * step);
            } else {
                colour = ShiftColor(colour, step);
                if (colour > colors.clrLight) {
                    colour = colors.clrLight;
                }
            }
            FillRow(dc, 2, y, width - 2, colour);
        }

        if (m_hIcon) {
            const int x = m_bCaptionButton ? (width - m_cxIcon) / 2 : ScaleToDpi(kIconLeft, dpi);
            const int y = (height - m_cyIcon) / 2;
            if (item.itemState & ODS_DISABLED) {
                ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(m_hIcon), 0, x, y, m_cxIcon, m_cyIcon,
                             DST_ICON | DSS_DISABLED);
            } else {
                ::DrawIconEx(dc, x, y, m_hIcon, m_cxIcon, m_cyIcon, 0, nullptr, DI_NORMAL);
            }
        }
    }

    ::SetBkMode(dc, TRANSPARENT);
    const HFONT font = m_hWnd ? GetFont() : nullptr;
    const HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;

    {
        const UniquePen ring(::CreatePen(PS_SOLID, 1, m_nMouseState == 1 ? colors.clrHover : colors.clrLight));
        const DCStateGuard state(dc);
        ::SelectObject(dc, ring.get());
        ::SelectObject(dc, ::GetStockObject(NULL_BRUSH));
        ::RoundRect(dc, 1, 1, width - 1, height - 1, ScaleToDpi(m_nCornerX, dpi), ScaleToDpi(m_nCornerY, dpi));
    }

    const std::wstring text = m_hWnd ? GetWindowText() : std::wstring();
    if (!text.empty()) {
        RECT textRect{1, 0, width - 1, height};
        UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
        if (m_hIcon) {
            textRect.left += ScaleToDpi(kIconLeft, dpi) - kIconLeft + m_cxIcon + ScaleToDpi(kIconTextGap, dpi);
            format = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS;
        }
        if (item.itemState & ODS_DISABLED) {
            DrawGrayText(dc, text, format, textRect.left, textRect.top, textRect.right, textRect.bottom);
        } else {
            ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, format);
        }
    }

    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT)) {
        // Inverted dots inside the ring: they show on every face colour of every theme.
        const RECT cue{3, 3, width - 3, height - 3};
        ::DrawFocusRect(dc, &cue);
    }

    ::BitBlt(item.hDC, item.rcItem.left, item.rcItem.top, width, height, dc, 0, 0, SRCCOPY);
    if (oldFont) {
        ::SelectObject(dc, oldFont);
    }
    ::SelectObject(dc, oldBitmap);
}

LRESULT CMacButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_GETDLGCODE:
            // A push button, and the default one while it has the focus: Enter then presses it, as
            // the dialog manager does for the platform's own buttons. Only the focus makes a button
            // the default, so Enter with no button focused presses none.
            return DLGC_BUTTON | (::GetFocus() == m_hWnd ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        case BM_SETSTYLE:
            // The dialog manager marks the focused button as the default this way; taken as it
            // comes, the style would turn the button back into one the platform draws.
            Invalidate(false);
            return 0;
        case WM_UPDATEUISTATE: {
            const LRESULT result = Default();
            Invalidate(false);  // the focus cue shows or hides
            return result;
        }
        default:
            return CButton::WindowProc(message, wParam, lParam);
    }
}

AccessibleFacts CMacButton::GetAccessibleFacts() const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_PUSHBUTTON;
    facts.state = WindowAccessibleState(m_hWnd);
    if (m_nMouseState == 2 || (GetState() & BST_PUSHED)) {
        facts.state |= STATE_SYSTEM_PRESSED;
    }
    if (facts.state & STATE_SYSTEM_FOCUSED) {
        facts.state |= STATE_SYSTEM_DEFAULT;
    }
    facts.name = m_strAccessibleName.empty() ? TextWithoutMnemonic(GetWindowText()) : m_strAccessibleName;
    facts.defaultAction = L"Press";
    return facts;
}

void CMacButton::TakeCapture() {
    if (::GetCapture() != m_hWnd) {
        SetCapture();
    }
}

void CMacButton::OnMouseMove(UINT, POINT point) {
    const RECT client = GetClientRect();
    if (::PtInRect(&client, point)) {
        // Holding the capture is how the button sees the mouse leave it.
        TakeCapture();
        if (m_nMouseState == 1 || m_nMouseState == 2) {
            return;
        }
        m_nMouseState = 1;
        Invalidate(false);
        Default();
        return;
    }
    if (::GetCapture() == m_hWnd) {
        // With the left button still down this also ends the platform's press: no click follows.
        ::ReleaseCapture();
    }
    m_nMouseState = 0;
    Invalidate(false);
    Default();
}

void CMacButton::OnLButtonDown(UINT, POINT) {
    m_nMouseState = 2;
    Default();
    if (m_ToolTip.m_hWnd && !m_ToolTip.IsWindowVisible()) {
        m_ToolTip.Update();
        m_ToolTip.Pop();
    }
}

void CMacButton::OnLButtonUp(UINT, POINT) {
    m_nMouseState = 0;
    Default();  // the platform clicks when the release is inside and its press still stands
}

void CMacButton::OnLButtonDblClk(UINT, POINT point) {
    // The second click of a double click is a press of its own.
    SendMessage(WM_LBUTTONDOWN, 0, MAKELPARAM(point.x, point.y));
}

void CMacButton::OnCaptureChanged(HWND newCapture) {
    // Losing the capture to another window (a menu, a dialog, a drag) ends hover and press
    // alike, so a later release over the button does not count as the end of that press.
    if (newCapture != m_hWnd) {
        m_nMouseState = 0;
    }
    Default();
}

void CMacButton::OnDestroy() {
    m_nMouseState = 0;
    DestroyIcon();
    Default();
}
