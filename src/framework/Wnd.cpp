#include "framework/Wnd.h"

#include "framework/Abi.h"
#include "framework/Accessible.h"

#include <cwchar>
#include <vector>

QUILL_CHECK_SYSTEM_SIZE(DRAWITEMSTRUCT, 48, 64);
QUILL_CHECK_SYSTEM_SIZE(MEASUREITEMSTRUCT, 24, 32);

namespace {

// The object that the next window created on this thread belongs to.
thread_local CWnd* t_creating = nullptr;

// The object of a window is kept in the window's user data and its messages reach it through
// a window procedure of ours in front of the original one. Both are plain reads of the window
// under Wine, where window properties and comctl32 subclassing each cost a server round trip
// per message (about 70 us: most of the time of filling a long list).
CWnd* ObjectOf(HWND hwnd) {
    return reinterpret_cast<CWnd*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

CWnd::~CWnd() {
    // A window that outlives its object must not call back into freed memory.
    UnsubclassWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hwnd) {
    if (!hwnd || reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(hwnd, GWLP_WNDPROC)) != StaticWindowProc) {
        return nullptr;
    }
    return ObjectOf(hwnd);
}

void CWnd::Bind(HWND hwnd) {
    QUILL_CHECK_CALLBACK(StaticWindowProc, WNDPROC);
    QUILL_CHECK_CALLBACK(CbtHookProc, HOOKPROC);
    m_hWnd = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StaticWindowProc)));
    m_bSubclassed = m_pfnSuper != nullptr;
    if (!m_bSubclassed) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    }
}

bool CWnd::SubclassWindow(HWND hwnd) {
    if (!hwnd || m_hWnd || FromHandlePermanent(hwnd) || ::GetWindowLongPtrW(hwnd, GWLP_USERDATA) != 0) {
        return false;
    }
    Bind(hwnd);
    if (!m_bSubclassed) {
        m_hWnd = nullptr;
        return false;
    }
    PreSubclassWindow();
    return true;
}

bool CWnd::SubclassDlgItem(int id, CWnd* parent) {
    return parent && SubclassWindow(::GetDlgItem(parent->m_hWnd, id));
}

void CWnd::UnsubclassWindow() {
    if (m_hWnd && m_bSubclassed) {
        // Only when nobody subclassed the window after us can the chain be given back.
        if (reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) == StaticWindowProc) {
            ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
        }
        ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    }
    m_bSubclassed = false;
    m_hWnd = nullptr;
}

CWnd::CreationHook::CreationHook(CWnd* wnd)
    : m_previous(t_creating), m_hook(::SetWindowsHookExW(WH_CBT, CbtHookProc, nullptr, ::GetCurrentThreadId())) {
    t_creating = wnd;
}

CWnd::CreationHook::~CreationHook() {
    t_creating = m_previous;
    if (m_hook) {
        ::UnhookWindowsHookEx(m_hook);
    }
}

LRESULT CALLBACK CWnd::CbtHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept {
    // Bound before WM_NCCREATE, so the object sees every message of its window, a dialog's
    // included (the dialog manager creates the window itself).
    if (code == HCBT_CREATEWND && t_creating) {
        CWnd* wnd = t_creating;
        t_creating = nullptr;
        wnd->Bind(reinterpret_cast<HWND>(wParam));
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

const wchar_t* CWnd::RegisterPlainClass() {
    static const wchar_t kName[] = L"QuillmarkWnd";
    WNDCLASSEXW wc{};
    if (!::GetClassInfoExW(::GetModuleHandleW(nullptr), kName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = ::DefWindowProcW;
        wc.hInstance = ::GetModuleHandleW(nullptr);
        wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.lpszClassName = kName;
        ::RegisterClassExW(&wc);
    }
    return kName;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                    HWND parent, UINT id) {
    if (m_hWnd) {
        return false;
    }
    HWND hwnd = nullptr;
    {
        CreationHook hook(this);
        hwnd = ::CreateWindowExW(exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
                                 rect.bottom - rect.top, parent,
                                 (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
    }
    if (!hwnd) {
        m_hWnd = nullptr;
        m_bSubclassed = false;
        return false;
    }
    if (m_hWnd != hwnd) {
        return false;
    }
    PreSubclassWindow();
    return true;
}

void CWnd::DestroyWindow() {
    if (m_hWnd) {
        ::DestroyWindow(m_hWnd);
    }
}

LRESULT CALLBACK CWnd::StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    CWnd* wnd = ObjectOf(hwnd);
    if (!wnd || wnd->m_hWnd != hwnd) {
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        const LRESULT result = wnd->Dispatch(message, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(wnd->m_pfnSuper));
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        wnd->m_hWnd = nullptr;
        wnd->m_bSubclassed = false;
        wnd->PostNcDestroy();
        return result;
    }
    return wnd->Dispatch(message, wParam, lParam);
}

LRESULT CWnd::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    const CurrentMessage saved = m_current;
    m_current = {message, wParam, lParam};
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        // Nothing may unwind through the platform's window procedure.
        result = 0;
    }
    m_current = saved;
    return result;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_bSubclassed) {
        return ::CallWindowProcW(m_pfnSuper, m_hWnd, message, wParam, lParam);
    }
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() {
    return DefWindowProc(m_current.message, m_current.wParam, m_current.lParam);
}

CWnd* CWnd::FindControlForMeasure(int id) {
    return FromHandlePermanent(::GetDlgItem(m_hWnd, id));
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            if (OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam))) {
                return 0;
            }
            break;
        case WM_NOTIFY: {
            LRESULT result = 0;
            if (OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) {
                return result;
            }
            break;
        }
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_SIZE:
            OnSize(static_cast<UINT>(wParam), static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
            return 0;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_GETMINMAXINFO:
            OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DROPFILES:
            OnDropFiles(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<LRESULT>(OnQueryDragIcon());
        case WM_LBUTTONDOWN:
            OnLButtonDown(static_cast<UINT>(wParam), PointFromLParam(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnLButtonUp(static_cast<UINT>(wParam), PointFromLParam(lParam));
            return 0;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(static_cast<UINT>(wParam), PointFromLParam(lParam));
            return 0;
        case WM_MOUSEMOVE:
            OnMouseMove(static_cast<UINT>(wParam), PointFromLParam(lParam));
            return 0;
        case WM_KEYDOWN:
            OnKeyDown(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_KEYUP:
            OnKeyUp(static_cast<UINT>(wParam), LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_TIMER:
            OnTimer(static_cast<UINT_PTR>(wParam));
            return 0;
        case WM_CAPTURECHANGED:
            OnCaptureChanged(reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_GETOBJECT:
            if (dynamic_cast<CAccessibleControl*>(this)) {
                if (const LRESULT answer = AnswerGetObject(m_hWnd, wParam, lParam)) {
                    return answer;
                }
            }
            break;
        case WM_DRAWITEM: {
            auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            if (draw->CtlType != ODT_MENU) {
                CWnd* control = FromHandlePermanent(draw->hwndItem);
                if (control && control->OnReflectDrawItem(draw)) {
                    return TRUE;
                }
            }
            break;
        }
        case WM_MEASUREITEM: {
            auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (measure->CtlType != ODT_MENU) {
                CWnd* control = FindControlForMeasure(static_cast<int>(measure->CtlID));
                if (control && control->OnReflectMeasureItem(measure)) {
                    return TRUE;
                }
            }
            break;
        }
        default:
            break;
    }
    return Default();
}

BOOL CWnd::OnCommand(UINT, UINT, HWND) {
    return FALSE;
}

BOOL CWnd::OnNotify(NMHDR*, LRESULT*) {
    return FALSE;
}

void CWnd::OnSize(UINT, int, int) {
    Default();
}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CWnd::ProcessMessage(MSG& msg) {
    for (HWND hwnd = msg.hwnd; hwnd; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = FromHandlePermanent(hwnd);
        if (wnd && wnd->PreTranslateMessage(&msg)) {
            return;
        }
        if (!(::GetWindowLongW(hwnd, GWL_STYLE) & WS_CHILD)) {
            break;  // an owned top-level window does not pass its keys to its owner
        }
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
}

bool CWnd::PumpPendingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        ProcessMessage(msg);
    }
    return true;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

CWnd* CWnd::GetParent() const {
    return FromHandlePermanent(::GetParent(m_hWnd));
}

std::wstring CWnd::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0) {
        return {};
    }
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const int copied = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return std::wstring(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

void CWnd::SetWindowText(const std::wstring& text) {
    ::SetWindowTextW(m_hWnd, text.c_str());
}

RECT CWnd::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

RECT CWnd::GetRectInParent() const {
    return GetRectInParent(m_hWnd);
}

RECT CWnd::GetRectInParent(HWND hwnd) {
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(hwnd), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CWnd::MoveWindow(HWND hwnd, const RECT& rect, bool repaint) {
    ::MoveWindow(hwnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint ? TRUE : FALSE);
}

bool CWnd::IsGroupBox(HWND hwnd) {
    wchar_t className[16]{};
    ::GetClassNameW(hwnd, className, 16);
    return _wcsicmp(className, L"Button") == 0 && (::GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
}

std::vector<HWND> CWnd::GetChildWindows() const {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        children.push_back(child);
    }
    return children;
}

void CWnd::MoveWindow(const RECT& rect, bool repaint) {
    MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

void CWnd::MoveWindow(int x, int y, int cx, int cy, bool repaint) {
    ::MoveWindow(m_hWnd, x, y, cx, cy, repaint ? TRUE : FALSE);
}

void CWnd::CenterWindow() {
    // Over the owner when there is a visible one, else within the work area of the monitor.
    const RECT window = GetWindowRect();
    const HMONITOR monitor = ::MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(monitor, &info);
    RECT area = info.rcWork;
    const HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner)) {
        ::GetWindowRect(owner, &area);
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = (area.left + area.right - width) / 2;
    int y = (area.top + area.bottom - height) / 2;
    // Keep the caption reachable on a small screen.
    if (x + width > info.rcWork.right)
        x = info.rcWork.right - width;
    if (y + height > info.rcWork.bottom)
        y = info.rcWork.bottom - height;
    if (x < info.rcWork.left)
        x = info.rcWork.left;
    if (y < info.rcWork.top)
        y = info.rcWork.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool CWnd::ModifyStyle(DWORD remove, DWORD add) {
    const DWORD style = GetStyle();
    const DWORD changed = (style & ~remove) | add;
    if (changed == style) {
        return false;
    }
    ::SetWindowLongW(m_hWnd, GWL_STYLE, static_cast<LONG>(changed));
    return true;
}

void CWnd::SetFont(HFONT font, bool redraw) {
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

void CWnd::SetIcon(HICON icon, bool big) {
    SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}
