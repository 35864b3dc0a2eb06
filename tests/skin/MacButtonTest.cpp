#include "skin/MacButton.h"
#include "skin/MacCheckBox.h"

#include "OwnerDrawTest.h"
#include "resources/resource.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

std::vector<COLORREF> Greys(std::initializer_list<int> levels) {
    std::vector<COLORREF> colours;
    for (int level : levels) {
        colours.push_back(MakeColor(level, level, level));
    }
    return colours;
}

COLORREF Grey(int level) {
    return MakeColor(level, level, level);
}

class MacButtonTest : public OwnerDrawTest {
protected:
    void SetUp() override {
        OwnerDrawTest::SetUp();
        // Created as a plain push button: the class makes it owner drawn.
        ASSERT_TRUE(
            button.Create(L"", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, RECT{10, 10, 90, 33}, &parent, kControlId));
    }
    void Draw(const DibCanvas& canvas, UINT state = 0, std::optional<RECT> item = {}) {
        OwnerDrawTest::Draw(button, canvas, state, item);
    }

    CMacButton button;
};

TEST_F(MacButtonTest, FaceOutlineAndRingToThePixel) {
    struct Case {
        const char* label;
        BOOL caption;
        int theme;
        int width;
        int height;
        UINT state;
        int mouse;                   // m_nMouseState
        std::vector<COLORREF> rows;  // rows 2 to height - 3
        COLORREF outline;
        COLORREF window;
        COLORREF ring;
    };
    const std::vector<COLORREF> plain = Greys({0xFA, 0xF5, 0xF0, 0xEB, 0xE6, 0xE1, 0xDC, 0xD7, 0xD2, 0xDC, 0xE1, 0xE6,
                                               0xEB, 0xF0, 0xF5, 0xFA, 0xFF, 0xFF, 0xFF});
    const Case cases[] = {
        {"caption button, theme 10", TRUE, 10, 24, 22, 0, 0,
         Greys({0xCA, 0xC5, 0xC0, 0xBB, 0xB6, 0xB1, 0xAC, 0xA7, 0xA2, 0xAC, 0xB1, 0xB6, 0xBB, 0xC0, 0xC5, 0xCA, 0xCF,
                0xD4}),
         Grey(0xAF), Grey(0xED), Grey(0xFF)},
        {"plain 23 high, theme 10", FALSE, 10, 60, 23, 0, 0, plain, Grey(0x93), Grey(0xED), Grey(0xFF)},
        {"mouse over it: the hover ring", FALSE, 10, 60, 23, 0, 1, plain, Grey(0x93), Grey(0xED),
         MakeColor(0xFF, 0xDC, 0x96)},
        {"mouse pressed on it: no hover ring", FALSE, 10, 60, 23, 0, 2, plain, Grey(0x93), Grey(0xED), Grey(0xFF)},
        {"plain 23 high, theme 10, held down", FALSE, 10, 60, 23, ODS_SELECTED, 0,
         Greys({0xE7, 0xE2, 0xDD, 0xD8, 0xD3, 0xCE, 0xC9, 0xC4, 0xBF, 0xC9, 0xCE, 0xD3, 0xD8, 0xDD, 0xE2, 0xE7, 0xEC,
                0xF1, 0xF6}),
         Grey(0x93), Grey(0xED), Grey(0xFF)},
        // The lower half stops at the theme's light tone F2F2F2 instead of going on to F7F7F7.
        {"plain 23 high, theme 0", FALSE, 0, 60, 23, 0, 0,
         Greys({0xED, 0xE8, 0xE3, 0xDE, 0xD9, 0xD4, 0xCF, 0xCA, 0xC5, 0xCF, 0xD4, 0xD9, 0xDE, 0xE3, 0xE8, 0xED, 0xF2,
                0xF2, 0xF2}),
         Grey(0x7B), MakeColor(0xDD, 0xDD, 0xD8), Grey(0xF2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_EQ(c.rows.size(), static_cast<size_t>(c.height - 4));
        button.m_bCaptionButton = c.caption;
        button.m_nTheme = c.theme;
        button.m_nMouseState = c.mouse;
        button.m_nCornerX = button.m_nCornerY = 4;
        DibCanvas canvas(c.width, c.height, 0x00FF00);
        Draw(canvas, c.state);
        const int middle = c.width / 2;
        for (int y = 2; y < c.height - 2; ++y) {
            SCOPED_TRACE("row " + std::to_string(y));
            const COLORREF row = c.rows[static_cast<size_t>(y - 2)];
            EXPECT_EQ(Hex(canvas.Pixel(2, y)), Hex(row));
            EXPECT_EQ(Hex(canvas.Pixel(middle, y)), Hex(row));
            EXPECT_EQ(Hex(canvas.Pixel(c.width - 3, y)), Hex(row));
            EXPECT_EQ(Hex(canvas.Pixel(1, y)), Hex(c.ring));
            EXPECT_EQ(Hex(canvas.Pixel(c.width - 2, y)), Hex(c.ring));
            EXPECT_EQ(Hex(canvas.Pixel(0, y)), Hex(c.outline));
            EXPECT_EQ(Hex(canvas.Pixel(c.width - 1, y)), Hex(c.outline));
        }
        EXPECT_EQ(Hex(canvas.Pixel(middle, 0)), Hex(c.outline));
        EXPECT_EQ(Hex(canvas.Pixel(middle, c.height - 1)), Hex(c.outline));
        EXPECT_EQ(Hex(canvas.Pixel(middle, 1)), Hex(c.ring));
        EXPECT_EQ(Hex(canvas.Pixel(middle, c.height - 2)), Hex(c.ring));
        // Below 30 pixels the corners are square; above, the window colour shows in them.
        EXPECT_EQ(Hex(canvas.Pixel(0, 0)), Hex(c.width < 30 ? c.outline : c.window));
        EXPECT_EQ(canvas.CountPixels(0x00FF00), 0) << "every pixel is painted";
    }
}

TEST_F(MacButtonTest, NarrowButtonsKeepSquareCornersWhenWidened) {
    struct Case {
        int firstWidth;
        int corner;
        COLORREF cornerPixel;  // of the widened button
    };
    for (const Case& c : {Case{29, 0, Grey(0x93)}, Case{30, 4, Grey(0xED)}}) {
        SCOPED_TRACE("first width " + std::to_string(c.firstWidth));
        button.m_nCornerX = button.m_nCornerY = 4;
        DibCanvas first(c.firstWidth, 23, 0x00FF00);
        Draw(first);
        EXPECT_EQ(button.m_nCornerX, c.corner);
        EXPECT_EQ(button.m_nCornerY, c.corner);
        DibCanvas widened(60, 23, 0x00FF00);
        Draw(widened);
        EXPECT_EQ(button.m_nCornerX, c.corner);
        EXPECT_EQ(Hex(widened.Pixel(0, 0)), Hex(c.cornerPixel));
        EXPECT_EQ(Hex(widened.Pixel(59, 22)), Hex(c.cornerPixel));
    }
}

TEST_F(MacButtonTest, FaceStepFollowsTheHeight) {
    struct Case {
        int height;
        int step;
    };
    for (const Case& c : {Case{22, 5}, Case{23, 5}, Case{28, 4}, Case{40, 3}, Case{60, 2}, Case{61, 1}, Case{120, 1},
                          Case{121, 1}, Case{0, 1}, Case{-1, 1}, Case{-40, 1}}) {
        SCOPED_TRACE("height " + std::to_string(c.height));
        EXPECT_EQ(ButtonFaceStep(c.height), c.step);
        DibCanvas canvas(40, std::max(c.height, 10), 0x00FF00);
        Draw(canvas, 0, RECT{0, 0, 40, c.height});
        if (c.height <= 0) {
            EXPECT_EQ(canvas.CountPixels(0x00FF00), 40 * 10) << "no height draws nothing";
        } else {
            // Theme 10 starts from FFFFFF and row 2 is one step darker.
            EXPECT_EQ(Hex(canvas.Pixel(20, 2)), Hex(Grey(0xFF - c.step)));
            EXPECT_EQ(Hex(canvas.Pixel(20, 3)), Hex(Grey(0xFF - 2 * c.step)));
        }
    }
}

enum class Act { MoveIn, MoveOut, Down, UpIn, UpOut, DoubleClick, LoseCapture };

TEST_F(MacButtonTest, MouseStatesCaptureAndClicks) {
    struct Step {
        Act act;
        int state;        // m_nMouseState afterwards
        bool holdsMouse;  // the button has the capture afterwards
    };
    struct Case {
        const char* label;
        std::vector<Step> steps;
        int clicks;
    };
    const Case cases[] = {
        {"hover in and out", {{Act::MoveIn, 1, true}, {Act::MoveOut, 0, false}}, 0},
        {"press and release inside", {{Act::MoveIn, 1, true}, {Act::Down, 2, true}, {Act::UpIn, 0, false}}, 1},
        {"drag out and release outside", {{Act::Down, 2, true}, {Act::MoveOut, 0, false}, {Act::UpOut, 0, false}}, 0},
        {"drag out, back in and release inside",
         {{Act::Down, 2, true}, {Act::MoveOut, 0, false}, {Act::MoveIn, 1, true}, {Act::UpIn, 0, true}},
         0},
        {"capture lost mid-press, release inside",
         {{Act::MoveIn, 1, true}, {Act::Down, 2, true}, {Act::LoseCapture, 0, false}, {Act::UpIn, 0, false}},
         0},
        {"capture lost while hovering", {{Act::MoveIn, 1, true}, {Act::LoseCapture, 0, false}}, 0},
        {"double click",
         {{Act::Down, 2, true}, {Act::UpIn, 0, false}, {Act::DoubleClick, 2, true}, {Act::UpIn, 0, false}},
         2},
    };
    // Created as a plain push button, the button is owner drawn all the same.
    ASSERT_EQ(button.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        parent.clicks = 0;
        button.m_nMouseState = 0;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            const LPARAM inside = MAKELPARAM(5, 5);
            const LPARAM outside = MAKELPARAM(200, 5);
            switch (step.act) {
                case Act::MoveIn:
                    button.SendMessage(WM_MOUSEMOVE, 0, inside);
                    break;
                case Act::MoveOut:
                    button.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, outside);
                    break;
                case Act::Down:
                    button.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside);
                    break;
                case Act::UpIn:
                    button.SendMessage(WM_LBUTTONUP, 0, inside);
                    break;
                case Act::UpOut:
                    button.SendMessage(WM_LBUTTONUP, 0, outside);
                    break;
                case Act::DoubleClick:
                    button.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
                    break;
                case Act::LoseCapture:
                    parent.SetCapture();
                    break;
            }
            PumpMessages();
            EXPECT_EQ(button.m_nMouseState, step.state);
            EXPECT_EQ(::GetCapture() == button.m_hWnd, step.holdsMouse);
        }
        EXPECT_EQ(parent.clicks, c.clicks);
        EXPECT_EQ(button.GetState() & BST_PUSHED, 0u) << "nothing stays pushed";
        ::ReleaseCapture();
    }
}

TEST_F(MacButtonTest, MovingToTheNextButtonHandsTheCaptureOver) {
    CMacButton next;
    ASSERT_TRUE(next.Create(L"", WS_CHILD | WS_VISIBLE, RECT{100, 10, 180, 33}, &parent, kControlId + 1));
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    ASSERT_EQ(::GetCapture(), button.m_hWnd);
    // The move over the next button reaches the first one, which holds the capture.
    button.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(95, 5));
    EXPECT_EQ(button.m_nMouseState, 0);
    EXPECT_EQ(::GetCapture(), nullptr);
    next.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(next.m_nMouseState, 1);
    EXPECT_EQ(::GetCapture(), next.m_hWnd);
}

HWND g_tipWindow = nullptr;
int g_relayed = 0;

LRESULT CALLBACK CountRelays(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->hwnd == g_tipWindow && message->message == TTM_RELAYEVENT) {
        ++g_relayed;
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MacButtonTest, TooltipIsRelayedNotSubclassed) {
    EXPECT_EQ(button.m_ToolTip.m_hWnd, nullptr) << "no tooltip before the first text";
    button.ApplyTooltipColor();  // nothing to colour yet
    button.SetTooltipText(L"First");
    button.SetTooltipText(L"Close");
    ASSERT_NE(button.m_ToolTip.m_hWnd, nullptr);
    EXPECT_EQ(button.m_ToolTip.GetToolCount(), 1);

    TTTOOLINFOW info{};
    wchar_t text[80] = {};
    info.cbSize = TTTOOLINFOW_V2_SIZE;
    info.hwnd = parent.m_hWnd;
    info.uId = reinterpret_cast<UINT_PTR>(button.m_hWnd);
    info.lpszText = text;
    ASSERT_TRUE(button.m_ToolTip.SendMessage(TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&info)));
    EXPECT_EQ(std::wstring(text), L"Close");
    EXPECT_EQ(info.uFlags & TTF_SUBCLASS, 0u);
    // Nobody sits in front of the button's window procedure: the object is still found.
    EXPECT_EQ(CWnd::FromHandlePermanent(button.m_hWnd), &button);

    EXPECT_EQ(Hex(button.m_ToolTip.GetTipBkColor()), Hex(Grey(0xFF)));
    button.ApplyTheme(0);
    EXPECT_EQ(Hex(button.m_ToolTip.GetTipBkColor()), Hex(Grey(0xF2)));
    button.m_nTheme = 3;
    button.ApplyTooltipColor();
    EXPECT_EQ(Hex(button.m_ToolTip.GetTipBkColor()), Hex(MakeColor(0xFF, 0xFC, 0xF6)));

    g_tipWindow = button.m_ToolTip.m_hWnd;
    g_relayed = 0;
    const HHOOK hook = ::SetWindowsHookExW(WH_CALLWNDPROC, CountRelays, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    button.PostMessage(WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    PumpMessages();
    ::UnhookWindowsHookEx(hook);
    EXPECT_GE(g_relayed, 1) << "the move reached the tooltip through the button";
    EXPECT_EQ(button.m_nMouseState, 1) << "and the button itself";
}

TEST_F(MacButtonTest, IconAndThemeChangesLeaveNoGdiObjectsBehind) {
    button.SetIconResource(IDI_CLOSE);
    ASSERT_NE(button.m_hIcon, nullptr);
    EXPECT_EQ(button.m_cxIcon, 16);
    button.SetTooltipText(L"Close");
    button.SetWindowText(L"Apply");
    DibCanvas canvas(60, 23, 0x00FF00);
    ExpectNoGdiObjectsLeft([&](int round) {
        button.ApplyTheme(round % THEME_COUNT);
        button.SetIconResource(IDI_APPLY);
        Draw(canvas, round % 2 ? ODS_DISABLED : ODS_SELECTED);
    });
}

}  // namespace

namespace {

// Pixels that differ between two paintings of the same size.
int Differing(const DibCanvas& a, const DibCanvas& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            count += a.Pixel(x, y) != b.Pixel(x, y) ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

TEST_F(MacButtonTest, FocusCueShowsInEveryThemeOnlyWhenKeyboardCuesAreOn) {
    CMacCheckBox box;
    ASSERT_TRUE(box.CreateEx(0, L"Button", L"Case sensitive", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                             RECT{10, 40, 110, 56}, parent.m_hWnd, kControlId + 1));
    button.SetWindowText(L"Apply Changes");
    for (int theme = 0; theme < THEME_COUNT; ++theme) {
        SCOPED_TRACE(theme);
        button.ApplyTheme(theme);
        box.ApplyTheme(theme);
        const COLORREF ground = GetThemeColors(theme).clrWindow;
        const auto paint = [&](auto& control, int width, int height, UINT state) {
            auto canvas = std::make_unique<DibCanvas>(width, height, ground);
            OwnerDrawTest::Draw(control, *canvas, state);
            return canvas;
        };
        // A dotted ring: at least a third of its pixels on a button 80 x 23, a box's label ring
        // of some 80 x 15.
        const auto plainButton = paint(button, 80, 23, 0);
        EXPECT_GE(Differing(*plainButton, *paint(button, 80, 23, ODS_FOCUS)), 50) << "button";
        EXPECT_EQ(Differing(*plainButton, *paint(button, 80, 23, ODS_FOCUS | ODS_NOFOCUSRECT)), 0) << "button";
        const auto plainBox = paint(box, 100, 16, 0);
        EXPECT_GE(Differing(*plainBox, *paint(box, 100, 16, ODS_FOCUS)), 40) << "check box";
        EXPECT_EQ(Differing(*plainBox, *paint(box, 100, 16, ODS_FOCUS | ODS_NOFOCUSRECT)), 0) << "check box";
    }
    box.DestroyWindow();
}
