#include "dialogs/MacMessageDlg.h"

#include "framework/Dpi.h"
#include "framework/Gdi.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

constexpr int kButtonWidth = 68;
constexpr int kButtonHeight = 23;
// Two buttons and the 40-pixel gap between them.
constexpr int kButtonPairWidth = 2 * kButtonWidth + 40;
constexpr int kMinBoxWidth = 220;
constexpr wchar_t kDontShowText[] = L"Do not show me this dialog again.";

RECT ButtonAt(int x, int y, int dpi) {
    return RECT{x, y, x + ScaleToDpi(kButtonWidth, dpi), y + ScaleToDpi(kButtonHeight, dpi)};
}

}  // namespace

MessageBoxLayout LayOutMessageBox(int textWidth, int wrappedHeight, int maxWidth, int type, bool showCheck,
                                  int checkWidth, int dpi) {
    const auto S = [dpi](int length) { return ScaleToDpi(length, dpi); };
    MessageBoxLayout layout;
    const int tw = std::max(0, std::min(textWidth, maxWidth));
    int height = std::max(0, wrappedHeight);
    if (height < S(60)) {
        height += S(26);  // a short message keeps some air above the buttons
    }
    const bool yesNo = type == CMacMessageDlg::kTypeYesNo;
    layout.showCheck = yesNo && showCheck;
    layout.text = RECT{S(30), S(50), S(30) + tw, S(50) + height};
    layout.cyBox = height + S(80) + (layout.showCheck ? S(26) : 0);
    layout.cxBox = std::max(tw + S(55), S(kMinBoxWidth));
    if (layout.showCheck) {
        // The check box's label is never cut: a short question grows to hold it, up to the
        // widest box.
        layout.cxBox = std::max(layout.cxBox, std::min(std::max(0, checkWidth) + S(60), maxWidth + S(55)));
    }
    if (layout.cxBox > tw + S(55)) {
        layout.text.left = (layout.cxBox - tw) / 2;
        layout.text.right = layout.text.left + tw;
    }
    if (yesNo) {
        const int y = layout.cyBox - (layout.showCheck ? S(56) : S(40));
        const int x = (layout.cxBox - S(kButtonPairWidth)) / 2;
        layout.button1 = ButtonAt(x, y, dpi);
        layout.button2 = ButtonAt(x + S(kButtonWidth + 40), y, dpi);
        layout.showButton2 = true;
        if (layout.showCheck) {
            layout.check = RECT{S(30), layout.cyBox - S(25), layout.cxBox - S(30), layout.cyBox - S(10)};
        }
    } else {
        layout.button1 = ButtonAt((layout.cxBox - S(kButtonWidth)) / 2, layout.cyBox - S(40), dpi);
    }
    return layout;
}

CMacMessageDlg::CMacMessageDlg(CWnd* parent) {
    m_pParentWnd = parent;
}

CMacMessageDlg::~CMacMessageDlg() = default;

int CMacMessageDlg::ShowMessage(const std::wstring& text, int type) {
    m_strMessage = text;
    m_nType = type;
    // Without an owner of its own the box belongs to this thread's active window (the main
    // window, in the program), which stays disabled while the box asks. A window that is not
    // one of our objects is only borrowed by its handle for the time of the box.
    CWnd* const ownParent = m_pParentWnd;
    CWnd borrowedOwner;
    if (!m_pParentWnd) {
        if (const HWND active = ::GetActiveWindow()) {
            m_pParentWnd = FromHandlePermanent(active);
            if (!m_pParentWnd) {
                borrowedOwner.m_hWnd = active;
                m_pParentWnd = &borrowedOwner;
            }
        }
    }
    const INT_PTR result = DoModal();
    m_pParentWnd = ownParent;
    borrowedOwner.m_hWnd = nullptr;
    return static_cast<int>(result);
}

BOOL CMacMessageDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
        // Enter answers with the focused button, else with the first; Escape with the second
        // (hidden, but there, in the OK layout); Y and N, the buttons' underlined letters, answer
        // at once.
        int id = 0;
        const HWND focus = ::GetFocus();
        switch (msg->wParam) {
            case VK_RETURN:
                id = focus && (focus == m_btn1.m_hWnd || focus == m_btn2.m_hWnd) ? ::GetDlgCtrlID(focus) : IDOK;
                break;
            case VK_ESCAPE:
                id = IDCANCEL;
                break;
            case 'Y':
                id = m_nType == kTypeYesNo ? IDOK : 0;
                break;
            case 'N':
                id = m_nType == kTypeYesNo ? IDCANCEL : 0;
                break;
            case 'O':
                id = m_nType == kTypeOk ? IDOK : 0;
                break;
            default:
                break;
        }
        if (id != 0) {
            SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(m_hWnd, id)));
            return TRUE;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

BOOL CMacMessageDlg::OnCommand(UINT id, UINT code, HWND control) {
    // Every way of closing the box, Escape and the window's close included, arrives here as
    // IDOK or IDCANCEL; the check box's state is taken then, whatever the answer.
    if (code == BN_CLICKED && (id == IDOK || id == IDCANCEL) && ::IsWindow(m_chkDontShow.m_hWnd)) {
        m_bDontShowAgain = m_chkDontShow.IsChecked() != FALSE;
    }
    return CDialog::OnCommand(id, code, control);
}

SIZE CMacMessageDlg::MeasureMessage(HFONT font) const {
    CClientDC dc(m_hWnd);
    DCStateGuard guard(dc.dc());
    if (font) {
        ::SelectObject(dc.dc(), font);
    }
    // The same flags as the static that shows the text: an "&" is shown as it is, tabs expand.
    // Without word breaks the width is that of the longest line.
    const int length = static_cast<int>(std::min<size_t>(m_strMessage.size(), INT_MAX));
    RECT line{0, 0, 0, 0};
    ::DrawTextW(dc.dc(), m_strMessage.c_str(), length, &line, DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    const int dpi = GetWindowDpi(m_hWnd);
    RECT wrapped{0, 0, MessageWrapWidth(ScaleToDpi(m_nMaxWidth, dpi), dpi), 0};
    ::DrawTextW(dc.dc(), m_strMessage.c_str(), length, &wrapped,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    return SIZE{line.right - line.left, wrapped.bottom - wrapped.top};
}

int CMacMessageDlg::MeasureCheckBox(HFONT font) const {
    CClientDC dc(m_hWnd);
    DCStateGuard guard(dc.dc());
    if (font) {
        ::SelectObject(dc.dc(), font);
    }
    SIZE extent{};
    ::GetTextExtentPoint32W(dc.dc(), kDontShowText, static_cast<int>(std::size(kDontShowText) - 1), &extent);
    return ScaleToDpi(CMacCheckBox::kTextOffset, GetWindowDpi(m_hWnd)) + extent.cx;
}

bool CMacMessageDlg::CreateChild(CWnd& child, const wchar_t* className, const wchar_t* text, DWORD style,
                                 const RECT& windowRect, UINT id, HFONT font) {
    // The layout counts from the window's corner; the client area starts inside the border.
    POINT clientOrigin{0, 0};
    ::ClientToScreen(m_hWnd, &clientOrigin);
    const RECT window = GetWindowRect();
    RECT rect = windowRect;
    ::OffsetRect(&rect, window.left - clientOrigin.x, window.top - clientOrigin.y);
    if (!child.CreateEx(0, className, text, style, rect, m_hWnd, id)) {
        return false;
    }
    child.SetFont(font, false);
    return true;
}

BOOL CMacMessageDlg::OnInitDialog() {
    const bool yesNo = m_nType == kTypeYesNo;
    // The title bar draws the title when the frame attaches, so the title comes first.
    SetWindowText(yesNo ? L"Please select" : L"Message");

    // Measured in the dialog's own font, which every control of the box shares.
    const HFONT font = GetDialogFont();
    const SIZE extent = MeasureMessage(font);
    const MessageBoxLayout layout =
        LayOutMessageBox(extent.cx, extent.cy, ScaleToDpi(m_nMaxWidth, GetWindowDpi(m_hWnd)), m_nType, m_bShowCheck,
                         MeasureCheckBox(font), GetWindowDpi(m_hWnd));
    MoveWindow(0, 0, layout.cxBox, layout.cyBox, false);
    if (!::GetWindow(m_hWnd, GW_OWNER)) {
        // Nothing of ours is behind it to bring it up again: it has its own taskbar entry and
        // stays in front. Made topmost before the frame gives it owned windows (the tooltips):
        // Wine then places the box below them and no longer marks it topmost.
        ::SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, ::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE) | WS_EX_APPWINDOW);
        ::SetWindowPos(m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    CSkinDialog::OnInitDialog();
    CenterWindow();

    CreateChild(m_stcMessage, L"Static", m_strMessage.c_str(),
                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SS_LEFT | SS_NOPREFIX, layout.text, 0xFFFF, font);

    const DWORD buttonStyle = WS_CHILD | WS_TABSTOP | BS_FLAT;
    CreateChild(m_btn1, L"Button", yesNo ? L"&Yes" : L"&OK", buttonStyle | WS_VISIBLE, layout.button1, IDOK, font);
    // The second button exists in both layouts, so that Escape and closing the window always mean it.
    CreateChild(m_btn2, L"Button", L"&No", buttonStyle | (layout.showButton2 ? WS_VISIBLE : 0), layout.button2,
                IDCANCEL, font);
    if (layout.showCheck) {
        CreateChild(m_chkDontShow, L"Button", kDontShowText, WS_CHILD | WS_VISIBLE | WS_TABSTOP, layout.check, 0xFFFF,
                    font);
        m_chkDontShow.ApplyTheme(m_nTheme);
        m_chkDontShow.SetChecked(FALSE);
        m_chkDontShow.InvalidateBox();
    }
    m_btn1.ApplyTheme(m_nTheme);
    m_btn2.ApplyTheme(m_nTheme);
    m_skin.HideCloseButton();
    // The text's rectangle reaches into the row of the buttons when the message is short: at the
    // bottom of the z-order (each new child goes below the earlier ones) and clipped by its
    // siblings, the static never paints over them.
    ::SetWindowPos(m_stcMessage.m_hWnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    ShowWindow(SW_SHOW);
    ::SetForegroundWindow(m_hWnd);
    return TRUE;  // the dialog manager gives the focus to the first button
}
