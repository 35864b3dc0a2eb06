// Progress of a long pass on the user-interface thread (adding a folder, rebuilding the list,
// applying or undoing changes): a pass that is still running after a short delay shows the
// please-wait window with its message and a bar that follows the work done. Short passes show
// nothing. A pass started inside another one (the list rebuilt by Add Folder) fills the rest of
// the outer pass's bar under the outer pass's message.
#pragma once

#include "dialogs/PleaseWait.h"

#include <windows.h>

#include <string>

class CLongWorkProgress {
public:
    // The pace of the window: shown after `delayMs` of work, its bar moved at most once per
    // `intervalMs`. Process-wide; tests lengthen or shorten the delay.
    struct Timing {
        ULONGLONG delayMs = 500;
        ULONGLONG intervalMs = 15;
    };
    static Timing& Pacing();
    // How many passes of this run have shown the window.
    static int WindowsShown();

    // `total` is the count of steps the pass will report (0 or less: the bar stays empty).
    CLongWorkProgress(std::wstring text, int total, int theme);
    ~CLongWorkProgress();
    CLongWorkProgress(const CLongWorkProgress&) = delete;
    CLongWorkProgress& operator=(const CLongWorkProgress&) = delete;

    // `done` of the total steps are finished.
    void Step(int done);

private:
    static constexpr int kScale = 1000;  // the window's bar counts in thousandths of the work

    void Report(int thousandths);

    std::wstring m_strText;
    int m_nTotal;
    int m_nTheme;
    CLongWorkProgress* m_pOuter;
    // The share of the window's bar this pass fills, in thousandths.
    int m_nFrom = 0;
    int m_nTo = kScale;
    int m_nReached = 0;
    // Kept by the outermost pass only.
    ULONGLONG m_tStart = 0;
    ULONGLONG m_tLastReport = 0;
    bool m_bShowing = false;
    // The pass's own window: the update's download never moves or ends it.
    CPleaseWait m_window;
};
