#include "skin/MacCheckBox.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr int kBoxId = 1005;

// A parent that counts the BN_CLICKED notifications of its box.
class NotifyRecorder : public CWnd {
public:
    int clicks = 0;

protected:
    BOOL OnCommand(UINT id, UINT code, HWND) override {
        if (id == kBoxId && code == BN_CLICKED) {
            ++clicks;
            return TRUE;
        }
        return FALSE;
    }
};

class MacCheckBoxTest : public ::testing::Test {
protected:
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

    NotifyRecorder parent;
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

}  // namespace
