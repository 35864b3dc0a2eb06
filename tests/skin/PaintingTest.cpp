#include "skin/Painting.h"

#include "DibCanvas.h"
#include "TestSupport.h"
#include "framework/Gdi.h"
#include "skin/NListBox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr COLORREF kMarker = 0x00FF00;  // a colour no painter here uses

std::vector<COLORREF> Greys(std::initializer_list<int> levels) {
    std::vector<COLORREF> colours;
    for (int level : levels) {
        colours.push_back(MakeColor(level, level, level));
    }
    return colours;
}

const std::vector<COLORREF> kSilverWhiteFrame3 =
    Greys({0xE9, 0xE4, 0xDF, 0xDA, 0xD5, 0xD0, 0xCB, 0xC6, 0xC1, 0xBC, 0xB7, 0x9D, 0x9E,
           0x9F, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0x95, 0x81});
const std::vector<COLORREF> kBlackFrame3 =
    Greys({0x96, 0x91, 0x8C, 0x87, 0x82, 0x7D, 0x78, 0x73, 0x6E, 0x69, 0x64, 0x4A, 0x4B,
           0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x42, 0x2E});
const std::vector<COLORREF> kSilverWhiteFrame5 =
    Greys({0xE3, 0xDF, 0xDB, 0xD7, 0xD3, 0xCF, 0xCB, 0xC7, 0xC3, 0xBF, 0xBB, 0xA1, 0xA2,
           0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0x99, 0x85});
const std::vector<COLORREF> kBlackFrame5 =
    Greys({0x90, 0x8C, 0x88, 0x84, 0x80, 0x7C, 0x78, 0x74, 0x70, 0x6C, 0x68, 0x4E, 0x4F,
           0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x46, 0x32});

// The band (left 5, top 3, right 35, bottom 29) of a 40 x 32 canvas holds `rows`, and nothing
// around it was touched.
void ExpectGradientBand(const DibCanvas& canvas, const std::vector<COLORREF>& rows) {
    constexpr int kLeft = 5, kTop = 3, kRight = 35;
    for (size_t row = 0; row < rows.size(); ++row) {
        const int y = kTop + static_cast<int>(row);
        SCOPED_TRACE("row " + std::to_string(row));
        EXPECT_EQ(Hex(canvas.Pixel(kLeft, y)), Hex(rows[row]));
        EXPECT_EQ(Hex(canvas.Pixel(kRight - 1, y)), Hex(rows[row]));
        EXPECT_EQ(Hex(canvas.Pixel(20, y)), Hex(rows[row]));
        EXPECT_EQ(Hex(canvas.Pixel(kLeft - 1, y)), Hex(kMarker)) << "left of the band";
        EXPECT_EQ(Hex(canvas.Pixel(kRight, y)), Hex(kMarker)) << "right of the band";
    }
    EXPECT_EQ(Hex(canvas.Pixel(20, kTop - 1)), Hex(kMarker)) << "above the band";
    EXPECT_EQ(Hex(canvas.Pixel(20, kTop + static_cast<int>(rows.size()))), Hex(kMarker)) << "below the band";
}

class PlainWindow : public CWnd {};

TEST(PaintingTest, SkinFrameWidthFollowsTheSizingFrame) {
    PlainWindow sizing;
    ASSERT_TRUE(sizing.CreateEx(0, CWnd::RegisterPlainClass(), L"sizing", WS_POPUP | WS_THICKFRAME,
                                RECT{0, 0, 200, 100}, nullptr, 0));
    PlainWindow dialogFrame;
    ASSERT_TRUE(dialogFrame.CreateEx(0, CWnd::RegisterPlainClass(), L"dialog", WS_POPUP | WS_SYSMENU | WS_DLGFRAME,
                                     RECT{0, 0, 200, 100}, nullptr, 0));
    PlainWindow unbound;
    struct Case {
        const char* label;
        const CWnd* window;
        int expected;
    };
    const int frame = ::GetSystemMetrics(SM_CXFRAME) - 1;
    const int dialog = ::GetSystemMetrics(SM_CXDLGFRAME);
    const Case cases[] = {
        {"sizing frame", &sizing, frame},
        {"dialog frame", &dialogFrame, dialog},
        {"object without a window", &unbound, dialog},
        {"no window at all", nullptr, dialog},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(GetSkinFrameWidth(c.window), c.expected);
    }
    if (RunningUnderWine()) {
        // Wine's metrics: SM_CXFRAME 4 and SM_CXDLGFRAME 3, so both kinds of frame are 3 wide.
        EXPECT_EQ(GetSkinFrameWidth(&sizing), 3);
        EXPECT_EQ(GetSkinFrameWidth(nullptr), 3);
    }
    sizing.DestroyWindow();
    dialogFrame.DestroyWindow();
}

TEST(PaintingTest, GlossGradientRowByRowForAFrameWidthOfThree) {
    if (GetSkinFrameWidth(nullptr) != 3) {
        GTEST_SKIP() << "the dialog frame of this system is not 3 pixels wide";
    }
    struct Case {
        const char* label;
        COLORREF base;
        const std::vector<COLORREF>* rows;
    };
    const Case cases[] = {
        {"Silver White caption", 0xF3F3F3, &kSilverWhiteFrame3},
        {"Black caption", 0xA0A0A0, &kBlackFrame3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(40, 32, kMarker);
        FillGlossGradient(c.base, nullptr, canvas.dc(), 5, 3, 35, 29);
        ExpectGradientBand(canvas, *c.rows);
    }
}

TEST(PaintingTest, GlossGradientTakesTheStepFromTheFrameWindow) {
    PlainWindow sizing;
    ASSERT_TRUE(sizing.CreateEx(0, CWnd::RegisterPlainClass(), L"sizing", WS_POPUP | WS_THICKFRAME,
                                RECT{0, 0, 200, 100}, nullptr, 0));
    const int width = GetSkinFrameWidth(&sizing);
    sizing.DestroyWindow();
    if (width != 3) {
        GTEST_SKIP() << "the sizing frame of this system is " << width << " pixels, not Wine's 3";
    }
    ASSERT_TRUE(sizing.CreateEx(0, CWnd::RegisterPlainClass(), L"sizing", WS_POPUP | WS_THICKFRAME,
                                RECT{0, 0, 200, 100}, nullptr, 0));
    DibCanvas canvas(40, 32, kMarker);
    FillGlossGradient(0xF3F3F3, &sizing, canvas.dc(), 5, 3, 35, 29);
    ExpectGradientBand(canvas, kSilverWhiteFrame3);
    sizing.DestroyWindow();
}

TEST(PaintingTest, GlossGradientRowByRowForAFrameWiderThanFour) {
    struct Case {
        const char* label;
        COLORREF base;
        int frameWidth;
        const std::vector<COLORREF>* rows;
    };
    const Case cases[] = {
        {"Silver White caption, frame 5", 0xF3F3F3, 5, &kSilverWhiteFrame5},
        {"Black caption, frame 5", 0xA0A0A0, 5, &kBlackFrame5},
        {"Silver White caption, frame 3", 0xF3F3F3, 3, &kSilverWhiteFrame3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(40, 32, kMarker);
        FillGlossGradientForFrameWidth(c.base, c.frameWidth, canvas.dc(), 5, 3, 35, 29);
        ExpectGradientBand(canvas, *c.rows);
    }
}

TEST(PaintingTest, GlossGradientEdgeCases) {
    DibCanvas canvas(40, 32, kMarker);
    FillGlossGradient(0xF3F3F3, nullptr, canvas.dc(), 5, 10, 35, 10);
    EXPECT_EQ(canvas.CountPixels(kMarker), 40 * 32) << "top equal to bottom fills nothing";
    FillGlossGradient(0xF3F3F3, nullptr, canvas.dc(), 5, 12, 35, 10);
    EXPECT_EQ(canvas.CountPixels(kMarker), 40 * 32) << "top below bottom fills nothing";
    FillGlossGradient(0xF3F3F3, nullptr, nullptr, 5, 3, 35, 29);  // no DC: nothing happens

    ::SetBkColor(canvas.dc(), 0x123456);
    FillGlossGradient(0xF3F3F3, nullptr, canvas.dc(), 5, 3, 35, 29);
    EXPECT_EQ(Hex(::GetBkColor(canvas.dc())), "123456") << "the caller's background colour is kept";

    // A single row is the first colour of the gradient.
    DibCanvas single(40, 32, kMarker);
    FillGlossGradientForFrameWidth(0xF3F3F3, 3, single.dc(), 5, 3, 35, 4);
    EXPECT_EQ(Hex(single.Pixel(5, 3)), "E9E9E9");
    EXPECT_EQ(Hex(single.Pixel(5, 4)), Hex(kMarker));
}

TEST(PaintingTest, GrayTextIsEmbossedAndPlacedByTheCentreBitOnly) {
    const std::wstring text = L"Apply";
    struct Case {
        const char* label;
        UINT format;
        bool centred;
    };
    const Case cases[] = {
        {"left aligned", 0, false},
        {"centred", DT_CENTER, true},
        {"right and bottom bits are not looked at", DT_RIGHT | DT_BOTTOM, false},
        {"centre with other bits", DT_CENTER | DT_SINGLELINE | DT_VCENTER, true},
    };
    constexpr int kLeft = 10, kTop = 4, kRight = 190, kBottom = 44;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(200, 50, kMarker);
        SIZE extent{};
        ::GetTextExtentPoint32W(canvas.dc(), text.c_str(), static_cast<int>(text.size()), &extent);
        ASSERT_GT(extent.cx, 0);
        DrawGrayText(canvas.dc(), text, c.format, kLeft, kTop, kRight, kBottom);
        const RECT ink = canvas.InkBounds(kMarker);
        ASSERT_LT(ink.left, ink.right) << "something was drawn";
        // The text cell, plus the one-pixel offset of the embossed highlight.
        const int x = c.centred ? kLeft + (kRight - extent.cx - kLeft) / 2 : kLeft;
        const int y = kTop + (kBottom - extent.cy - kTop) / 2;
        EXPECT_GE(ink.left, x);
        EXPECT_LE(ink.left, x + 3) << "the text starts at its cell";
        EXPECT_LE(ink.right, x + extent.cx + 1);
        EXPECT_GE(ink.top, y);
        EXPECT_LE(ink.bottom, y + extent.cy + 1);
        EXPECT_GT(canvas.CountPixels(::GetSysColor(COLOR_3DSHADOW)), 0) << "shadow of the emboss";
        EXPECT_GT(canvas.CountPixels(::GetSysColor(COLOR_3DHILIGHT)), 0) << "highlight of the emboss";
    }
}

TEST(PaintingTest, GrayTextMarksTheMnemonicInsteadOfDrawingTheAmpersand) {
    DibCanvas plain(200, 50, kMarker);
    DibCanvas prefixed(200, 50, kMarker);
    DrawGrayText(plain.dc(), L"Apply", 0, 10, 4, 190, 44);
    DrawGrayText(prefixed.dc(), L"&Apply", 0, 10, 4, 190, 44);
    const RECT a = plain.InkBounds(kMarker);
    const RECT b = prefixed.InkBounds(kMarker);
    EXPECT_EQ(b.left, a.left) << "no ampersand glyph in front of the text";
    EXPECT_NEAR(b.right - b.left, a.right - a.left, 1);
    EXPECT_LT(prefixed.CountPixels(kMarker), plain.CountPixels(kMarker)) << "the mnemonic is underlined";
}

// A themed control that records what the walk gives it, and a plain static that counts erasures.
class RecordingButton : public CButton, public CThemedControl {
public:
    explicit RecordingButton(std::vector<int>* order, int tag) : m_order(order), m_tag(tag) {}
    void ApplyTheme(int theme) override {
        m_theme = theme;
        m_order->push_back(m_tag);
    }
    int m_theme = -1;

private:
    std::vector<int>* m_order;
    int m_tag;
};

class ErasureCounter : public CStatic {
public:
    int m_erasures = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_ERASEBKGND) {
            ++m_erasures;
        }
        return CStatic::WindowProc(message, wParam, lParam);
    }
};

class DerivedListBox : public NListBox {};

class ThemeWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(owner.CreateEx(0, CWnd::RegisterPlainClass(), L"owner", WS_POPUP | WS_VISIBLE, RECT{0, 0, 400, 300},
                                   nullptr, 0));
        const DWORD child = WS_CHILD | WS_VISIBLE;
        ASSERT_TRUE(first.CreateEx(0, L"Button", L"first", child | BS_PUSHBUTTON, RECT{0, 0, 80, 20}, owner, 1));
        ASSERT_TRUE(list.CreateEx(0, L"ListBox", L"", child | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS,
                                  RECT{0, 30, 100, 100}, owner, 2));
        ASSERT_TRUE(stat.CreateEx(0, L"Static", L"plain", child, RECT{0, 110, 80, 130}, owner, 3));
        ASSERT_TRUE(derived.CreateEx(0, L"ListBox", L"", child | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS,
                                     RECT{120, 30, 220, 100}, owner, 4));
        ASSERT_TRUE(second.CreateEx(0, L"Button", L"second", child | BS_PUSHBUTTON, RECT{0, 140, 80, 160}, owner, 5));
        // A list box one level down, inside the static: not a child of the owner.
        ASSERT_TRUE(nested.CreateEx(0, L"ListBox", L"", child | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS,
                                    RECT{0, 0, 50, 15}, stat, 6));
        ::UpdateWindow(owner);
        PumpMessages();
    }
    void TearDown() override {
        owner.DestroyWindow();
        PumpMessages();
    }

    std::vector<int> order;
    PlainWindow owner;
    RecordingButton first{&order, 1};
    NListBox list;
    ErasureCounter stat;
    DerivedListBox derived;
    RecordingButton second{&order, 2};
    NListBox nested;
};

TEST_F(ThemeWalkTest, ThemedChildrenTakeTheThemeInSiblingOrderAndAllAreRepainted) {
    stat.m_erasures = 0;
    ApplyThemeToChildren(owner, 13);  // "Light Pink": face CBDCF0, shadow 506480
    EXPECT_EQ(first.m_theme, 13);
    EXPECT_EQ(second.m_theme, 13);
    EXPECT_EQ(order, (std::vector<int>{1, 2})) << "children are placed below their older siblings";
    EXPECT_EQ(Hex(list.m_clrSelFill), "C1D2E6");
    EXPECT_EQ(Hex(list.m_clrSelFrame), "5A6E8A");
    EXPECT_EQ(Hex(derived.m_clrSelFill), "C1D2E6") << "a class derived from a themed control";
    EXPECT_EQ(Hex(list.m_clrBack), "FFFFFF") << "no theme changes the item background";
    EXPECT_EQ(Hex(nested.m_clrSelFill), "C89664") << "grandchildren are not walked";

    for (HWND child : {first.m_hWnd, list.m_hWnd, stat.m_hWnd, derived.m_hWnd, second.m_hWnd}) {
        EXPECT_TRUE(::GetUpdateRect(child, nullptr, FALSE)) << "every child is invalidated";
    }
    ::UpdateWindow(stat);
    EXPECT_GE(stat.m_erasures, 1) << "invalidated with erase";
}

TEST_F(ThemeWalkTest, AnIndexOutsideTheTableAppliesTheDefaultTheme) {
    struct Case {
        const char* label;
        int theme;
        int applied;
        const char* fill;
        const char* frame;
    };
    const Case cases[] = {
        {"Black", 0, 0, "9D9D9D", "626262"},
        {"one past the end", 15, 10, "D2D2D2", "7A7A7A"},
        {"negative", -3, 10, "D2D2D2", "7A7A7A"},
        {"Turquoise", 14, 14, "E1D29B", "8C8258"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ApplyThemeToChildren(owner, c.theme);
        EXPECT_EQ(first.m_theme, c.applied);
        EXPECT_EQ(Hex(list.m_clrSelFill), c.fill);
        EXPECT_EQ(Hex(list.m_clrSelFrame), c.frame);
    }
}

TEST(ThemeWalkWithoutWindowTest, AnOwnerWithoutAWindowIsLeftAlone) {
    PlainWindow owner;
    ApplyThemeToChildren(owner, 3);
    EXPECT_EQ(owner.m_hWnd, nullptr);
}

}  // namespace
