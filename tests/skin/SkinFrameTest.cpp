#include "skin/SkinDialog.h"
#include "skin/SkinFrame.h"

#include "DibCanvas.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

// The border of a window 60 x 80 with frames 3 (a dialog frame under Wine and most Windows
// set-ups) and 5 (a wide sizing frame): the outer line, the inner lines below the title bar,
// the top border darkening row by row and the strips beside the title bar, which carry its
// gradient.
TEST(SkinFrameTest, BorderColoursOfTheTheme) {
    struct Case {
        const char* label;
        int theme;
        int frameWidth;
        COLORREF outer;
        COLORREF inner;
        COLORREF topRows[4];  // rows 1 .. frameWidth - 1
    };
    const Case cases[] = {
        {"Silver White, frame 3", 10, 3, 0x999999, 0xD7D7D7, {0xF3F3F3, 0xEEEEEE}},
        {"Black, frame 3", 0, 3, 0x464646, 0x848484, {0xA0A0A0, 0x9B9B9B}},
        {"Silver White, frame 5", 10, 5, 0x999999, 0xD7D7D7, {0xF3F3F3, 0xEFEFEF, 0xEBEBEB, 0xE7E7E7}},
    };
    constexpr int kWidth = 60;
    constexpr int kHeight = 80;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DibCanvas canvas(kWidth, kHeight, 0x123456);
        PaintSkinFrame(canvas.dc(), kWidth, kHeight, c.frameWidth, CSkinFrame::kCaptionHeight, c.theme);
        const int b = c.frameWidth;
        for (const POINT p : {POINT{0, 0}, POINT{kWidth - 1, 40}, POINT{30, kHeight - 1}, POINT{0, 50}}) {
            EXPECT_EQ(Hex(canvas.Pixel(p.x, p.y)), Hex(c.outer)) << p.x << "," << p.y;
        }
        for (int i = 1; i < b; ++i) {
            EXPECT_EQ(Hex(canvas.Pixel(i, 60)), Hex(c.inner)) << "left inner line " << i;
            EXPECT_EQ(Hex(canvas.Pixel(kWidth - 1 - i, 60)), Hex(c.inner)) << "right inner line " << i;
            EXPECT_EQ(Hex(canvas.Pixel(30, kHeight - 1 - i)), Hex(c.inner)) << "bottom inner line " << i;
            EXPECT_EQ(Hex(canvas.Pixel(30, i)), Hex(c.topRows[i - 1])) << "top border row " << i;
            EXPECT_EQ(Hex(canvas.Pixel(1, i)), Hex(c.topRows[i - 1])) << "top border reaches the corner " << i;
        }
        const std::vector<COLORREF> strip = GlossGradientRows(GetThemeColors(c.theme).clrCaption, b, 26);
        for (int row = 0; row < 26; ++row) {
            EXPECT_EQ(Hex(canvas.Pixel(1, b + row)), Hex(strip[row])) << "left strip row " << row;
            EXPECT_EQ(Hex(canvas.Pixel(kWidth - 2, b + row)), Hex(strip[row])) << "right strip row " << row;
        }
        // The first row of the bar goes on from the last row of the top border without a seam.
        EXPECT_EQ(Hex(strip[0]), Hex(ShiftColor(c.topRows[b - 2], GlossGradientStep(b))));
        EXPECT_EQ(Hex(canvas.Pixel(30, 40)), "123456") << "the client area is left alone";
    }
}

// A skinned dialog whose client area is 300 pixels wide, made without a modal loop.
class TestDialog : public CSkinDialog {
public:
    using CSkinDialog::m_skin;
    HWND closeButton() const { return ::GetDlgItem(m_hWnd, IDCANCEL); }

protected:
    BOOL OnInitDialog() override {
        const RECT window = GetWindowRect();
        const RECT client = GetClientRect();
        MoveWindow(0, 0, 300 + (window.right - window.left) - client.right, 200, false);
        return CSkinDialog::OnInitDialog();
    }
};

struct PostedDrag {
    bool posted = false;
    WPARAM hitTest = 0;
    POINT point{};
};

PostedDrag TakePostedDrag(HWND hwnd) {
    PostedDrag drag;
    MSG msg;
    if (::PeekMessageW(&msg, hwnd, WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE)) {
        drag.posted = true;
        drag.hitTest = msg.wParam;
        drag.point = PointFromLParam(msg.lParam);
    }
    return drag;
}

TEST(SkinFrameTest, AttachedDialogLaysOutAnswersAndDrags) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    ASSERT_EQ(GetSkinFrameWidth(&dlg), 3) << "the platform's dialog frame differs from the usual 3 pixels";
    EXPECT_EQ(dlg.m_skin.GetTheme(), DEFAULT_THEME) << "a dialog nobody gave a theme";

    RECT close{};
    ::GetWindowRect(dlg.closeButton(), &close);
    ::MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&close), 2);
    EXPECT_EQ(close.left, 273);
    EXPECT_EQ(close.right, 297);
    EXPECT_EQ(close.top, 1);
    EXPECT_EQ(close.bottom, 23);
    auto* closeObject = dynamic_cast<CMacButton*>(CWnd::FromHandlePermanent(dlg.closeButton()));
    ASSERT_NE(closeObject, nullptr);
    EXPECT_TRUE(closeObject->m_bCaptionButton);
    EXPECT_NE(closeObject->m_hIcon, nullptr);

    EXPECT_EQ(dlg.SendMessage(WM_NCACTIVATE, FALSE, 0), 1);
    EXPECT_EQ(dlg.SendMessage(WM_NCACTIVATE, TRUE, 0), 1);

    // Control colours: the theme's window colour behind text, the frame's brush behind the rest.
    const CClientDC dc(dlg.m_hWnd);
    for (const UINT message : {UINT{WM_CTLCOLORSTATIC}, UINT{WM_CTLCOLORDLG}, UINT{WM_CTLCOLORBTN}}) {
        ::SetBkColor(dc.dc(), 0);
        EXPECT_EQ(dlg.SendMessage(message, reinterpret_cast<WPARAM>(dc.dc()), 0),
                  reinterpret_cast<LRESULT>(dlg.m_skin.GetBackgroundBrush()));
        EXPECT_EQ(Hex(::GetBkColor(dc.dc())), "EDEDED");
    }
    EXPECT_NE(dlg.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.dc()), 0),
              reinterpret_cast<LRESULT>(dlg.m_skin.GetBackgroundBrush()))
        << "edit fields keep the system's colours";

    // Dragging: a move with the left button held on the title bar (rows 0 to 25) hands the
    // window to the platform's move, in screen coordinates.
    PumpMessages();
    TakePostedDrag(dlg.m_hWnd);
    dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 25));
    const PostedDrag onBar = TakePostedDrag(dlg.m_hWnd);
    EXPECT_TRUE(onBar.posted);
    EXPECT_EQ(onBar.hitTest, WPARAM{HTCAPTION});
    POINT expected{40, 25};
    ::ClientToScreen(dlg.m_hWnd, &expected);
    EXPECT_EQ(onBar.point.x, expected.x);
    EXPECT_EQ(onBar.point.y, expected.y);
    dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 26));
    EXPECT_FALSE(TakePostedDrag(dlg.m_hWnd).posted) << "row 26 is below the title bar";
    dlg.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(40, 10));
    EXPECT_FALSE(TakePostedDrag(dlg.m_hWnd).posted) << "no button held";
    dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, -3));
    EXPECT_FALSE(TakePostedDrag(dlg.m_hWnd).posted) << "above the client area";
    dlg.ShowWindow(SW_MAXIMIZE);
    if (dlg.IsZoomed()) {
        dlg.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 10));
        EXPECT_FALSE(TakePostedDrag(dlg.m_hWnd).posted) << "a maximized window does not move";
    }
    dlg.DestroyWindow();
}

TEST(SkinFrameTest, AnUnattachedFrameOnlyRecordsItsTheme) {
    CSkinFrame frame;
    frame.SetTheme(3);
    EXPECT_EQ(frame.GetTheme(), 3);
    EXPECT_EQ(frame.GetBackgroundBrush(), nullptr);
    EXPECT_EQ(frame.HookMessage(WM_NCACTIVATE, TRUE, 0), 0);
    EXPECT_EQ(frame.HookMessage(WM_CTLCOLORSTATIC, 0, 0), 0);
}

TEST(SkinFrameTest, ThemeChangesReachTheChildrenAndLeaveNoGdiObjects) {
    TestDialog dlg;
    ASSERT_TRUE(dlg.Create());
    auto* closeObject = dynamic_cast<CMacButton*>(CWnd::FromHandlePermanent(dlg.closeButton()));
    ASSERT_NE(closeObject, nullptr);
    dlg.m_skin.SetTheme(0);
    PumpMessages();
    const long before = GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        dlg.m_skin.SetTheme(i % THEME_COUNT);
        PumpMessages();
    }
    dlg.m_skin.SetTheme(13);
    PumpMessages();
    EXPECT_EQ(GdiObjectCount(), before);
    EXPECT_EQ(closeObject->m_nTheme, 13);
    const CClientDC dc(dlg.m_hWnd);
    dlg.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.dc()), 0);
    EXPECT_EQ(Hex(::GetBkColor(dc.dc())), Hex(GetThemeColors(13).clrWindow));
    dlg.DestroyWindow();
}

// A modal skinned dialog ends as Cancel when its close button is pressed.
HWND g_clickedClose = nullptr;
int g_closeTicks = 0;
TestDialog* g_modalDialog = nullptr;

void CALLBACK ClickCloseButton(HWND, UINT, UINT_PTR, DWORD) noexcept {
    const HWND box = FindOtherDialog(nullptr);
    const HWND close = box ? ::GetDlgItem(box, IDCANCEL) : nullptr;
    if (close && !g_clickedClose) {
        g_clickedClose = close;
        ::SendMessageW(close, BM_CLICK, 0, 0);
    } else if (++g_closeTicks > 250 && g_modalDialog) {
        g_modalDialog->EndDialog(-2);  // never shown, or the click did not end it
    }
}

TEST(SkinFrameTest, TheCloseButtonEndsTheDialogAsCancel) {
    g_clickedClose = nullptr;
    g_closeTicks = 0;
    TestDialog dlg;
    g_modalDialog = &dlg;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ClickCloseButton);
    const INT_PTR result = dlg.DoModal();
    ::KillTimer(nullptr, timer);
    g_modalDialog = nullptr;
    EXPECT_NE(g_clickedClose, nullptr);
    EXPECT_EQ(result, IDCANCEL);
}

}  // namespace
