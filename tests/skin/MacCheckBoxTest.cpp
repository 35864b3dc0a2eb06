#include "skin/MacCheckBox.h"

#include "DibCanvas.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kBoxId = 1005;

class MacCheckBoxTest : public ::testing::Test {
public:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                    RECT{0, 0, 300, 200}, nullptr, 0));
        ASSERT_TRUE(box.CreateEx(0, L"Button", L"Box", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX,
                                 RECT{10, 10, 110, 30}, parent.m_hWnd, kBoxId));
    }
    void TearDown() override {
        parent.DestroyWindow();
        PumpMessages();
    }

    void Press(int x, int y) { box.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
    void Release(int x, int y) { box.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
    int PlatformCheck() const { return static_cast<int>(box.SendMessage(BM_GETCHECK)); }
    bool HasPendingPaint() const { return ::GetUpdateRect(box.m_hWnd, nullptr, FALSE) != FALSE; }

    ClickCounter parent{kBoxId};
    CMacCheckBox box;
};

TEST_F(MacCheckBoxTest, ClickInsideTogglesAndNotifiesAfterTheStateIsStored) {
    Press(5, 5);
    EXPECT_TRUE(box.m_bPressed);
    EXPECT_EQ(::GetCapture(), box.m_hWnd);
    Release(5, 5);
    EXPECT_FALSE(box.m_bPressed);
    EXPECT_TRUE(box.IsChecked());
    EXPECT_EQ(PlatformCheck(), BST_CHECKED) << "the platform's state follows a click";
    EXPECT_EQ(parent.clicks, 0) << "the notification is posted, not sent";
    PumpMessages();
    EXPECT_EQ(parent.clicks, 1);
    EXPECT_EQ(::GetCapture(), nullptr);

    Press(5, 5);
    Release(5, 5);
    PumpMessages();
    EXPECT_FALSE(box.IsChecked());
    EXPECT_EQ(parent.clicks, 2);
}

TEST_F(MacCheckBoxTest, ReleaseOutsideKeepsTheStateButStillNotifies) {
    Press(5, 5);
    box.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(250, 5));
    Release(250, 5);
    PumpMessages();
    EXPECT_FALSE(box.IsChecked());
    EXPECT_FALSE(box.m_bPressed);
    EXPECT_EQ(parent.clicks, 1);
    Release(5, 5);  // a release without a press does nothing
    PumpMessages();
    EXPECT_FALSE(box.IsChecked());
    EXPECT_EQ(parent.clicks, 1);
}

TEST_F(MacCheckBoxTest, SpaceBarTogglesQuietly) {
    box.SendMessage(WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_TRUE(box.m_bPressed);
    box.SendMessage(WM_KEYUP, VK_SPACE, 0);
    PumpMessages();
    EXPECT_FALSE(box.m_bPressed);
    EXPECT_TRUE(box.IsChecked());
    EXPECT_EQ(parent.clicks, 0) << "keyboard toggling sends no notification";
    EXPECT_EQ(PlatformCheck(), BST_UNCHECKED) << "nor updates the platform's state";
    box.SendMessage(WM_KEYDOWN, 'A', 0);
    box.SendMessage(WM_KEYUP, 'A', 0);
    EXPECT_TRUE(box.IsChecked()) << "other keys are ignored";
}

TEST_F(MacCheckBoxTest, DoubleClickTogglesTwice) {
    Press(5, 5);
    Release(5, 5);
    box.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(box.m_bPressed) << "the second click presses again";
    Release(5, 5);
    PumpMessages();
    EXPECT_FALSE(box.IsChecked());
    EXPECT_EQ(parent.clicks, 2);
}

TEST_F(MacCheckBoxTest, SetCheckedStoresTheValueAndRedrawsOnlyOnChange) {
    // Only a visible box can have a pending repaint.
    ::UpdateWindow(parent.m_hWnd);
    ::ValidateRect(box.m_hWnd, nullptr);
    ASSERT_TRUE(box.IsWindowVisible());
    box.SetChecked(FALSE);
    EXPECT_FALSE(HasPendingPaint()) << "same value: no redraw";
    box.SetChecked(0x2000);
    EXPECT_TRUE(HasPendingPaint()) << "a new value redraws the box";
    EXPECT_EQ(box.IsChecked(), 0x2000) << "stored unchanged";
    EXPECT_EQ(PlatformCheck(), BST_CHECKED) << "the platform's state is kept in step";
    ::ValidateRect(box.m_hWnd, nullptr);
    box.SetChecked(0x2000);
    EXPECT_FALSE(HasPendingPaint());

    Press(5, 5);
    Release(5, 5);
    EXPECT_EQ(box.IsChecked(), FALSE) << "any non-zero value inverts to FALSE";
}

// --- Drawing -------------------------------------------------------------------------------

constexpr COLORREF kMarker = 0x00FF00;  // a colour no theme of the check box uses

struct BoxColours {
    int theme;
    COLORREF corner, disabled, highlight, frame, shade;
};

// Theme 10 as the skin's table gives it; theme 3 worked out by hand from its row (clrLight F6FCFF,
// clrFace 77C5FD - 60, clrShadow 326496 - 10, the shade halfway from the light to the disabled
// tone, rounding down), with channels that differ so that a swapped red and blue shows.
const BoxColours kThemes[] = {
    {10, 0xFFFFFF, 0xA0A0A0, 0xFFFFFF, 0x666666, 0xCFCFCF},
    {3, 0xF6FCFF, 0x3B89C1, 0xFFFFFF, 0x285A8C, 0x98C2E0},
};

std::string Describe(const BoxColours& c) { return "theme " + std::to_string(c.theme); }

// A box with a window (so its text is drawn too) painted into a canvas of its own.
class MacCheckBoxDrawTest : public MacCheckBoxTest {
protected:
    static constexpr int kWidth = 60;

    // Paints the box into `canvas` with the item rectangle (0, top, kWidth, top + height), clipped
    // to that rectangle as the control's window would clip it.
    void Draw(DibCanvas& canvas, int top, int height, bool disabled) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_BUTTON;
        item.CtlID = kBoxId;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = disabled ? ODS_DISABLED : 0;
        item.hwndItem = box.m_hWnd;
        item.hDC = canvas.dc();
        item.rcItem = RECT{0, top, kWidth, top + height};
        const int saved = ::SaveDC(canvas.dc());
        ::IntersectClipRect(canvas.dc(), 0, top, kWidth, top + height);
        box.DrawItem(item);
        ::RestoreDC(canvas.dc(), saved);
    }
};

TEST_F(MacCheckBoxDrawTest, ColoursFollowTheTheme) {
    const BoxColours defaults{box.m_nTheme, box.m_clrCorner, box.m_clrDisabled, box.m_clrHighlight,
                              box.m_clrFrame, box.m_clrShade};
    EXPECT_EQ(defaults.theme, 10) << "a new box takes the default theme";
    for (const BoxColours& c : kThemes) {
        SCOPED_TRACE(Describe(c));
        // The theme walk of a skinned window recognises the box and recolours it.
        ApplyThemeToChildren(parent, c.theme);
        EXPECT_EQ(box.m_nTheme, c.theme);
        EXPECT_EQ(Hex(box.m_clrCorner), Hex(c.corner));
        EXPECT_EQ(Hex(box.m_clrDisabled), Hex(c.disabled));
        EXPECT_EQ(Hex(box.m_clrHighlight), Hex(c.highlight));
        EXPECT_EQ(Hex(box.m_clrFrame), Hex(c.frame));
        EXPECT_EQ(Hex(box.m_clrShade), Hex(c.shade));
        if (c.theme == 10) {
            EXPECT_EQ(Hex(defaults.frame), Hex(c.frame));
            EXPECT_EQ(Hex(defaults.shade), Hex(c.shade));
        }
        // A change of the system's colours recomputes them from the theme.
        box.m_clrFrame = box.m_clrShade = kMarker;
        box.SendMessage(WM_SYSCOLORCHANGE);
        EXPECT_EQ(Hex(box.m_clrFrame), Hex(c.frame));
        EXPECT_EQ(Hex(box.m_clrShade), Hex(c.shade));
    }
}

TEST_F(MacCheckBoxDrawTest, BoxEdgesAndCornersPerState) {
    // The 12 x 12 box of a 20-pixel-high control spans rows 4 to 15 and columns 0 to 11.
    constexpr int kTop = 4, kBottom = 15, kRight = 11;
    for (const BoxColours& c : kThemes) {
        for (const bool pressed : {false, true}) {
            for (const bool disabled : {false, true}) {
                SCOPED_TRACE(Describe(c) + (pressed ? " pressed" : "") + (disabled ? " disabled" : ""));
                box.ApplyTheme(c.theme);
                box.m_bPressed = pressed ? TRUE : FALSE;
                DibCanvas canvas(kWidth, 20, kMarker);
                Draw(canvas, 0, 20, disabled);
                const COLORREF frame = disabled ? c.disabled : c.frame;
                const COLORREF lit = pressed ? c.shade : c.highlight;
                const COLORREF dark = pressed ? c.highlight : c.shade;
                const std::vector<std::pair<POINT, COLORREF>> expected = {
                    {{0, kTop}, frame},          {{kRight, kTop}, frame},      {{0, kBottom}, frame},
                    {{kRight, kBottom}, frame},  {{6, kTop}, frame},           {{0, 9}, frame},
                    {{1, kTop + 1}, lit},        {{6, kTop + 1}, lit},         {{1, 10}, lit},
                    {{kRight - 1, 10}, dark},    {{6, kBottom - 1}, dark},     {{kRight - 1, kBottom - 1}, dark},
                    {{kRight - 1, kTop + 1}, c.corner}, {{1, kBottom - 1}, c.corner},
                    {{5, 9}, kMarker},           {{6, kTop - 1}, kMarker},     {{6, kBottom + 1}, kMarker},
                    {{kRight + 1, 9}, kMarker},  {{kRight + 3, 9}, kMarker},
                };
                for (const auto& [at, colour] : expected) {
                    EXPECT_EQ(Hex(canvas.Pixel(at.x, at.y)), Hex(colour)) << "at " << at.x << "," << at.y;
                }
                // The control paints nothing of the box area besides the frame and the edges.
                EXPECT_EQ(canvas.CountOthers(RECT{0, 0, kRight + 4, 20}, {kMarker, frame, lit, dark, c.corner}), 0);
            }
        }
    }
    box.m_bPressed = FALSE;
}

TEST_F(MacCheckBoxDrawTest, TickBreaksOutOfTheBox) {
    // Pixels of the tick relative to the inner box's top left corner, stroke by stroke with the
    // last point of each line left out.
    const std::set<std::pair<int, int>> inked = {
        {1, 4}, {2, 5}, {3, 6}, {4, 7}, {5, 6}, {6, 5}, {7, 4}, {8, 3}, {9, 2}, {10, 1}, {11, 0},
        {2, 4}, {3, 5}, {4, 6}, {5, 5}, {6, 4}, {7, 3}, {8, 2}, {9, 1}};
    const std::set<std::pair<int, int>> shaded = {
        {4, 8}, {5, 7}, {6, 6}, {7, 5}, {8, 4}, {9, 3}, {9, 4}, {2, 6}, {3, 7},
        {5, 8}, {6, 7}, {7, 6}, {8, 5}, {11, 1}, {12, 1}, {11, 2}};
    constexpr int kInnerLeft = 1, kInnerTop = 5;
    for (const BoxColours& c : kThemes) {
        for (const bool disabled : {false, true}) {
            SCOPED_TRACE(Describe(c) + (disabled ? " disabled" : ""));
            box.ApplyTheme(c.theme);
            DibCanvas unchecked(kWidth, 20, kMarker);
            box.m_bChecked = FALSE;
            Draw(unchecked, 0, 20, disabled);
            DibCanvas checked(kWidth, 20, kMarker);
            box.m_bChecked = TRUE;
            Draw(checked, 0, 20, disabled);
            const COLORREF ink = disabled ? c.disabled : c.frame;
            // Everything left of the text: the tick and, elsewhere, the same as unchecked.
            for (int y = 0; y < 20; ++y) {
                for (int x = 0; x < 16; ++x) {
                    const std::pair<int, int> at{x - kInnerLeft, y - kInnerTop};
                    const COLORREF want = inked.count(at) ? ink : shaded.count(at) ? c.shade : unchecked.Pixel(x, y);
                    EXPECT_EQ(Hex(checked.Pixel(x, y)), Hex(want)) << "at " << x << "," << y;
                }
            }
        }
    }
}

TEST_F(MacCheckBoxDrawTest, TenPixelHighControlClipsTheBox) {
    // Item rows 2 to 11: the box starts one row above the item (rows 1 to 12), so its frame is
    // clipped at both ends and the inner box's edges become the first and last rows.
    const BoxColours& c = kThemes[0];
    box.ApplyTheme(c.theme);
    box.m_bChecked = FALSE;
    DibCanvas canvas(kWidth, 14, kMarker);
    Draw(canvas, 2, 10, false);
    EXPECT_EQ(Hex(canvas.Pixel(5, 1)), Hex(kMarker)) << "clipped frame row";
    EXPECT_EQ(Hex(canvas.Pixel(5, 12)), Hex(kMarker)) << "clipped frame row";
    EXPECT_EQ(Hex(canvas.Pixel(5, 2)), Hex(c.highlight)) << "inner top edge on the item's first row";
    EXPECT_EQ(Hex(canvas.Pixel(5, 11)), Hex(c.shade)) << "inner bottom edge on the item's last row";
    EXPECT_EQ(Hex(canvas.Pixel(0, 2)), Hex(c.frame));
    EXPECT_EQ(Hex(canvas.Pixel(0, 11)), Hex(c.frame));
    EXPECT_EQ(Hex(canvas.Pixel(10, 2)), Hex(c.corner));
    EXPECT_EQ(Hex(canvas.Pixel(1, 11)), Hex(c.corner));
}

TEST_F(MacCheckBoxDrawTest, TextIsCentredWhenItFitsAndDrawnFromTheTopWhenNot) {
    // Glyphs differ between systems, so only where the text's ink starts is looked at: the text
    // rectangle of this 40-pixel-high control starts on row 1 at column 17.
    struct Case {
        const wchar_t* text;
        bool disabled;
        bool centred;
    };
    const Case cases[] = {
        {L"Box", false, true},
        {L"A caption far too long for the control", false, false},
        {L"A caption far too long for the control", true, true},  // embossed, always centred
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.text) + (c.disabled ? " disabled" : ""));
        box.SetWindowText(c.text);
        DibCanvas canvas(kWidth, 40, kMarker);
        Draw(canvas, 0, 40, c.disabled);
        const RECT ink = canvas.InkBounds(RECT{14, 0, kWidth, 40}, kMarker);
        ASSERT_LT(ink.left, ink.right) << "no text drawn";
        EXPECT_GE(ink.left, 17);
        if (c.centred) {
            EXPECT_GT(ink.top, 5);
            EXPECT_LE(std::abs((ink.top - 1) - (40 - ink.bottom)), 3) << "as much room above as below";
        } else {
            EXPECT_EQ(ink.top, 1);
        }
        if (!c.disabled) {
            // Opaque text on the theme's window colour.
            EXPECT_GT(canvas.CountPixels(GetThemeColors(box.m_nTheme).clrWindow), 0);
        }
    }
}

TEST_F(MacCheckBoxDrawTest, ThemeChangesHoldNoGdiObjects) {
    box.SetChecked(TRUE);
    DibCanvas canvas(kWidth, 20, kMarker);
    const auto cycle = [&](int round) {
        ApplyThemeToChildren(parent, round % THEME_COUNT);
        ::UpdateWindow(parent.m_hWnd);  // the real paint through WM_DRAWITEM
        Draw(canvas, 0, 20, round % 2 == 1);
    };
    cycle(0);  // first use of the font and the stock objects
    const long before = GdiObjectCount();
    ASSERT_GT(before, 0) << "no way to count GDI objects here";
    for (int round = 1; round <= 100; ++round) {
        cycle(round);
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

// --- The platform's view of the state and the capture ----------------------------------------

TEST_F(MacCheckBoxTest, DrawsItselfWhateverButtonTypeItWasCreatedWith) {
    for (const DWORD type : {static_cast<DWORD>(BS_AUTOCHECKBOX), static_cast<DWORD>(BS_CHECKBOX),
                             static_cast<DWORD>(BS_RADIOBUTTON), static_cast<DWORD>(BS_AUTO3STATE)}) {
        SCOPED_TRACE("type " + std::to_string(type));
        CMacCheckBox other;
        ASSERT_TRUE(other.CreateEx(0, L"Button", L"Other", WS_CHILD | WS_VISIBLE | type, RECT{10, 40, 110, 60},
                                   parent.m_hWnd, kBoxId + 1));
        EXPECT_EQ(other.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
        // The platform's paint asks the parent to draw the item, and the parent hands that to
        // the box: the 12 x 12 box of the 20-pixel-high control starts on row 4.
        DibCanvas canvas(100, 20, 0x00FF00);
        other.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(canvas.dc()), PRF_CLIENT);
        EXPECT_EQ(Hex(canvas.Pixel(0, 4)), Hex(other.m_clrFrame));
        EXPECT_EQ(Hex(canvas.Pixel(11, 15)), Hex(other.m_clrFrame));
        other.DestroyWindow();
    }
    EXPECT_EQ(box.GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
}

// Runs this test program again as another process that asks `button` for BM_GETCHECK and
// BM_GETSTATE; answers (check, state), or (-1, -1) when the probe could not run. The messages
// sent from there are served while waiting.
std::pair<int, int> StateFromAnotherProcess(HWND button) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --button-state " +
                           std::to_wstring(reinterpret_cast<INT_PTR>(button));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        return {-1, -1};
    }
    ::CloseHandle(process.hThread);
    while (::MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 30000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        PumpMessages();
    }
    DWORD code = 0xFFFFFF;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    if (code == 0xFFFFFF || code == STILL_ACTIVE) {
        return {-1, -1};
    }
    return {static_cast<int>(code & 0xFF), static_cast<int>((code >> 8) & 0xFF)};
}

TEST_F(MacCheckBoxTest, PlatformStateAnswersTheRealState) {
    struct Step {
        const char* what;
        void (*act)(MacCheckBoxTest&);
        int check;
        UINT state;  // the check and press bits of BM_GETSTATE
    };
    const Step steps[] = {
        {"new", [](MacCheckBoxTest&) {}, BST_UNCHECKED, 0},
        {"set", [](MacCheckBoxTest& t) { t.box.SetChecked(TRUE); }, BST_CHECKED, BST_CHECKED},
        {"pressed", [](MacCheckBoxTest& t) { t.Press(5, 5); }, BST_CHECKED, BST_CHECKED | BST_PUSHED},
        {"released", [](MacCheckBoxTest& t) { t.Release(5, 5); }, BST_UNCHECKED, 0},
        {"clicked again", [](MacCheckBoxTest& t) { t.Press(5, 5); t.Release(5, 5); }, BST_CHECKED, BST_CHECKED},
        {"cleared", [](MacCheckBoxTest& t) { t.box.SetChecked(FALSE); }, BST_UNCHECKED, 0},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act(*this);
        EXPECT_EQ(box.GetCheck(), step.check);
        EXPECT_EQ(box.GetState() & (BST_CHECKED | BST_PUSHED), step.state);
    }
    box.SetChecked(TRUE);
    Press(5, 5);
    const auto [check, state] = StateFromAnotherProcess(box.m_hWnd);
    Release(250, 5);
    ASSERT_NE(check, -1) << "the probe process did not run";
    EXPECT_EQ(check, BST_CHECKED) << "asked from another process";
    EXPECT_EQ(static_cast<UINT>(state) & (BST_CHECKED | BST_PUSHED), static_cast<UINT>(BST_CHECKED | BST_PUSHED));
}

TEST_F(MacCheckBoxTest, CaptureLostMidPressEndsThePress) {
    struct Case {
        const char* what;
        void (*loseCapture)(MacCheckBoxTest&);
    };
    const Case cases[] = {
        {"released by someone else", [](MacCheckBoxTest&) { ::ReleaseCapture(); }},
        {"taken by another window", [](MacCheckBoxTest& t) { ::SetCapture(t.parent.m_hWnd); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Press(5, 5);
        ::UpdateWindow(parent.m_hWnd);
        ASSERT_TRUE(box.m_bPressed);
        c.loseCapture(*this);
        EXPECT_FALSE(box.m_bPressed);
        EXPECT_TRUE(HasPendingPaint()) << "the box pops back out";
        EXPECT_EQ(box.GetState() & BST_PUSHED, 0u);
        ::ReleaseCapture();
        Release(5, 5);
        PumpMessages();
        EXPECT_FALSE(box.IsChecked()) << "a release after the lost press does not toggle";
        EXPECT_EQ(parent.clicks, 0) << "nor notify";
    }
    // The capture the box takes itself does not end its own press.
    Press(5, 5);
    box.SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_TRUE(box.m_bPressed);
    Release(5, 5);
    EXPECT_TRUE(box.IsChecked());
}

}  // namespace
