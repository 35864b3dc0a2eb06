// CWnd: a window object bound to its HWND, with typed message handlers.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <vector>

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = nullptr;
    operator HWND() const { return m_hWnd; }

    // The object bound to a window of ours, or null for a window that is not ours.
    static CWnd* FromHandlePermanent(HWND hwnd);

    // Binds a template control to this object by subclassing it; the stand-in for DDX_Control.
    bool SubclassDlgItem(int id, CWnd* parent);
    bool SubclassWindow(HWND hwnd);
    void UnsubclassWindow();

    // Creation of a window of our own class: every message, from the first, reaches the object.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style, const RECT& rect,
                  HWND parent, UINT id);
    static const wchar_t* RegisterPlainClass();
    void DestroyWindow();

    // Dispatches one queued message as the modal loop does: PreTranslateMessage of the target
    // window and its ancestors first, then translation and dispatch.
    static void ProcessMessage(MSG& msg);
    // Processes every message already queued for this thread; false once WM_QUIT was seen.
    static bool PumpPendingMessages();

    // The message being processed and its default processing (the platform's, or the original
    // window procedure of a subclassed control).
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Default();
    // The platform's default processing (or the subclassed control's own) of a message, past
    // any override of DefWindowProc: for a hook sitting in that override that must let the
    // default run before its own work.
    LRESULT DefaultProcessing(UINT message, WPARAM wParam, LPARAM lParam) {
        return CWnd::DefWindowProc(message, wParam, lParam);
    }

    // Offered every queued message of the modal loop before it is dispatched; TRUE consumes it.
    virtual BOOL PreTranslateMessage(MSG* msg);

    // Thin typed wrappers of the window functions.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    CWnd* GetParent() const;
    HWND GetParentHwnd() const { return ::GetParent(m_hWnd); }
    std::wstring GetWindowText() const;
    void SetWindowText(const std::wstring& text);
    void EnableWindow(bool enable = true) { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }
    void ShowWindow(int cmd) { ::ShowWindow(m_hWnd, cmd); }
    bool IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }
    bool IsZoomed() const { return ::IsZoomed(m_hWnd) != FALSE; }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    RECT GetClientRect() const;
    RECT GetWindowRect() const;
    // The window rectangle in the client coordinates of the parent.
    RECT GetRectInParent() const;
    void MoveWindow(const RECT& rect, bool repaint = true);
    // Moves any window, ours or not (a template's group box), to `rect` in its parent's client
    // coordinates.
    static void MoveWindow(HWND hwnd, const RECT& rect, bool repaint = true);
    // The direct child windows, first to last (a dialog's: in template order).
    std::vector<HWND> GetChildWindows() const;
    // The rectangle of any window in the client coordinates of its parent.
    static RECT GetRectInParent(HWND hwnd);
    // Whether any window is a group box (a button of that style).
    static bool IsGroupBox(HWND hwnd);
    void MoveWindow(int x, int y, int cx, int cy, bool repaint = true);
    void CenterWindow();
    void Invalidate(bool erase = true) { ::InvalidateRect(m_hWnd, nullptr, erase ? TRUE : FALSE); }
    HWND SetCapture() { return ::SetCapture(m_hWnd); }
    HWND SetFocus() { return ::SetFocus(m_hWnd); }
    HFONT GetFont() const { return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT)); }
    void SetFont(HFONT font, bool redraw = true);
    void SetIcon(HICON icon, bool big);
    void DragAcceptFiles(bool accept = true) { ::DragAcceptFiles(m_hWnd, accept ? TRUE : FALSE); }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    // Removes the bits of `remove`, then adds those of `add`; true when the style changed.
    bool ModifyStyle(DWORD remove, DWORD add);

protected:
    // Typed handlers. The defaults run the default processing of the message.
    virtual BOOL OnCommand(UINT id, UINT code, HWND control);
    virtual BOOL OnNotify(NMHDR* header, LRESULT* result);
    virtual void OnPaint() { Default(); }
    virtual void OnSize(UINT type, int cx, int cy);
    virtual void OnDestroy() { Default(); }
    virtual void OnGetMinMaxInfo(MINMAXINFO*) { Default(); }
    virtual void OnDropFiles(HDROP) { Default(); }
    virtual HCURSOR OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
    virtual void OnLButtonDown(UINT, POINT) { Default(); }
    virtual void OnLButtonUp(UINT, POINT) { Default(); }
    virtual void OnLButtonDblClk(UINT, POINT) { Default(); }
    virtual void OnMouseMove(UINT, POINT) { Default(); }
    virtual void OnKeyDown(UINT, UINT, UINT) { Default(); }
    virtual void OnKeyUp(UINT, UINT, UINT) { Default(); }
    virtual void OnTimer(UINT_PTR) { Default(); }
    // The mouse capture went from this window to `newCapture` (null, another window, or this
    // one again when it re-takes it).
    virtual void OnCaptureChanged(HWND) { Default(); }

    // Owner-draw requests reflected from the parent to the control object.
    virtual BOOL OnReflectDrawItem(DRAWITEMSTRUCT*) { return FALSE; }
    virtual BOOL OnReflectMeasureItem(MEASUREITEMSTRUCT*) { return FALSE; }
    // The control that answers a measure request for an id; a dialog knows its members
    // before they are bound.
    virtual CWnd* FindControlForMeasure(int id);

    // The window has just been bound to this object: a control created by us before its first
    // message, a template control when it is subclassed.
    virtual void PreSubclassWindow() {}

    // The window is gone: the object forgets it. Last message a window sends.
    virtual void PostNcDestroy() {}

    void Bind(HWND hwnd);

private:
    friend class CDialog;
    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    CurrentMessage m_current{};
    bool m_bSubclassed = false;
    WNDPROC m_pfnSuper = nullptr;  // the window procedure ours sits in front of

    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK StaticWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK CbtHookProc(int code, WPARAM wParam, LPARAM lParam) noexcept;

protected:
    // Binds the next window created on this thread to `wnd`, from its very first message.
    class CreationHook {
    public:
        explicit CreationHook(CWnd* wnd);
        ~CreationHook();
        CreationHook(const CreationHook&) = delete;
        CreationHook& operator=(const CreationHook&) = delete;

    private:
        CWnd* m_previous;
        HHOOK m_hook;
    };
};

// Wide point from a mouse message's lParam (signed, for multi-monitor coordinates).
inline POINT PointFromLParam(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
