#include "BoxAnswerer.h"

#include "dialogs/MacMessageDlg.h"

#include <algorithm>

BoxAnswerer::BoxAnswerer(std::deque<bool> answers) : m_answers(std::move(answers)) {
    s_current = this;
    m_timer = ::SetTimer(nullptr, 0, 20, OnTimer);
}

BoxAnswerer::~BoxAnswerer() {
    ::KillTimer(nullptr, m_timer);
    s_current = nullptr;
}

void CALLBACK BoxAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (s_current) {
        ::EnumWindows(OnWindow, reinterpret_cast<LPARAM>(s_current));
    }
}

BOOL CALLBACK BoxAnswerer::OnWindow(HWND hwnd, LPARAM lParam) noexcept {
    DWORD process = 0;
    ::GetWindowThreadProcessId(hwnd, &process);
    if (process == ::GetCurrentProcessId() && ::IsWindowVisible(hwnd)) {
        reinterpret_cast<BoxAnswerer*>(lParam)->Answer(hwnd);
    }
    return TRUE;
}

void BoxAnswerer::Answer(HWND hwnd) {
    auto* box = dynamic_cast<CMacMessageDlg*>(CWnd::FromHandlePermanent(hwnd));
    if (!box || std::find(m_answered.begin(), m_answered.end(), hwnd) != m_answered.end()) {
        return;
    }
    m_answered.push_back(hwnd);
    const Box seen{box->m_strMessage, box->m_nType, box->m_nTheme, ::GetWindowThreadProcessId(hwnd, nullptr)};
    m_boxes.push_back(seen);
    if (onBox) {
        onBox(seen);
    }
    bool first = box->m_nType == CMacMessageDlg::kTypeOk;
    if (!m_answers.empty()) {
        first = m_answers.front();
        m_answers.pop_front();
    }
    // Posted, so a box of another thread closes on its own thread.
    ::PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(first ? IDOK : IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hwnd, first ? IDOK : IDCANCEL)));
}
