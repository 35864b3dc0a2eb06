#include "skin/CaptionBar.h"

#include "DibCanvas.h"
#include "TestSupport.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kTitle[] = L"Quillmark  3.01";
constexpr int kBarWidth = 300;
constexpr int kBarHeight = 26;
// The icon lies left of this column, the title right of it.
constexpr int kTitleArea = 22;
constexpr DWORD kSizingFrame = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_THICKFRAME;
constexpr DWORD kDialogFrame = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_DLGFRAME;

COLORREF Grey(int level) {
    return MakeColor(level, level, level);
}
std::vector<COLORREF> Greys(std::initializer_list<int> levels) {
    std::vector<COLORREF> colours;
    for (int level : levels) {
        colours.push_back(Grey(level));
    }
    return colours;
}

// The sizing-frame width is SM_CXFRAME - 1, and SM_CXFRAME follows the border setting (4 by
// default under Wine, so 3). The setting outlives the process in the wineserver's session, so
// it is always put back.
class ScopedBorderSetting {
public:
    explicit ScopedBorderSetting(UINT border) {
        ::SystemParametersInfoW(SPI_GETBORDER, 0, &m_previous, 0);
        ::SystemParametersInfoW(SPI_SETBORDER, border, nullptr, 0);
    }
    ~ScopedBorderSetting() { ::SystemParametersInfoW(SPI_SETBORDER, m_previous, nullptr, 0); }
    ScopedBorderSetting(const ScopedBorderSetting&) = delete;
    ScopedBorderSetting& operator=(const ScopedBorderSetting&) = delete;

private:
    UINT m_previous = 1;
};

class CaptionBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(other.CreateEx(0, CWnd::RegisterPlainClass(), L"other", WS_POPUP | WS_VISIBLE,
                                   RECT{500, 400, 600, 450}, nullptr, 0));
    }
    void TearDown() override {
        bar.DestroyWindow();
        parent.DestroyWindow();
        other.DestroyWindow();
        PumpMessages();
    }
    void MakeBar(DWORD style, int theme = DEFAULT_THEME) {
        ASSERT_TRUE(
            parent.CreateEx(0, CWnd::RegisterPlainClass(), kTitle, style, RECT{100, 100, 420, 300}, nullptr, 0));
        ASSERT_TRUE(bar.Create(L"", RECT{0, 0, kBarWidth, kBarHeight}, &parent));
        bar.m_nTheme = theme;
        bar.Redraw();
    }
    static void Activate(const CWnd& wnd) {
        ::SetForegroundWindow(wnd.m_hWnd);
        ::SetActiveWindow(wnd.m_hWnd);
        PumpMessages();
        ASSERT_EQ(::GetActiveWindow(), wnd.m_hWnd);
    }
    // What the bar shows once it has painted, read back from its window.
    void Show(const DibCanvas& canvas) {
        PumpMessages();
        bar.Invalidate(false);
        ::UpdateWindow(bar.m_hWnd);
        const CClientDC screen(bar.m_hWnd);
        ASSERT_TRUE(::BitBlt(canvas.dc(), 0, 0, canvas.width(), canvas.height(), screen.dc(), 0, 0, SRCCOPY));
    }

    CWnd other;
    CWnd parent;
    CCaptionBar bar;
};

// The pixels of exactly `colour` right of the icon: how many, and the highest row holding one.
struct TitleInk {
    int count = 0;
    int top = kBarHeight;
};
TitleInk InkOf(const DibCanvas& canvas, COLORREF colour, int onlyRow = -1) {
    TitleInk ink;
    for (int y = 0; y < canvas.height(); ++y) {
        if (onlyRow >= 0 && y != onlyRow) {
            continue;
        }
        for (int x = kTitleArea; x < canvas.width(); ++x) {
            if (canvas.Pixel(x, y) == colour) {
                ++ink.count;
                ink.top = std::min(ink.top, y);
            }
        }
    }
    return ink;
}

// Where the image differs from its gradient (column 1) between two columns.
RECT InkBetween(const DibCanvas& canvas, int left, int right) {
    RECT ink{right, canvas.height(), left, 0};
    for (int y = 0; y < canvas.height(); ++y) {
        for (int x = left; x < right; ++x) {
            if (canvas.Pixel(x, y) != canvas.Pixel(1, y)) {
                ink = RECT{std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                           std::max<LONG>(ink.bottom, y + 1)};
            }
        }
    }
    return ink;
}

TEST_F(CaptionBarTest, GradientIconAndTitleInBothLooks) {
    struct Case {
        const char* label;
        int theme;
        DWORD style;
        UINT border;  // the system's border setting while the bar draws
        std::vector<COLORREF> rows;
        int iconTop;
        COLORREF inactiveTitle;
        COLORREF shadow;
        int titleLift;  // how much higher than in the first case the title sits
    };
    const Case cases[] = {
        {"theme 10, sizing frame 3", 10, kSizingFrame, 1,
         Greys({0xE9, 0xE4, 0xDF, 0xDA, 0xD5, 0xD0, 0xCB, 0xC6, 0xC1, 0xBC, 0xB7, 0x9D, 0x9E,
                0x9F, 0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0x95, 0x81}),
         4, Grey(0xDE), Grey(0x70), 0},
        // A dialog frame stays 3 wide whatever the border setting.
        {"theme 0, dialog frame 3", 0, kDialogFrame, 3,
         Greys({0x96, 0x91, 0x8C, 0x87, 0x82, 0x7D, 0x78, 0x73, 0x6E, 0x69, 0x64, 0x4A, 0x4B,
                0x4C, 0x4D, 0x4E, 0x4F, 0x50, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56, 0x42, 0x2E}),
         4, Grey(0xC6), Grey(0x58), 0},
        // The title rectangle's top moves up by 2; centred vertically, the text moves by 1.
        {"theme 10, sizing frame 5", 10, kSizingFrame, 3,
         Greys({0xE3, 0xDF, 0xDB, 0xD7, 0xD3, 0xCF, 0xCB, 0xC7, 0xC3, 0xBF, 0xBB, 0xA1, 0xA2,
                0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0x99, 0x85}),
         2, Grey(0xDE), Grey(0x70), 1},
    };
    const COLORREF activeTitle = Grey(0xFF);

    // Where the program icon has ink of its own inside its 16x16 square.
    const UniqueIcon icon(static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                                          IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    ASSERT_TRUE(icon);
    DibCanvas iconAlone(16, 16, 0x00FF00);
    ::DrawIconEx(iconAlone.dc(), 0, 0, icon.get(), 16, 16, 0, nullptr, DI_NORMAL);
    const RECT iconInk = iconAlone.InkBounds(0x00FF00);
    ASSERT_LT(iconInk.left, iconInk.right);

    int firstTitleTop = -1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ScopedBorderSetting border(c.border);
        MakeBar(c.style, c.theme);
        Activate(parent);
        bar.Redraw();
        DibCanvas active(kBarWidth, kBarHeight, 0x00FF00);
        Show(active);
        EXPECT_TRUE(bar.IsActiveLook());
        // Another window taking the activation: the bar redraws when it next paints.
        Activate(other);
        DibCanvas inactive(kBarWidth, kBarHeight, 0x00FF00);
        Show(inactive);
        EXPECT_FALSE(bar.IsActiveLook());

        for (const DibCanvas* canvas : {&active, &inactive}) {
            for (int y = 0; y < kBarHeight; ++y) {
                SCOPED_TRACE(std::string(canvas == &active ? "active" : "inactive") + ", row " + std::to_string(y));
                EXPECT_EQ(Hex(canvas->Pixel(1, y)), Hex(c.rows[static_cast<size_t>(y)]));
                EXPECT_EQ(Hex(canvas->Pixel(kBarWidth - 2, y)), Hex(c.rows[static_cast<size_t>(y)]));
            }
            const RECT ink = InkBetween(*canvas, 2, kTitleArea);
            EXPECT_EQ(ink.left, 4 + iconInk.left);
            EXPECT_EQ(ink.top, c.iconTop + iconInk.top);
            EXPECT_EQ(ink.bottom, c.iconTop + iconInk.bottom);
        }

        // The text is smoothed in grey levels, so an edge pixel may blend into any colour between
        // the title, its shadow and the gradient. The title colour itself shows on the glyphs'
        // full-coverage pixels, the same ones in both looks, and nothing blends into FFFFFF.
        const TitleInk title = InkOf(active, activeTitle);
        EXPECT_GT(title.count, 0);
        EXPECT_EQ(InkOf(inactive, activeTitle).count, 0);
        EXPECT_GE(InkOf(inactive, c.inactiveTitle).count, title.count);
        EXPECT_LT(InkOf(active, c.inactiveTitle).count, InkOf(inactive, c.inactiveTitle).count);
        // The title sits above its shadow: the top row of the text has no shadow pixel, its
        // bottom row no title pixel (a blend of the two with the gradient is neither).
        for (const DibCanvas* canvas : {&active, &inactive}) {
            const RECT text = InkBetween(*canvas, kTitleArea, canvas->width());
            const COLORREF titleColour = canvas == &active ? activeTitle : c.inactiveTitle;
            EXPECT_GT(InkOf(*canvas, c.shadow).count, 0);
            EXPECT_EQ(InkOf(*canvas, c.shadow, text.top).count, 0);
            EXPECT_EQ(InkOf(*canvas, titleColour, text.bottom - 1).count, 0);
        }
        if (firstTitleTop < 0) {
            firstTitleTop = title.top;
        }
        EXPECT_EQ(title.top, firstTitleTop - c.titleLift);
        bar.DestroyWindow();
        parent.DestroyWindow();
    }
}

enum class Act { Redraw, RenameParent, SameSize, Widen };

TEST_F(CaptionBarTest, ImageRebuiltOnlyOnRedrawOrNewSize) {
    struct Step {
        const char* label;
        Act act;
        const wchar_t* parentTitle;
        bool titleShown;  // the parent's title as the image was last drawn
    };
    const Step steps[] = {
        {"drawn", Act::Redraw, kTitle, true},
        {"parent renamed: the image keeps the old title", Act::RenameParent, L"", true},
        {"a size message with the same size rebuilds nothing", Act::SameSize, L"", true},
        {"redrawn with the new, empty title", Act::Redraw, L"", false},
        {"renamed back: still empty", Act::RenameParent, kTitle, false},
        {"widened: rebuilt at the new width", Act::Widen, kTitle, true},
    };
    MakeBar(kSizingFrame);
    Activate(parent);
    const COLORREF firstRow = Grey(0xE9);
    const COLORREF lowerRow = Grey(0x9E);  // row 12
    for (const Step& step : steps) {
        SCOPED_TRACE(step.label);
        switch (step.act) {
            case Act::Redraw:
                bar.Redraw();
                break;
            case Act::RenameParent:
                parent.SetWindowText(step.parentTitle);
                break;
            case Act::SameSize:
                bar.SendMessage(WM_SIZE, SIZE_RESTORED, MAKELPARAM(kBarWidth, kBarHeight));
                break;
            case Act::Widen:
                bar.MoveWindow(0, 0, kBarWidth + 10, kBarHeight);
                break;
        }
        const int width = bar.GetClientRect().right;
        DibCanvas canvas(width, kBarHeight, 0x00FF00);
        Show(canvas);
        EXPECT_EQ(InkOf(canvas, Grey(0xFF)).count > 0, step.titleShown);
        EXPECT_EQ(InkOf(canvas, Grey(0x70)).count > 0, step.titleShown);
        for (int x : {1, width - 2}) {
            EXPECT_EQ(Hex(canvas.Pixel(x, 0)), Hex(firstRow)) << "column " << x;
            EXPECT_EQ(Hex(canvas.Pixel(x, 12)), Hex(lowerRow)) << "column " << x;
        }
    }
}

TEST_F(CaptionBarTest, GdiObjectsFreedExactlyOnce) {
    const long empty = GdiObjectCount();
    CCaptionBar orphan;
    EXPECT_FALSE(orphan.Create(L"", RECT{0, 0, kBarWidth, kBarHeight}, nullptr));
    CWnd unmade;
    EXPECT_FALSE(orphan.Create(L"", RECT{0, 0, kBarWidth, kBarHeight}, &unmade));
    EXPECT_EQ(orphan.m_hWnd, nullptr);
    EXPECT_EQ(GdiObjectCount(), empty) << "a bar that was not created makes nothing";

    MakeBar(kSizingFrame);
    DibCanvas canvas(kBarWidth + 100, kBarHeight, 0);
    Show(canvas);
    const long before = GdiObjectCount();
    for (int change = 0; change < 100; ++change) {
        bar.MoveWindow(0, 0, kBarWidth + change % 7, kBarHeight - change % 3);
        Show(canvas);
    }
    bar.MoveWindow(0, 0, kBarWidth, kBarHeight);
    EXPECT_EQ(GdiObjectCount(), before) << "100 size changes";

    const auto recreate = [&](int cycle) {
        // Every other second bar is taken down by its object's destructor, not by its window.
        CCaptionBar second;
        ASSERT_TRUE(second.Create(L"", RECT{0, 30, kBarWidth, 30 + kBarHeight}, &parent));
        second.Redraw();
        if (cycle % 2 == 0) {
            second.DestroyWindow();
        }
        bar.DestroyWindow();
        ASSERT_TRUE(bar.Create(L"", RECT{0, 0, kBarWidth, kBarHeight}, &parent));
        bar.Redraw();
        Show(canvas);
    };
    // Wine's cache of window DCs grows once two bars are alive together (measured: two more
    // OBJ_DC objects on the second cycle, never again), so the count starts after a warm-up.
    recreate(0);
    recreate(1);
    const long warm = GdiObjectCount();
    for (int cycle = 0; cycle < 100; ++cycle) {
        recreate(cycle);
    }
    EXPECT_EQ(GdiObjectCount(), warm) << "100 create/destroy cycles";
}

}  // namespace
