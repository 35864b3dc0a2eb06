#include "skin/NListBox.h"

#include "DibCanvas.h"
#include "TestSupport.h"
#include "framework/Gdi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

constexpr COLORREF kMarker = 0x00FF00;
constexpr int kListId = 1027;

class PlainWindow : public CWnd {};

class NListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_POPUP | WS_VISIBLE,
                                    RECT{0, 0, 300, 240}, nullptr, 0));
        // As the main window's template declares the property list.
        ASSERT_TRUE(list.CreateEx(0, L"ListBox", L"",
                                  WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS | LBS_SORT |
                                      LBS_EXTENDEDSEL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER,
                                  RECT{10, 10, 210, 210}, parent, kListId));
        font.reset(::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
        list.SetFont(font.get(), false);
    }
    void TearDown() override {
        parent.DestroyWindow();
        PumpMessages();
    }

    // Asks the parent to draw item `index` into the canvas at `rect`, as the list box does.
    void DrawThroughParent(HDC dc, int index, UINT state, UINT action, const RECT& rect) {
        DRAWITEMSTRUCT draw{};
        draw.CtlType = ODT_LISTBOX;
        draw.CtlID = kListId;
        draw.itemID = static_cast<UINT>(index);
        draw.itemAction = action;
        draw.itemState = state;
        draw.hwndItem = list.m_hWnd;
        draw.hDC = dc;
        draw.rcItem = rect;
        const LRESULT handled = parent.SendMessage(WM_DRAWITEM, kListId, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(handled, TRUE) << "the parent reflects the request to the list box";
    }

    // The height of the system font, in which the items are measured.
    int SystemFontHeightOf(const wchar_t* text) const {
        CClientDC dc(list.m_hWnd);
        SIZE extent{};
        ::GetTextExtentPoint32W(dc.dc(), text, static_cast<int>(wcslen(text)), &extent);
        return extent.cy;
    }

    PlainWindow parent;
    NListBox list;
    UniqueFont font;
};

struct SelectionCase {
    const char* label;
    int theme;  // -1: the colours before any theme
    UINT state;
    COLORREF frame;
    COLORREF fill;
};

TEST_F(NListBoxTest, SelectionBarAndBackgroundColours) {
    list.AddString(L"Author");
    list.AddString(L"Title");
    const SelectionCase cases[] = {
        {"theme 10, selected", 10, ODS_SELECTED, 0x7A7A7A, 0xD2D2D2},
        {"theme 10, selected with focus", 10, ODS_SELECTED | ODS_FOCUS, 0x7A7A7A, 0xD2D2D2},
        {"theme 10, not selected", 10, 0, 0xFFFFFF, 0xFFFFFF},
        {"theme 10, focus only: no focus rectangle", 10, ODS_FOCUS, 0xFFFFFF, 0xFFFFFF},
        {"theme 13, selected", 13, ODS_SELECTED, 0x5A6E8A, 0xC1D2E6},
        {"theme 0, selected", 0, ODS_SELECTED, 0x626262, 0x9D9D9D},
        {"theme out of range, selected", 99, ODS_SELECTED, 0x7A7A7A, 0xD2D2D2},
        {"before any theme, selected", -1, ODS_SELECTED, 0xFADCB4, 0xC89664},
    };
    const RECT item{10, 5, 130, 25};
    for (const SelectionCase& c : cases) {
        SCOPED_TRACE(c.label);
        NListBox fresh;  // for the colours before any theme
        list.m_clrSelFill = fresh.m_clrSelFill;
        list.m_clrSelFrame = fresh.m_clrSelFrame;
        if (c.theme != -1) {
            list.SetTheme(c.theme);
        }
        DibCanvas canvas(140, 30, kMarker);
        DrawThroughParent(canvas.dc(), 1, c.state, ODA_DRAWENTIRE, item);
        // The frame: the four corners and the middle of each edge.
        for (const POINT p : {POINT{10, 5}, POINT{129, 5}, POINT{10, 24}, POINT{129, 24}, POINT{70, 5}, POINT{70, 24},
                              POINT{10, 15}, POINT{129, 15}}) {
            EXPECT_EQ(Hex(canvas.Pixel(p.x, p.y)), Hex(c.frame)) << "frame at " << p.x << "," << p.y;
        }
        for (const POINT p : {POINT{11, 6}, POINT{128, 23}, POINT{11, 23}, POINT{128, 6}, POINT{120, 15}}) {
            EXPECT_EQ(Hex(canvas.Pixel(p.x, p.y)), Hex(c.fill)) << "inside at " << p.x << "," << p.y;
        }
        for (const POINT p : {POINT{9, 15}, POINT{130, 15}, POINT{70, 4}, POINT{70, 25}}) {
            EXPECT_EQ(Hex(canvas.Pixel(p.x, p.y)), Hex(kMarker)) << "outside at " << p.x << "," << p.y;
        }
        // The text sits on the bar's colour: the opaque text background is the fill, never white.
        const RECT inside{11, 6, 129, 24};
        const int ink = canvas.CountOthers(inside, {c.fill});
        EXPECT_GT(ink, 0) << "the text is drawn";
        if (c.fill != 0xFFFFFF) {
            const int area = (inside.right - inside.left) * (inside.bottom - inside.top);
            EXPECT_EQ(canvas.CountOthers(inside, {0xFFFFFF}), area) << "no white text background";
        }
    }
}

TEST_F(NListBoxTest, TextStartsFourPixelsIntoTheItemInBlack) {
    list.AddString(L"Title");
    list.SetTheme(10);
    // Where the font puts the first ink of this text when drawn at x = 0.
    DibCanvas reference(120, 30, 0xFFFFFF);
    {
        DCStateGuard state(reference.dc());
        ::SelectObject(reference.dc(), font.get());
        RECT at{0, 0, 120, 30};
        ::DrawTextW(reference.dc(), L"Title", 5, &at, DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER);
    }
    const int bearing = reference.FirstInkColumn(RECT{0, 0, 120, 30}, 0xFFFFFF);
    ASSERT_GE(bearing, 0);

    for (const UINT state : {0u, static_cast<UINT>(ODS_SELECTED)}) {
        SCOPED_TRACE(state ? "selected" : "not selected");
        DibCanvas canvas(160, 40, kMarker);
        const RECT item{20, 5, 150, 35};
        DrawThroughParent(canvas.dc(), 0, state, ODA_DRAWENTIRE, item);
        const COLORREF fill = state ? 0xD2D2D2 : 0xFFFFFF;
        EXPECT_EQ(canvas.FirstInkColumn(RECT{21, 6, 149, 34}, fill), 20 + 4 + bearing);
        // Black text: the darkest pixel of the item is black.
        bool black = false;
        for (int y = 6; y < 34 && !black; ++y) {
            for (int x = 21; x < 149 && !black; ++x)
                black = canvas.Pixel(x, y) == 0x000000;
        }
        EXPECT_TRUE(black);
    }
}

TEST_F(NListBoxTest, EmptyTextIsAnEmptyBarAndAnEmptyListDrawsNothing) {
    DibCanvas canvas(140, 30, kMarker);
    const RECT item{10, 5, 130, 25};
    DrawThroughParent(canvas.dc(), -1, ODS_FOCUS, ODA_FOCUS, item);
    DrawThroughParent(canvas.dc(), 0, ODS_SELECTED, ODA_DRAWENTIRE, item);
    EXPECT_EQ(canvas.CountOthers(RECT{0, 0, 140, 30}, {kMarker}), 0) << "no items: nothing drawn";

    list.AddString(L"");
    list.SetTheme(10);
    DrawThroughParent(canvas.dc(), 0, ODS_SELECTED, ODA_DRAWENTIRE, item);
    EXPECT_EQ(Hex(canvas.Pixel(10, 5)), "7A7A7A");
    EXPECT_EQ(canvas.CountOthers(RECT{11, 6, 129, 24}, {0xD2D2D2}), 0) << "a plain bar, no text";
}

TEST_F(NListBoxTest, ItemHeightIsTheSystemFontHeightPlusThree) {
    // The list's own 11-pixel font is not used for measuring: the list box's DC has none selected.
    list.AddString(L"Title");
    list.AddString(L"");
    list.AddString(L"Comments");
    const int expected = SystemFontHeightOf(L"W") + 3;
    ASSERT_GT(expected, 3);
    for (int index = 0; index < list.GetCount(); ++index) {
        SCOPED_TRACE(Narrow(L"item \"" + list.GetText(index) + L"\""));
        EXPECT_EQ(list.SendMessage(LB_GETITEMHEIGHT, static_cast<WPARAM>(index)), expected);
    }
}

TEST(NListBoxMeasureTest, ARequestBeforeTheControlIsBoundMeasuresTheLetterW) {
    // A dialog asks for item heights while it creates its controls, before they are bound.
    NListBox unbound;
    MEASUREITEMSTRUCT measure{};
    measure.CtlType = ODT_LISTBOX;
    measure.CtlID = kListId;
    measure.itemID = 0;
    measure.itemHeight = 1;
    unbound.MeasureItem(&measure);
    CClientDC screen(nullptr);
    SIZE extent{};
    ::GetTextExtentPoint32W(screen.dc(), L"W", 1, &extent);
    EXPECT_EQ(measure.itemHeight, static_cast<UINT>(extent.cy + 3));
}

TEST_F(NListBoxTest, PaintedOnScreenWithTheThemeSelection) {
    list.AddString(L"Author");
    list.AddString(L"Subject");
    list.AddString(L"Title");
    list.SetTheme(10);
    list.SetSel(1, true);
    list.Invalidate(true);
    ::UpdateWindow(list);

    const RECT client = list.GetClientRect();
    DibCanvas canvas(client.right, client.bottom, kMarker);
    {
        CClientDC window(list.m_hWnd);
        ASSERT_TRUE(::BitBlt(canvas.dc(), 0, 0, client.right, client.bottom, window.dc(), 0, 0, SRCCOPY));
    }
    RECT selected{};
    RECT plain{};
    list.SendMessage(LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&selected));
    list.SendMessage(LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&plain));
    ASSERT_GT(selected.bottom - selected.top, 3);
    EXPECT_EQ(Hex(canvas.Pixel(selected.left, selected.top)), "7A7A7A");
    EXPECT_EQ(Hex(canvas.Pixel(selected.right - 1, selected.bottom - 1)), "7A7A7A");
    EXPECT_EQ(Hex(canvas.Pixel(selected.right - 2, selected.top + 1)), "D2D2D2");
    EXPECT_EQ(Hex(canvas.Pixel(plain.left, plain.top)), "FFFFFF");
    EXPECT_EQ(Hex(canvas.Pixel(plain.right - 2, plain.bottom - 2)), "FFFFFF");
}

}  // namespace
