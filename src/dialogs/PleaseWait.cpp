// The please-wait window and its thread. Each start gets a session of its own, so a window that
// is still going away never reads the values of the one started after it, and each user holds
// only its own sessions.
#include "dialogs/PleaseWait.h"

#include "framework/Controls.h"
#include "framework/Dpi.h"
#include "skin/MacProgressCtrl.h"
#include "skin/SkinDialog.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct PleaseWaitSession {
    // Released by the producers and by StopPleaseWait under g_lock; waited on and finally closed
    // by the window's thread, which alone knows when nobody waits on it any more.
    HANDLE wake = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<int> pos{0};
    int total = 0;
    int theme = DEFAULT_THEME;
    std::wstring text;

    std::atomic<HWND> window{nullptr};
    std::atomic<int> shownPos{-1};
    std::atomic<int> repaints{0};
    std::atomic<bool> ended{false};
};

namespace {

using Session = PleaseWaitSession;

// Guards every session's wake handle against its closing, and g_latest.
std::mutex g_lock;
std::shared_ptr<Session> g_latest;  // the last started, kept for GetPleaseWaitState
std::atomic<int> g_liveWindows{0};

class CPleaseWaitDlg : public CSkinDialog {
public:
    explicit CPleaseWaitDlg(const Session& session) : m_session(session) {}
    ~CPleaseWaitDlg() override = default;

    CMacProgressCtrl m_progress;
    CStatic m_stcText;

    // Moves the bar to `pos` when it lies in the bar's range and repaints it at once; true when
    // the bar took the position.
    bool ShowPosition(int pos) {
        const bool inRange = pos >= m_progress.m_nMin && pos <= m_progress.m_nMax;
        if (inRange) {
            m_progress.SetPos(pos);
            m_progress.Invalidate(false);
        }
        ::UpdateWindow(m_progress.m_hWnd);
        return inRange;
    }

protected:
    BOOL OnInitDialog() override {
        // Laid out at 96 DPI and scaled to the window's.
        const int dpi = GetWindowDpi(m_hWnd);
        const auto S = [dpi](int length) { return ScaleToDpi(length, dpi); };
        MoveWindow(0, 0, S(300), S(130));
        SetWindowText(L"Please Wait...");
        CSkinDialog::OnInitDialog();
        const RECT textRect{S(30), S(50), S(270), S(67)};
        if (m_stcText.CreateEx(0, L"Static", m_session.text.c_str(), WS_CHILD | WS_VISIBLE | SS_NOPREFIX, textRect,
                               m_hWnd, 0xFFFF)) {
            m_stcText.SetFont(GetDialogFont(), false);
        }
        m_progress.SetRange(0, m_session.total);
        m_progress.ApplyTheme(m_nTheme);
        const RECT barRect{S(20), S(90), S(280), S(110)};
        m_progress.CreateEx(0, CWnd::RegisterPlainClass(), L"", WS_CHILD | WS_VISIBLE, barRect, m_hWnd, 0xFFFF);
        m_progress.m_bBorder = 1;
        // Nobody may close the window but the work that opened it.
        m_skin.HideCloseButton();
        return TRUE;
    }
    // Enter, Escape and a close request (which arrives as Cancel) do nothing.
    void OnOK() override {}
    void OnCancel() override {}

private:
    const Session& m_session;
};

// Dispatches everything queued for this thread, so that broadcasts sent to every top-level
// window are answered and the window is never taken for hung.
void PumpQueue() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            continue;  // nobody ends this thread but its session's stop flag
        }
        CWnd::ProcessMessage(msg);
    }
}

void RunWindow(Session& session) {
    const HWND previous = ::GetForegroundWindow();
    CPleaseWaitDlg dlg(session);
    dlg.m_nTheme = ClampTheme(session.theme);

    // A bare template: no controls, no menu, class or title. It is shown only after it is
    // placed, and without activation, so it never takes the keyboard.
    std::vector<DWORD> block(1024 / sizeof(DWORD), 0);
    auto* dialogTemplate = reinterpret_cast<DLGTEMPLATE*>(block.data());
    dialogTemplate->style = WS_POPUP | WS_DLGFRAME;
    dialogTemplate->dwExtendedStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE;
    dialogTemplate->cdit = 0;
    dialogTemplate->x = 0;
    dialogTemplate->y = 0;
    dialogTemplate->cx = 300;
    dialogTemplate->cy = 150;
    if (!dlg.CreateIndirect(dialogTemplate, nullptr)) {
        return;
    }
    dlg.CenterWindow();
    ::SetWindowPos(dlg.m_hWnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (previous && ::GetForegroundWindow() != previous) {
        ::SetForegroundWindow(previous);
    }
    session.window = dlg.m_hWnd;

    const auto show = [&](int pos) {
        if (dlg.ShowPosition(pos)) {
            session.shownPos = dlg.m_progress.m_nPos;
            ++session.repaints;
        }
    };
    while (!session.stop) {
        const DWORD woke = ::MsgWaitForMultipleObjects(1, &session.wake, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0 + 1) {
            PumpQueue();
            continue;
        }
        // The semaphore, or a failed wait, which counts as a wake-up.
        show(session.pos);
    }
    show(session.total);
    dlg.ShowWindow(SW_HIDE);
    dlg.DestroyWindow();
    session.window = nullptr;
}

DWORD WINAPI PleaseWaitThreadProc(LPVOID parameter) {
    const std::unique_ptr<std::shared_ptr<Session>> owner(static_cast<std::shared_ptr<Session>*>(parameter));
    Session& session = **owner;
    RunWindow(session);
    // Messages of the gone window may still be queued; they go with the thread.
    PumpQueue();
    {
        const std::lock_guard<std::mutex> guard(g_lock);
        ::CloseHandle(session.wake);
        session.wake = nullptr;
    }
    session.ended = true;
    --g_liveWindows;
    return 0;
}

void Wake(Session& session) {
    // Under g_lock: a release while the window's thread closes the handle would hit a closed one.
    if (session.wake) {
        ::ReleaseSemaphore(session.wake, 1, nullptr);  // fails harmlessly when already signalled
    }
}

void StopSession(Session& session) {
    // The flag before the wake-up, so the woken thread sees it.
    session.stop = true;
    const std::lock_guard<std::mutex> guard(g_lock);
    Wake(session);
}

}  // namespace

CPleaseWait::~CPleaseWait() {
    Stop();
}

void CPleaseWait::Start(const std::wstring& text, int total, int theme) {
    auto session = std::make_shared<Session>();
    session->total = total;
    session->text = text;
    session->theme = theme;
    // Signalled at the start, so the thread's first wait draws the bar at once.
    session->wake = ::CreateSemaphoreW(nullptr, 1, 1, nullptr);
    if (!session->wake) {
        return;
    }
    // The whole start under this user's lock: a start from another thread waits, then ends this
    // window before it shows its own, so no window is left without its user.
    const std::lock_guard<std::mutex> own(m_lock);
    if (m_session) {
        StopSession(*m_session);
        m_session.reset();
    }
    auto* parameter = new std::shared_ptr<Session>(session);
    ++g_liveWindows;
    const HANDLE thread = ::CreateThread(nullptr, 0, PleaseWaitThreadProc, parameter, 0, nullptr);
    if (!thread) {
        --g_liveWindows;
        delete parameter;
        ::CloseHandle(session->wake);
        session->wake = nullptr;
        return;
    }
    ::CloseHandle(thread);  // nobody waits for it
    m_session = session;
    const std::lock_guard<std::mutex> guard(g_lock);
    g_latest = std::move(session);
}

void CPleaseWait::SetPos(int position) {
    const std::lock_guard<std::mutex> own(m_lock);
    if (m_session) {
        m_session->pos = position;
        const std::lock_guard<std::mutex> guard(g_lock);
        Wake(*m_session);
    }
}

void CPleaseWait::Stop() {
    const std::lock_guard<std::mutex> own(m_lock);
    if (m_session) {
        StopSession(*m_session);
        m_session.reset();
    }
}

namespace {

CPleaseWait& SharedWindow() {
    static CPleaseWait shared;
    return shared;
}

}  // namespace

void StartPleaseWait(const std::wstring& text, int total, int theme) {
    SharedWindow().Start(text, total, theme);
}

void SetPleaseWaitPos(int position) {
    SharedWindow().SetPos(position);
}

void StopPleaseWait() {
    SharedWindow().Stop();
}

int CountPleaseWaitWindows() {
    return g_liveWindows;
}

PleaseWaitState GetPleaseWaitState() {
    std::shared_ptr<Session> session;
    {
        const std::lock_guard<std::mutex> guard(g_lock);
        session = g_latest;
    }
    PleaseWaitState state;
    if (session) {
        state.window = session->window;
        state.shownPos = session->shownPos;
        state.repaints = session->repaints;
        state.ended = session->ended;
    }
    return state;
}
