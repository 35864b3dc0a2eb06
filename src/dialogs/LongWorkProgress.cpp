#include "dialogs/LongWorkProgress.h"

#include <algorithm>

namespace {

// Passes nest only on the thread that runs them.
thread_local CLongWorkProgress* t_innermost = nullptr;
int g_windowsShown = 0;

}  // namespace

CLongWorkProgress::Timing& CLongWorkProgress::Pacing() {
    static Timing timing;
    return timing;
}

int CLongWorkProgress::WindowsShown() {
    return g_windowsShown;
}

CLongWorkProgress::CLongWorkProgress(std::wstring text, int total, int theme)
    : m_strText(std::move(text)), m_nTotal(total), m_nTheme(theme), m_pOuter(t_innermost) {
    if (m_pOuter) {
        m_nFrom = m_pOuter->m_nReached;
        m_nTo = m_pOuter->m_nTo;
        m_nReached = m_nFrom;
    } else {
        m_tStart = ::GetTickCount64();
    }
    t_innermost = this;
}

CLongWorkProgress::~CLongWorkProgress() {
    t_innermost = m_pOuter;
    if (m_pOuter) {
        m_pOuter->m_nReached = std::max(m_pOuter->m_nReached, m_nReached);
    } else if (m_bShowing) {
        m_window.Stop();
    }
}

void CLongWorkProgress::Step(int done) {
    if (m_nTotal <= 0) {
        return;
    }
    const long long clamped = std::clamp(done, 0, m_nTotal);
    m_nReached = m_nFrom + static_cast<int>(clamped * (m_nTo - m_nFrom) / m_nTotal);
    CLongWorkProgress* outermost = this;
    while (outermost->m_pOuter) {
        outermost = outermost->m_pOuter;
    }
    outermost->Report(m_nReached);
}

void CLongWorkProgress::Report(int thousandths) {
    // One clock read per step; the window is started and moved only now and then.
    const ULONGLONG now = ::GetTickCount64();
    const Timing& timing = Pacing();
    if (!m_bShowing) {
        if (now - m_tStart < timing.delayMs) {
            return;
        }
        m_window.Start(m_strText, kScale, m_nTheme);
        m_bShowing = true;
        ++g_windowsShown;
    } else if (now - m_tLastReport < timing.intervalMs) {
        return;
    }
    m_tLastReport = now;
    m_window.SetPos(thousandths);
}
