#include "skin/SkinMenu.h"

#include "DibCanvas.h"
#include "TestSupport.h"
#include "framework/Gdi.h"
#include "framework/Wnd.h"
#include "resources/resource.h"
#include "skin/Themes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <utility>

namespace {

constexpr COLORREF kMarker = 0x00FF00;
constexpr UINT kSilverWhite = ID_THEME_FIRST + DEFAULT_THEME;
constexpr UINT kBlack = ID_THEME_FIRST;
constexpr UINT kAbout = ID_HELP_ABOUT;

// Theme 10: menu background FFFFFF, selection fill D2D2D2, frame and check mark 7A7A7A.
constexpr COLORREF kBack = 0xFFFFFF;
constexpr COLORREF kFill = 0xD2D2D2;
constexpr COLORREF kFrame = 0x7A7A7A;

UniqueIcon MakeSolidIcon(COLORREF colour) {
    DibCanvas image(16, 16, colour);
    const UniqueBitmap colourBits(::CreateCompatibleBitmap(image.dc(), 16, 16));
    {
        const UniqueDC copy(::CreateCompatibleDC(image.dc()));
        const HGDIOBJ old = ::SelectObject(copy.get(), colourBits.get());
        ::BitBlt(copy.get(), 0, 0, 16, 16, image.dc(), 0, 0, SRCCOPY);
        ::SelectObject(copy.get(), old);
    }
    const UniqueBitmap mask(::CreateBitmap(16, 16, 1, 1, nullptr));
    {
        // An all-zero mask: every pixel of the icon is opaque.
        const UniqueDC maskDc(::CreateCompatibleDC(nullptr));
        const HGDIOBJ old = ::SelectObject(maskDc.get(), mask.get());
        ::PatBlt(maskDc.get(), 0, 0, 16, 16, BLACKNESS);
        ::SelectObject(maskDc.get(), old);
    }
    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmColor = colourBits.get();
    info.hbmMask = mask.get();
    return UniqueIcon(::CreateIconIndirect(&info));
}

class SkinMenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendItem(L"Black", kBlack));
        ASSERT_TRUE(menu.AppendItem(L"Silver White", kSilverWhite));
        font.reset(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
        // As the main window's frame prepares its menus.
        menu.m_pFont = font.get();
        menu.m_nItemHeight = 24;
        menu.m_nTextWidth = 130;
        menu.SetTheme(10);
    }

    void Draw(HDC dc, UINT id, UINT state, UINT action, const RECT& rect) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_MENU;
        draw.itemID = id;
        draw.itemAction = action;
        draw.itemState = state;
        draw.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
        draw.hDC = dc;
        draw.rcItem = rect;
        menu.DrawItem(&draw);
    }

    // Where the first ink of `text` lies when the font draws it at (0, 0) in a band of `height`.
    POINT InkOrigin(const std::wstring& text, int height) const {
        DibCanvas reference(200, height, kBack);
        {
            DCStateGuard state(reference.dc());
            ::SelectObject(reference.dc(), font.get());
            ::SetBkMode(reference.dc(), TRANSPARENT);
            RECT at{0, 0, 200, height};
            ::DrawTextW(reference.dc(), text.c_str(), static_cast<int>(text.size()), &at, DT_SINGLELINE | DT_VCENTER);
        }
        const RECT ink = reference.InkBounds(RECT{0, 0, 200, height}, kBack);
        return POINT{ink.left, ink.top};
    }

    CSkinMenu menu;
    UniqueFont font;
};

TEST_F(SkinMenuTest, TextStartsAtTwentyTwoOrAfterTheIconColumn) {
    struct Case {
        const char* label;
        bool icons;
        int offset;
    };
    const Case cases[] = {
        {"no icons in the menu", false, 22},
        {"icons in the menu, none for this item", true, 26},
    };
    const RECT item{5, 3, 135, 27};
    // The text band is the item less its top two rows.
    const POINT origin = InkOrigin(L"Silver White", (item.bottom - item.top) - 2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.icons) {
            menu.m_mapIcons[kAbout] = MakeSolidIcon(0xFF0000).release();
        }
        EXPECT_EQ(menu.HasIcons(), c.icons);
        DibCanvas canvas(150, 32, kMarker);
        ::SetTextColor(canvas.dc(), 0x000000);
        Draw(canvas.dc(), kSilverWhite, 0, ODA_DRAWENTIRE, item);
        const RECT ink = canvas.InkBounds(item, kBack);
        EXPECT_EQ(ink.left, item.left + c.offset + origin.x);
        EXPECT_EQ(ink.top, item.top + 2 + origin.y);
        EXPECT_LE(ink.right, item.right);
    }
}

TEST_F(SkinMenuTest, CheckMarkStrokesInTheirBox) {
    // The 14 x 14 box: a frame, and seven strokes of three pixels whose third is the low point.
    auto expectedAt = [](int x, int y) -> bool {
        if (x == 0 || y == 0 || x == 13 || y == 13)
            return true;
        static const std::pair<int, int> strokes[] = {{4, 6}, {5, 7}, {6, 8}, {7, 7}, {8, 6}, {9, 5}, {10, 4}};
        for (const auto& [sx, sy] : strokes) {
            if (x == sx && y >= sy && y < sy + 3)
                return true;
        }
        return false;
    };
    struct Case {
        const char* label;
        UINT state;
        RECT item;
        COLORREF around;  // the item's inside next to the box
    };
    const Case cases[] = {
        {"checked", ODS_CHECKED, RECT{5, 3, 135, 27}, kBack},
        {"checked and selected: the box keeps the menu background", ODS_CHECKED | ODS_SELECTED, RECT{5, 3, 135, 27},
         kFill},
        {"taller item: the box is centred", ODS_CHECKED, RECT{0, 10, 130, 40}, kBack},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(150, 48, kMarker);
        Draw(canvas.dc(), kSilverWhite, c.state, ODA_DRAWENTIRE, c.item);
        const int left = c.item.left + 4;
        const int top = c.item.top + (c.item.bottom - c.item.top - 14) / 2;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                EXPECT_EQ(Hex(canvas.Pixel(left + x, top + y)), Hex(expectedAt(x, y) ? kFrame : kBack))
                    << "box pixel " << x << "," << y;
            }
        }
        EXPECT_EQ(Hex(canvas.Pixel(left - 1, top + 7)), Hex(c.around)) << "left of the box";
        EXPECT_EQ(Hex(canvas.Pixel(left + 14, top + 7)), Hex(c.around)) << "right of the box";
    }

    DibCanvas unchecked(150, 32, kMarker);
    Draw(unchecked.dc(), kSilverWhite, 0, ODA_DRAWENTIRE, RECT{5, 3, 135, 27});
    EXPECT_EQ(Hex(unchecked.Pixel(9 + 6, 8 + 9)), Hex(kBack)) << "no mark on an unchecked item";
    EXPECT_EQ(Hex(unchecked.Pixel(9, 8)), Hex(kBack)) << "no box on an unchecked item";
}

TEST_F(SkinMenuTest, IconsReplaceTheCheckMarkOnlyForItemsThatHaveOne) {
    const UniqueIcon blue = MakeSolidIcon(0xFF0000);
    ASSERT_TRUE(blue);
    menu.m_mapIcons[kSilverWhite] = ::CopyIcon(blue.get());
    const RECT item{5, 3, 135, 27};

    DibCanvas withIcon(150, 32, kMarker);
    Draw(withIcon.dc(), kSilverWhite, ODS_CHECKED, ODA_DRAWENTIRE, item);
    // 16 x 16 at (left + 4, top + (24 - 16) / 2).
    EXPECT_EQ(Hex(withIcon.Pixel(9, 7)), "FF0000");
    EXPECT_EQ(Hex(withIcon.Pixel(24, 22)), "FF0000");
    EXPECT_EQ(Hex(withIcon.Pixel(8, 15)), Hex(kBack));
    EXPECT_EQ(Hex(withIcon.Pixel(25, 15)), Hex(kBack));
    EXPECT_EQ(Hex(withIcon.Pixel(9, 6)), Hex(kBack));
    EXPECT_EQ(Hex(withIcon.Pixel(9, 23)), Hex(kBack));

    DibCanvas noIcon(150, 32, kMarker);
    Draw(noIcon.dc(), kBlack, ODS_CHECKED, ODA_DRAWENTIRE, item);
    EXPECT_EQ(Hex(noIcon.Pixel(9, 8)), Hex(kFrame)) << "an item without an icon shows its check mark";
    EXPECT_EQ(Hex(noIcon.Pixel(9 + 6, 8 + 8)), Hex(kFrame)) << "the low point of the tick";
}

TEST_F(SkinMenuTest, DrawingFollowsTheActionAndTheSelection) {
    struct Case {
        const char* label;
        UINT action;
        UINT state;
        COLORREF edge;
        COLORREF inside;
    };
    const Case cases[] = {
        {"whole item, not selected", ODA_DRAWENTIRE, 0, kBack, kBack},
        {"whole item, selected", ODA_DRAWENTIRE, ODS_SELECTED, kFrame, kFill},
        {"selection arrives", ODA_SELECT, ODS_SELECTED, kFrame, kFill},
        {"selection leaves: drawn plain", ODA_SELECT, 0, kBack, kBack},
        {"focus only: nothing drawn", ODA_FOCUS, ODS_FOCUS, kMarker, kMarker},
    };
    const RECT item{5, 3, 135, 27};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(150, 32, kMarker);
        Draw(canvas.dc(), kBlack, c.state, c.action, item);
        EXPECT_EQ(Hex(canvas.Pixel(5, 3)), Hex(c.edge));
        EXPECT_EQ(Hex(canvas.Pixel(134, 26)), Hex(c.edge));
        EXPECT_EQ(Hex(canvas.Pixel(70, 3)), Hex(c.edge));
        EXPECT_EQ(Hex(canvas.Pixel(6, 4)), Hex(c.inside));
        EXPECT_EQ(Hex(canvas.Pixel(133, 25)), Hex(c.inside));
        EXPECT_EQ(Hex(canvas.Pixel(4, 15)), Hex(kMarker)) << "nothing outside the item";
        EXPECT_EQ(Hex(canvas.Pixel(135, 15)), Hex(kMarker));
    }
    // A selection moving on: the old item first drawn with the bar, then plain again.
    DibCanvas canvas(150, 32, kMarker);
    Draw(canvas.dc(), kBlack, ODS_SELECTED, ODA_DRAWENTIRE, item);
    Draw(canvas.dc(), kBlack, 0, ODA_SELECT, item);
    EXPECT_EQ(Hex(canvas.Pixel(5, 3)), Hex(kBack));
    EXPECT_EQ(Hex(canvas.Pixel(6, 4)), Hex(kBack));
}

TEST_F(SkinMenuTest, ThemeColoursOfBackgroundAndSelection) {
    struct Case {
        const char* label;
        int theme;
        COLORREF back;
        COLORREF fill;
        COLORREF frame;
    };
    const Case cases[] = {
        {"Silver White", 10, 0xFFFFFF, 0xD2D2D2, 0x7A7A7A},
        {"Light Pink", 13, 0xF6FCFF, 0xC1D2E6, 0x5A6E8A},
        {"Black", 0, 0xF2F2F2, 0x9D9D9D, 0x626262},
        {"one past the end: default", 15, 0xFFFFFF, 0xD2D2D2, 0x7A7A7A},
        {"negative: default", -1, 0xFFFFFF, 0xD2D2D2, 0x7A7A7A},
    };
    const RECT item{5, 3, 135, 27};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        menu.SetTheme(c.theme);
        DibCanvas canvas(150, 32, kMarker);
        Draw(canvas.dc(), kBlack, 0, ODA_DRAWENTIRE, item);
        EXPECT_EQ(Hex(canvas.Pixel(6, 4)), Hex(c.back));
        Draw(canvas.dc(), kBlack, ODS_SELECTED, ODA_SELECT, item);
        EXPECT_EQ(Hex(canvas.Pixel(5, 3)), Hex(c.frame));
        EXPECT_EQ(Hex(canvas.Pixel(6, 4)), Hex(c.fill));
    }
}

TEST_F(SkinMenuTest, UpdateItemTextChangesWhatIsDrawnButNotTheWidth) {
    ASSERT_TRUE(menu.AppendItem(L"Online update(Auto)", CSkinMenu::kUpdateItemId));
    const RECT item{0, 0, 130, 24};
    DibCanvas before(150, 24, kMarker);
    Draw(before.dc(), CSkinMenu::kUpdateItemId, 0, ODA_DRAWENTIRE, item);
    menu.SetUpdateItemText(L"Online update");
    DibCanvas after(150, 24, kMarker);
    Draw(after.dc(), CSkinMenu::kUpdateItemId, 0, ODA_DRAWENTIRE, item);
    const RECT a = before.InkBounds(item, kBack);
    const RECT b = after.InkBounds(item, kBack);
    EXPECT_EQ(b.left, a.left);
    EXPECT_LT(b.right, a.right) << "the shorter text is drawn";

    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_MENU;
    measure.itemID = CSkinMenu::kUpdateItemId;
    EXPECT_TRUE(menu.RouteOwnerDraw(WM_MEASUREITEM, reinterpret_cast<LPARAM>(&measure)));
    EXPECT_EQ(measure.itemWidth, 130u);
    EXPECT_EQ(measure.itemHeight, 24u);
}

TEST_F(SkinMenuTest, OnlyItsOwnItemsAreRouted) {
    struct Case {
        const char* label;
        UINT message;
        UINT type;
        UINT id;
        bool ours;
    };
    const Case cases[] = {
        {"measure of an item of ours", WM_MEASUREITEM, ODT_MENU, kBlack, true},
        {"measure of another menu's item", WM_MEASUREITEM, ODT_MENU, ID_HELP_ONLINE_HELP, false},
        {"measure of a list box item", WM_MEASUREITEM, ODT_LISTBOX, kBlack, false},
        {"draw of an item of ours", WM_DRAWITEM, ODT_MENU, kBlack, true},
        {"draw of a button", WM_DRAWITEM, ODT_BUTTON, kBlack, false},
        {"another message", WM_COMMAND, ODT_MENU, kBlack, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(150, 32, kMarker);
        MEASUREITEMSTRUCT measure{};
        measure.CtlType = c.type;
        measure.itemID = c.id;
        DRAWITEMSTRUCT draw{};
        draw.CtlType = c.type;
        draw.itemID = c.id;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hwndItem = reinterpret_cast<HWND>(menu.m_hMenu);
        draw.hDC = canvas.dc();
        draw.rcItem = RECT{0, 0, 130, 24};
        const LPARAM lParam =
            c.message == WM_MEASUREITEM ? reinterpret_cast<LPARAM>(&measure) : reinterpret_cast<LPARAM>(&draw);
        EXPECT_EQ(menu.RouteOwnerDraw(c.message, lParam), c.ours);
        if (c.message == WM_MEASUREITEM) {
            EXPECT_EQ(measure.itemHeight, c.ours ? 24u : 0u);
        } else {
            EXPECT_EQ(Hex(canvas.Pixel(1, 1)), Hex(c.ours ? kBack : kMarker));
        }
    }
    // A draw request for a different menu handle is not ours either.
    CSkinMenu other;
    ASSERT_TRUE(other.CreatePopupMenu());
    DibCanvas canvas(150, 32, kMarker);
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_MENU;
    draw.itemID = kBlack;
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hwndItem = reinterpret_cast<HWND>(other.m_hMenu);
    draw.hDC = canvas.dc();
    draw.rcItem = RECT{0, 0, 130, 24};
    EXPECT_FALSE(menu.RouteOwnerDraw(WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw)));
}

TEST(SkinMenuLifetimeTest, ItemsAreOwnerDrawnAndIconsDieWithTheMenu) {
    HICON shared = nullptr;
    HICON single = nullptr;
    HMENU handle = nullptr;
    {
        CSkinMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendItem(L"About...", ID_HELP_ABOUT));
        ASSERT_TRUE(menu.AppendItem(L"Online help (F1)", ID_HELP_ONLINE_HELP));
        ASSERT_TRUE(menu.AppendItem(L"Visit our website", ID_HELP_WEB_SITE));
        handle = menu.m_hMenu;
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_ID;
        ASSERT_TRUE(::GetMenuItemInfoW(handle, 1, TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_OWNERDRAW);
        EXPECT_EQ(info.wID, static_cast<UINT>(ID_HELP_ONLINE_HELP));
        shared = MakeSolidIcon(0x0000FF).release();
        single = MakeSolidIcon(0x00FFFF).release();
        // One icon may serve two items; it is destroyed once.
        menu.m_mapIcons[ID_HELP_ABOUT] = shared;
        menu.m_mapIcons[ID_HELP_ONLINE_HELP] = shared;
        menu.m_mapIcons[ID_HELP_WEB_SITE] = single;
        menu.m_mapIcons[ID_HELP_CONTACT] = nullptr;
        ICONINFO info2{};
        ASSERT_TRUE(::GetIconInfo(single, &info2));
        ::DeleteObject(info2.hbmColor);
        ::DeleteObject(info2.hbmMask);
    }
    EXPECT_FALSE(::IsMenu(handle)) << "the menu handle is destroyed";
    ICONINFO info{};
    EXPECT_FALSE(::GetIconInfo(single, &info)) << "the icons are destroyed";
    EXPECT_FALSE(::GetIconInfo(shared, &info));
}

// An owner window that passes its menu's owner-draw requests on, as the main window's frame does.
class MenuOwner : public CWnd {
public:
    CSkinMenu* m_menu = nullptr;
    int m_measured = 0;
    std::set<UINT> m_drawn;

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if ((message == WM_MEASUREITEM || message == WM_DRAWITEM) && m_menu &&
            m_menu->RouteOwnerDraw(message, lParam)) {
            if (message == WM_MEASUREITEM) {
                ++m_measured;
            } else {
                m_drawn.insert(reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->itemID);
            }
            return TRUE;
        }
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
};

struct TrackState {
    HWND owner;
    HMENU menu;
    RECT first;
    bool gotRect;
};
TrackState g_track{};

void CALLBACK EndTracking(HWND, UINT, UINT_PTR id, DWORD) noexcept {
    ::KillTimer(nullptr, id);
    g_track.gotRect = ::GetMenuItemRect(g_track.owner, g_track.menu, 0, &g_track.first) != FALSE;
    ::EndMenu();
}

TEST(SkinMenuTrackTest, TheTrackedMenuIsMeasuredAndDrawnThroughItsOwner) {
    MenuOwner owner;
    ASSERT_TRUE(owner.CreateEx(0, CWnd::RegisterPlainClass(), L"owner", WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 200},
                               nullptr, 0));
    ::SetForegroundWindow(owner);
    CSkinMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    for (int theme = 0; theme < THEME_COUNT; ++theme) {
        ASSERT_TRUE(menu.AppendItem(g_themeNames[theme], ID_THEME_FIRST + static_cast<UINT>(theme)));
    }
    menu.m_nItemHeight = 24;
    menu.m_nTextWidth = 130;
    menu.SetTheme(10);
    menu.CheckMenuItem(kSilverWhite, MF_CHECKED);
    owner.m_menu = &menu;
    g_track = TrackState{owner.m_hWnd, menu.m_hMenu, {}, false};

    ::SetTimer(nullptr, 0, 200, EndTracking);
    const UINT chosen = menu.TrackPopupMenu(TPM_LEFTALIGN, 10, 10, owner);
    EXPECT_EQ(chosen, 0u) << "closed without a choice";
    EXPECT_EQ(owner.m_measured, THEME_COUNT) << "every item is measured through the owner";
    EXPECT_FALSE(owner.m_drawn.empty()) << "items are drawn through the owner";
    ASSERT_TRUE(g_track.gotRect);
    EXPECT_EQ(g_track.first.bottom - g_track.first.top, 24);
    owner.m_menu = nullptr;
    owner.DestroyWindow();
    PumpMessages();
}

}  // namespace
