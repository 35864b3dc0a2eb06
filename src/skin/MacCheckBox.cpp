#include "skin/MacCheckBox.h"

#include "framework/Dpi.h"
#include "framework/Gdi.h"

#include <initializer_list>
#include <string>

namespace {

constexpr int kBoxSize = 12;
constexpr int kTextOffset = CMacCheckBox::kTextOffset;
static_assert(kTextOffset == kBoxSize + 5, "the text starts after the box and a gap");

// The tick is designed on the 96-DPI pixel grid, with (0, 0) the inner box's top left corner;
// at another DPI each point and the pen's width are scaled, so the tick keeps its shape and
// weight in the scaled box. At 96 DPI it is the designed pixels exactly.
struct TickGrid {
    int left;
    int top;
    int dpi;
    POINT At(POINT p) const { return {left + ScaleToDpi(p.x, dpi), top + ScaleToDpi(p.y, dpi)}; }
};

// One polyline of the tick in a pen of `colour`; the last point is not drawn.
void DrawStroke(HDC dc, const TickGrid& grid, COLORREF colour, std::initializer_list<POINT> points) {
    const UniquePen pen(
        ::CreatePen(grid.dpi == kDesignDpi ? PS_INSIDEFRAME : PS_SOLID, ScaleToDpi(1, grid.dpi), colour));
    const HGDIOBJ old = ::SelectObject(dc, pen.get());
    auto point = points.begin();
    const POINT first = grid.At(*point);
    ::MoveToEx(dc, first.x, first.y, nullptr);
    for (++point; point != points.end(); ++point) {
        const POINT next = grid.At(*point);
        ::LineTo(dc, next.x, next.y);
    }
    ::SelectObject(dc, old);
}

// One pixel of the 96-DPI grid: a square of the scaled pixel's size.
void FillGridPixel(HDC dc, const TickGrid& grid, POINT p, COLORREF colour) {
    const POINT at = grid.At(p);
    const int size = ScaleToDpi(1, grid.dpi);
    const RECT square{at.x, at.y, at.x + size, at.y + size};
    const COLORREF oldBack = ::SetBkColor(dc, colour);
    ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &square, nullptr, 0, nullptr);
    ::SetBkColor(dc, oldBack);
}

// A one-pixel bevel: `topLeft` along the top row and the left column, each short of its last
// pixel, `bottomRight` along the whole right column and bottom row.
void Draw3dRect(HDC dc, const RECT& r, COLORREF topLeft, COLORREF bottomRight) {
    const COLORREF oldBack = ::GetBkColor(dc);
    const auto fill = [dc](COLORREF colour, int left, int top, int right, int bottom) {
        const RECT line{left, top, right, bottom};
        ::SetBkColor(dc, colour);
        ::ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &line, nullptr, 0, nullptr);
    };
    fill(topLeft, r.left, r.top, r.right - 1, r.top + 1);
    fill(topLeft, r.left, r.top, r.left + 1, r.bottom - 1);
    fill(bottomRight, r.right - 1, r.top, r.right, r.bottom);
    fill(bottomRight, r.left, r.bottom - 1, r.right, r.bottom);
    ::SetBkColor(dc, oldBack);
}

}  // namespace

int CMacCheckBox::GetDpi() const {
    return m_nDpi > 0 ? m_nDpi : GetWindowDpi(m_hWnd);
}

int CMacCheckBox::NeededWidth() const {
    if (!m_hWnd) {
        return 0;
    }
    const std::wstring caption = GetWindowText();
    const CClientDC windowDC(m_hWnd);
    if (!windowDC.dc()) {
        return 0;
    }
    const HFONT font = GetFont();
    const HGDIOBJ oldFont = font ? ::SelectObject(windowDC.dc(), font) : nullptr;
    SIZE extent{};
    ::GetTextExtentPoint32W(windowDC.dc(), caption.c_str(), static_cast<int>(caption.size()), &extent);
    if (oldFont) {
        ::SelectObject(windowDC.dc(), oldFont);
    }
    // With room for a disabled label, whose unsmoothed glyphs can be a little wider (see
    // DrawGrayText).
    return ScaleToDpi(kTextOffset, GetDpi()) + extent.cx + extent.cx / 24 + 2;
}

void CMacCheckBox::UpdateColors() {
    const ThemeColors& row = GetThemeColors(m_nTheme);
    m_clrCorner = row.clrLight;
    m_clrDisabled = ShiftColor(row.clrFace, -60);
    m_clrHighlight = row.clrHighlight;
    m_clrFrame = ShiftColor(row.clrShadow, -10);
    m_clrShade = MidColor(m_clrCorner, m_clrDisabled);
}

void CMacCheckBox::ApplyTheme(int theme) {
    m_nTheme = ClampTheme(theme);
    UpdateColors();
}

void CMacCheckBox::PreSubclassWindow() {
    // Declared or created as any kind of button, the control draws itself. The button type is
    // replaced rather than or-ed in: BS_OWNERDRAW or-ed into a radio or three-state type would
    // give 0xF, which is no button type at all.
    ModifyStyle(BS_TYPEMASK, BS_OWNERDRAW);
}

void CMacCheckBox::SetChecked(BOOL value) {
    const BOOL previous = m_bChecked;
    m_bSettingState = true;
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(value));
    m_bSettingState = false;
    m_bChecked = value;
    if (previous != value) {
        InvalidateBox();
    }
}

LRESULT CMacCheckBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case BM_SETCHECK:
            // Any non-zero state counts as checked, as for a plain check box of the platform.
            m_platformCheck = wParam ? BST_CHECKED : BST_UNCHECKED;
            if (!m_bSettingState && (wParam != 0) != (m_bChecked != FALSE)) {
                // Set from outside: the box shows it, and the program's reading of the box is the
                // same as the reader's.
                m_bChecked = wParam ? TRUE : FALSE;
                InvalidateBox();
                ::SendMessageW(GetParentHwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), kStateSetCode),
                               reinterpret_cast<LPARAM>(m_hWnd));
            }
            return 0;
        case BM_GETCHECK:
            return static_cast<LRESULT>(m_platformCheck);
        case BM_GETSTATE: {
            // The focus bit is the platform's; the check and the press are ours (the press takes
            // no default processing, so the platform never sees it).
            const LRESULT platform = Default();
            return (platform & BST_FOCUS) | static_cast<LRESULT>(m_platformCheck) | (m_bPressed ? BST_PUSHED : 0);
        }
        case WM_CAPTURECHANGED:
            // Capture taken away mid-press (a menu, a message box, another window's SetCapture):
            // the press is over, so a later release over the box must not toggle it.
            if (reinterpret_cast<HWND>(lParam) != m_hWnd && m_bPressed) {
                m_bPressed = FALSE;
                InvalidateBox();
            }
            return Default();
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_UPDATEUISTATE: {
            // The focus cue comes and goes with the whole control redrawn on an erased background.
            // A space-bar press ends without a click when the focus leaves.
            if (message == WM_KILLFOCUS) {
                m_bPressed = FALSE;
            }
            const LRESULT result = Default();
            InvalidateBox();
            return result;
        }
        case WM_SYSCOLORCHANGE: {
            const LRESULT result = Default();
            UpdateColors();
            return result;
        }
        default:
            return CButton::WindowProc(message, wParam, lParam);
    }
}

BOOL CMacCheckBox::OnReflectDrawItem(DRAWITEMSTRUCT* item) {
    if (!item || item->CtlType != ODT_BUTTON) {
        return FALSE;
    }
    if (item->itemAction == ODA_FOCUS) {
        return TRUE;  // drawn again whole: see WM_SETFOCUS
    }
    DrawItem(*item);
    return TRUE;
}

void CMacCheckBox::DrawItem(const DRAWITEMSTRUCT& item) {
    const HDC dc = item.hDC;
    if (!dc) {
        return;
    }
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const COLORREF ink = disabled ? m_clrDisabled : m_clrFrame;
    const RECT& r = item.rcItem;
    const int dpi = GetDpi();
    const int boxSize = ScaleToDpi(kBoxSize, dpi);

    // The box, centred vertically (rounding down, so a control lower than the box clips it).
    const int height = r.bottom - r.top - boxSize;
    const int boxTop = r.top + (height >= 0 ? height / 2 : -((1 - height) / 2));
    const RECT box{r.left, boxTop, r.left + boxSize, boxTop + boxSize};
    {
        const UniqueBrush frame(::CreateSolidBrush(ink));
        ::FrameRect(dc, &box, frame.get());
    }
    const RECT inner{box.left + 1, box.top + 1, box.right - 1, box.bottom - 1};
    // Pressed, the light and the shade swap sides and the box looks pushed in.
    if (m_bPressed) {
        Draw3dRect(dc, inner, m_clrShade, m_clrHighlight);
    } else {
        Draw3dRect(dc, inner, m_clrHighlight, m_clrShade);
    }
    ::SetPixel(dc, inner.right - 1, inner.top, m_clrCorner);
    ::SetPixel(dc, inner.left, inner.bottom - 1, m_clrCorner);

    if (m_bChecked) {
        // The long stroke runs out past the box's top right corner.
        const TickGrid grid{inner.left, inner.top, dpi};
        DrawStroke(dc, grid, ink, {{1, 4}, {4, 7}, {12, -1}});
        DrawStroke(dc, grid, ink, {{2, 4}, {4, 6}, {10, 0}});
        DrawStroke(dc, grid, m_clrShade, {{4, 8}, {9, 3}, {9, 5}});
        DrawStroke(dc, grid, m_clrShade, {{2, 6}, {4, 8}});
        DrawStroke(dc, grid, m_clrShade, {{5, 8}, {9, 4}});
        FillGridPixel(dc, grid, {11, 1}, m_clrShade);
        FillGridPixel(dc, grid, {12, 1}, m_clrShade);
        FillGridPixel(dc, grid, {11, 2}, m_clrShade);
    }

    RECT text = r;
    text.left = r.left + ScaleToDpi(kTextOffset, dpi);
    text.top += 1;
    const std::wstring caption = m_hWnd ? GetWindowText() : std::wstring();
    ::SetBkColor(dc, GetThemeColors(m_nTheme).clrWindow);
    const HFONT font = m_hWnd ? GetFont() : nullptr;
    const HGDIOBJ oldFont = font ? ::SelectObject(dc, font) : nullptr;
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
    if (disabled) {
        DrawGrayText(dc, caption, 0, text.left, text.top, text.right, text.bottom);
    } else {
        // A text too wide for one line starts at the top and is clipped, never wrapped.
        const UINT format =
            extent.cx <= text.right - text.left ? DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER : DT_NOPREFIX;
        ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, format);
    }
    if ((item.itemState & ODS_FOCUS) && !(item.itemState & ODS_NOFOCUSRECT) && !caption.empty()) {
        // Around the text as it stands in the control, one pixel out, within the control.
        const int textTop =
            extent.cx <= text.right - text.left ? text.top + (text.bottom - text.top - extent.cy) / 2 : text.top;
        RECT cue{text.left - 2, textTop - 1, text.left + extent.cx + 2, textTop + extent.cy + 1};
        ::IntersectRect(&cue, &cue, &r);
        ::DrawFocusRect(dc, &cue);
    }
    if (oldFont) {
        ::SelectObject(dc, oldFont);
    }
}

void CMacCheckBox::OnLButtonDown(UINT, POINT) {
    // No default processing: the platform neither presses the button nor takes the focus.
    // Pressed only once the capture is ours, so taking it cannot end the press it starts.
    SetCapture();
    m_bPressed = TRUE;
    InvalidateBox();
}

void CMacCheckBox::OnLButtonUp(UINT, POINT point) {
    // Letting the capture go ends the press through WM_CAPTURECHANGED; whether there was one is
    // read first.
    const BOOL wasPressed = m_bPressed;
    m_bPressed = FALSE;
    ::ReleaseCapture();
    if (!wasPressed) {
        return;
    }
    const RECT client = GetClientRect();
    EndPress(::PtInRect(&client, point) != FALSE);
}

void CMacCheckBox::EndPress(bool toggle) {
    m_bPressed = FALSE;
    if (toggle) {
        m_bChecked = Inverted(m_bChecked);
    }
    m_bSettingState = true;
    SendMessage(BM_SETCHECK, static_cast<WPARAM>(m_bChecked));
    m_bSettingState = false;
    InvalidateBox();
    // Posted, so the parent's handler runs after the new state is stored; sent even when a
    // mouse release was outside and nothing changed.
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
    // The space bar clicks, as on any check box: a box toggled quietly would leave the controls
    // it switches on disabled while it shows ticked. Only a press that began on this box counts.
    if (key == VK_SPACE && m_bPressed) {
        EndPress(true);
    }
}

AccessibleFacts CMacCheckBox::GetAccessibleFacts() const {
    AccessibleFacts facts;
    facts.role = ROLE_SYSTEM_CHECKBUTTON;
    facts.state = WindowAccessibleState(m_hWnd) | (m_bChecked ? STATE_SYSTEM_CHECKED : 0) |
                  (m_bPressed ? STATE_SYSTEM_PRESSED : 0);
    facts.name = GetWindowText();  // drawn without prefix processing: an "&" is an "&"
    facts.defaultAction = m_bChecked ? L"Uncheck" : L"Check";
    return facts;
}
