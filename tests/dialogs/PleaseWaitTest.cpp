// The please-wait window: the bar's painting, and the window on its thread as the work that
// opened it sees it.
#include "DibCanvas.h"
#include "TestSupport.h"
#include "dialogs/PleaseWait.h"
#include "skin/MacProgressCtrl.h"

#include <gtest/gtest.h>

#include <functional>
#include <thread>

namespace {

// The bar as the window has it: 260 x 20.
struct BarCase {
    int theme;
    int pos;
    int max;
};

class MacProgressPaint : public ::testing::TestWithParam<BarCase> {};

TEST_P(MacProgressPaint, FrameFillAndGlossFollowThePosition) {
    const BarCase& c = GetParam();
    DibCanvas canvas(260, 20, MakeColor(1, 2, 3));
    PaintMacProgress(canvas.dc(), canvas.all(), c.pos, 0, c.max, c.theme, true);

    const ThemeColors& colors = GetThemeColors(c.theme);
    const COLORREF bar = ShiftColor(colors.clrFace, -25);
    const COLORREF white = MakeColor(255, 255, 255);
    EXPECT_EQ(Hex(canvas.Pixel(0, 0)), Hex(colors.clrWindow)) << "the rounded corner leaves the background";
    EXPECT_EQ(Hex(canvas.Pixel(130, 0)), Hex(bar)) << "frame";
    EXPECT_EQ(Hex(canvas.Pixel(0, 10)), Hex(bar)) << "frame";

    // The inner rectangle is 2..258 x 2..18; the fill reaches pos/max of its width, less one.
    const int fillRight = c.max == 0 ? 2 : std::min(2 + (256 * c.pos) / c.max, 258) - 1;
    const int probeY = 14;  // below the gloss and clear of the fill's rounded corners
    if (fillRight <= 2) {
        EXPECT_EQ(Hex(canvas.Pixel(3, probeY)), Hex(white)) << "no fill";
        EXPECT_EQ(Hex(canvas.Pixel(257, probeY)), Hex(white));
        return;
    }
    EXPECT_EQ(Hex(canvas.Pixel(2, probeY)), Hex(bar)) << "fill starts at the inner edge";
    EXPECT_EQ(Hex(canvas.Pixel(fillRight - 1, probeY)), Hex(bar)) << "last column of the fill";
    EXPECT_EQ(Hex(canvas.Pixel(fillRight, probeY)), Hex(white)) << "first column past the fill";

    const int glossTop = 2 + (3 * 16) / 10;
    const COLORREF gloss = ShiftColor(bar, 6);
    EXPECT_EQ(Hex(canvas.Pixel(4, glossTop)), Hex(gloss));
    EXPECT_EQ(Hex(canvas.Pixel(4, glossTop + 1)), Hex(ShiftColor(gloss, 10))) << "the bright line";
    EXPECT_EQ(Hex(canvas.Pixel(4, glossTop + 3)), Hex(gloss));
    EXPECT_EQ(Hex(canvas.Pixel(fillRight - 4, glossTop)), Hex(gloss)) << "gloss ends 3 short of the fill";
    EXPECT_EQ(Hex(canvas.Pixel(fillRight - 3, glossTop)), Hex(bar));
    EXPECT_EQ(Hex(canvas.Pixel(3, glossTop)), Hex(bar)) << "gloss starts 2 in";
}

INSTANTIATE_TEST_SUITE_P(Themes, MacProgressPaint,
                         ::testing::Values(BarCase{10, 0, 100}, BarCase{10, 50, 100}, BarCase{10, 100, 100},
                                           BarCase{3, 0, 100}, BarCase{3, 50, 100}, BarCase{3, 100, 100},
                                           BarCase{10, 0, 0}));

// Waits, answering this thread's messages meanwhile (the window's thread gives the foreground
// back and may send to this thread's windows), until `done` holds; false if it never does.
bool WaitUntil(const std::function<bool()>& done) {
    for (int round = 0; round < 4000; ++round) {
        if (done())
            return true;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        PumpMessages();
    }
    return done();
}

bool WaitForWindow() {
    return WaitUntil([] {
        const PleaseWaitState state = GetPleaseWaitState();
        return state.window && state.repaints > 0;
    });
}

bool WaitForEnd() {
    return WaitUntil([] { return GetPleaseWaitState().ended; });
}

struct ReportCase {
    int total;
    int report;
    int shownWhileRunning;
};

class PleaseWaitReports : public ::testing::TestWithParam<ReportCase> {};

TEST_P(PleaseWaitReports, TheBarShowsTheReportThenFullBeforeTheWindowGoes) {
    const ReportCase& c = GetParam();
    StartPleaseWait(L"Working", c.total, 10);
    ASSERT_TRUE(WaitForWindow());
    const HWND window = GetPleaseWaitState().window;
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, 64);
    EXPECT_STREQ(title, L"Please Wait...");

    SetPleaseWaitPos(c.report);
    ASSERT_TRUE(WaitUntil([&] { return GetPleaseWaitState().shownPos == c.shownWhileRunning; }));
    StopPleaseWait();
    ASSERT_TRUE(WaitForEnd());
    EXPECT_EQ(GetPleaseWaitState().shownPos, c.total) << "drawn full at the end";
    EXPECT_FALSE(::IsWindow(window));
    EXPECT_EQ(GetPleaseWaitState().window, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Totals, PleaseWaitReports,
                         ::testing::Values(ReportCase{40, 10, 10}, ReportCase{100, 100, 100}, ReportCase{0, 0, 0}));

TEST(PleaseWaitWindow, ABurstOfReportsIsDrawnOnceAtItsLastPosition) {
    StartPleaseWait(L"Working", 1000, 10);
    ASSERT_TRUE(WaitForWindow());
    DWORD threadId = ::GetWindowThreadProcessId(GetPleaseWaitState().window, nullptr);
    const HANDLE thread = ::OpenThread(THREAD_SUSPEND_RESUME, FALSE, threadId);
    ASSERT_NE(thread, nullptr);
    // With the window's thread held, every report lands while the previous wake-up is pending.
    ASSERT_NE(::SuspendThread(thread), static_cast<DWORD>(-1));
    const int before = GetPleaseWaitState().repaints;
    for (int pos = 1; pos <= 500; ++pos) {
        SetPleaseWaitPos(pos);
    }
    ::ResumeThread(thread);
    ::CloseHandle(thread);
    EXPECT_TRUE(WaitUntil([] { return GetPleaseWaitState().shownPos == 500; }));
    // One pending wake-up, plus one repaint the thread may have been in when it was held.
    EXPECT_LE(GetPleaseWaitState().repaints, before + 2);
    StopPleaseWait();
    EXPECT_TRUE(WaitForEnd());
}

TEST(PleaseWaitWindow, ASecondStartEndsTheFirstWindowAndLeaksNothing) {
    // One round first: the system's lazily made objects are not the window's.
    StartPleaseWait(L"Warm-up", 10, 10);
    ASSERT_TRUE(WaitForWindow());
    StopPleaseWait();
    ASSERT_TRUE(WaitForEnd());
    DWORD handlesBefore = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &handlesBefore);
    const long gdiBefore = GdiObjectCount();

    for (int round = 0; round < 3; ++round) {
        StartPleaseWait(L"First", 10, 10);
        ASSERT_TRUE(WaitForWindow());
        const HWND first = GetPleaseWaitState().window;
        StartPleaseWait(L"Second", 20, 4);
        ASSERT_TRUE(WaitForWindow());
        EXPECT_NE(GetPleaseWaitState().window, first);
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(first); })) << "the first window goes";
        StopPleaseWait();
        ASSERT_TRUE(WaitForEnd());
    }
    // Both threads close their semaphores and handles as they end.
    EXPECT_TRUE(WaitUntil([&] {
        DWORD handles = 0;
        ::GetProcessHandleCount(::GetCurrentProcess(), &handles);
        return handles == handlesBefore;
    })) << "handles before: "
        << handlesBefore;
    EXPECT_TRUE(WaitUntil([&] { return GdiObjectCount() == gdiBefore; }))
        << "GDI objects " << gdiBefore << " -> " << GdiObjectCount();
}

// Starts and stops from two threads at once, on one user's window and on a user each: every
// window that was started goes again.
TEST(PleaseWaitWindow, StartsAndStopsFromTwoThreadsLeaveNoWindow) {
    CPleaseWait own[2];
    for (const bool shared : {true, false}) {
        const auto work = [&](int who) {
            for (int round = 0; round < 20; ++round) {
                if (shared) {
                    StartPleaseWait(L"Working", 10, 10);
                    StopPleaseWait();
                } else {
                    own[who].Start(L"Working", 10, 10);
                    own[who].Stop();
                }
            }
        };
        std::thread first(work, 0);
        std::thread second(work, 1);
        first.join();
        second.join();
        EXPECT_TRUE(WaitUntil([] { return CountPleaseWaitWindows() == 0; }))
            << (shared ? "shared window: " : "a window each: ") << CountPleaseWaitWindows() << " left";
    }
}

// A long pass shows its window while the download shows its own: neither moves or ends the other's.
TEST(PleaseWaitWindow, EachUserMovesAndEndsOnlyItsOwnWindow) {
    CPleaseWait pass;
    pass.Start(L"Applying", 1000, 10);
    pass.SetPos(250);
    ASSERT_TRUE(WaitUntil([] { return GetPleaseWaitState().shownPos == 250; }));
    const HWND passWindow = GetPleaseWaitState().window;
    {
        CPleaseWait download;
        download.Start(L"Downloading new version ...", 100, 10);
        ASSERT_TRUE(
            WaitUntil([&] { return GetPleaseWaitState().window && GetPleaseWaitState().window != passWindow; }));
        download.SetPos(90);
        ASSERT_TRUE(WaitUntil([] { return GetPleaseWaitState().shownPos == 90; }));
        EXPECT_EQ(CountPleaseWaitWindows(), 2);
        download.Stop();
        EXPECT_TRUE(WaitUntil([] { return GetPleaseWaitState().ended; }));
    }
    EXPECT_TRUE(::IsWindowVisible(passWindow)) << "the pass's window outlives the download's";
    EXPECT_EQ(CountPleaseWaitWindows(), 1);
    pass.Stop();
    EXPECT_TRUE(WaitUntil([] { return CountPleaseWaitWindows() == 0; }));
    EXPECT_FALSE(::IsWindow(passWindow));
}

TEST(PleaseWaitWindow, StaysInFrontWithoutTakingTheFocusOrACloseButton) {
    CWnd main;
    ASSERT_TRUE(main.CreateEx(0, CWnd::RegisterPlainClass(), L"Main", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                              RECT{10, 10, 400, 300}, nullptr, 0));
    ::SetForegroundWindow(main.m_hWnd);
    ::SetFocus(main.m_hWnd);
    PumpMessages();
    ASSERT_EQ(::GetForegroundWindow(), main.m_hWnd);

    StartPleaseWait(L"Working", 100, 10);
    ASSERT_TRUE(WaitForWindow());
    const HWND window = GetPleaseWaitState().window;
    SetPleaseWaitPos(60);
    EXPECT_TRUE(WaitUntil([] { return GetPleaseWaitState().shownPos == 60; }));
    PumpMessages();

    EXPECT_TRUE(::IsWindowVisible(window));
    EXPECT_EQ(::GetForegroundWindow(), main.m_hWnd);
    EXPECT_EQ(::GetFocus(), main.m_hWnd);
    const LONG_PTR exStyle = ::GetWindowLongPtrW(window, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << "no taskbar button";
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[64] = {};
        ::GetClassNameW(child, className, 64);
        EXPECT_FALSE(::IsWindowVisible(child) && ::lstrcmpiW(className, L"Button") == 0) << "a visible button";
    }
    // The idle window's thread answers sent messages (broadcasts reach it the same way).
    DWORD_PTR answer = 0;
    EXPECT_NE(::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 20000, &answer), 0);
    // A close request from outside is refused: only the work ends the window.
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    SetPleaseWaitPos(70);
    EXPECT_TRUE(WaitUntil([] { return GetPleaseWaitState().shownPos == 70; }));
    EXPECT_TRUE(::IsWindowVisible(window));

    StopPleaseWait();
    EXPECT_TRUE(WaitForEnd());
    EXPECT_EQ(::GetForegroundWindow(), main.m_hWnd);
    main.DestroyWindow();
}

}  // namespace
