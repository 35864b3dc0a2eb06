#include "dialogs/MessageBox.h"

#include "TestSupport.h"
#include "dialogs/MacMessageDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kDontShowText[] = L"Do not show me this dialog again.";

// What the test does to the open box, the way a user would.
enum class Act {
    ClickFirst,     // BM_CLICK on the first button
    ClickSecond,    // BM_CLICK on the second button
    Enter,          // Enter pressed on the focused control
    Escape,         // Escape pressed on the focused control
    Close,          // the window is closed (WM_CLOSE, as Alt+F4 does)
    EnterOnSecond,  // the focus moved to the second button, then Enter
    TabEnter,       // Tab, then Enter
    ArrowEnter,     // the right arrow, then Enter
    KeyY,           // Y pressed
    KeyN,           // N pressed
    SpaceOnSecond,  // the focus moved to the second button, then Space
};

RECT RectInWindow(HWND child, HWND window) {
    RECT rect{};
    RECT frame{};
    ::GetWindowRect(child, &rect);
    ::GetWindowRect(window, &frame);
    ::OffsetRect(&rect, -frame.left, -frame.top);
    return rect;
}

std::wstring TextOf(HWND hwnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t buffer[64] = {};
    ::GetClassNameW(hwnd, buffer, 64);
    return buffer;
}

bool IsBoxCandidate(HWND hwnd) {
    return ClassOf(hwnd) == L"#32770";
}

BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM lParam) noexcept {
    if (IsBoxCandidate(hwnd)) {
        reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
    }
    return TRUE;
}

// The dialog windows of this thread.
std::vector<HWND> ThreadDialogs() {
    std::vector<HWND> found;
    ::EnumThreadWindows(::GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&found));
    return found;
}

// What the open box showed, read before the test acted on it.
struct Seen {
    bool found = false;
    bool ourClass = false;  // the window belongs to a CMacMessageDlg
    bool visible = false;
    bool foreground = false;
    std::wstring title;
    std::wstring text;
    std::wstring button1;
    std::wstring button2;
    bool button2Visible = false;
    bool hasCheck = false;
    std::wstring checkText;
    bool checkedAtOpen = false;
    int theme = -1;
    int buttonThemes[2] = {-1, -1};
    int checkTheme = -1;
    COLORREF background = 0;  // what the box answers a static's colour request with
    bool closeButtonHidden = false;
    bool topmost = false;
    int focusId = 0;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    DWORD textStyle = 0;
    bool textUnderSiblings = false;  // last in the z-order, so the buttons paint over it
    HFONT font = nullptr;
    int lineHeight = 0;    // of one line in the box's font
    int textWidth = 0;     // of the message on one line in the box's font
    int heightAt445 = 0;   // of the message wrapped at 445 pixels in the box's font
    int heightInRect = 0;  // of the message wrapped at the width of its rectangle
    RECT window{};         // in screen coordinates
    RECT textRect{};       // the others relative to the window's corner
    RECT button1Rect{};
    RECT button2Rect{};
    RECT checkRect{};
    int checkTextWidth = 0;  // of the check box's label in the box's font
    int width() const { return window.right - window.left; }
    int height() const { return window.bottom - window.top; }
};

// Drives the next box this thread shows from a thread timer, which our modal loop dispatches:
// records what it shows, ticks the check box `ticks` times, then acts. A box still open long
// after the act is ended by force, and the test fails.
class BoxDriver {
public:
    explicit BoxDriver(Act act, int ticks = 0) : m_act(act), m_ticks(ticks) {
        s_current = this;
        m_timer = ::SetTimer(nullptr, 0, 20, OnTimer);
    }
    ~BoxDriver() {
        ::KillTimer(nullptr, m_timer);
        s_current = nullptr;
    }
    BoxDriver(const BoxDriver&) = delete;
    BoxDriver& operator=(const BoxDriver&) = delete;

    Seen seen;
    bool forced = false;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) noexcept {
        if (s_current) {
            s_current->Step();
        }
    }

    void Step() {
        if (!m_box) {
            const std::vector<HWND> dialogs = ThreadDialogs();
            if (dialogs.empty()) {
                return;  // not open yet
            }
            m_box = dialogs.front();
            Inspect();
            for (int i = 0; i < m_ticks; ++i) {
                ::SendMessageW(Check(), BM_CLICK, 0, 0);
            }
            Perform();
            return;
        }
        if (::IsWindow(m_box) && ++m_waited > 100) {
            forced = true;
            if (auto* dlg = dynamic_cast<CDialog*>(CWnd::FromHandlePermanent(m_box))) {
                dlg->EndDialog(-2);
            }
        }
    }

    CMacMessageDlg* Dlg() const { return dynamic_cast<CMacMessageDlg*>(CWnd::FromHandlePermanent(m_box)); }
    HWND Check() const { return Dlg() ? Dlg()->m_chkDontShow.m_hWnd : nullptr; }

    void Inspect() {
        seen.found = true;
        CMacMessageDlg* dlg = Dlg();
        seen.ourClass = dlg != nullptr;
        seen.visible = ::IsWindowVisible(m_box) != FALSE;
        seen.foreground = ::GetForegroundWindow() == m_box;
        seen.title = TextOf(m_box);
        ::GetWindowRect(m_box, &seen.window);
        const HWND first = ::GetDlgItem(m_box, IDOK);
        const HWND second = ::GetDlgItem(m_box, IDCANCEL);
        seen.button1 = TextOf(first);
        seen.button2 = TextOf(second);
        seen.button1Rect = RectInWindow(first, m_box);
        seen.button2Rect = RectInWindow(second, m_box);
        seen.button2Visible = ::IsWindowVisible(second) != FALSE;
        seen.focusId = ::GetDlgCtrlID(::GetFocus());
        seen.owner = ::GetWindow(m_box, GW_OWNER);
        seen.ownerEnabled = seen.owner && ::IsWindowEnabled(seen.owner);
        if (!dlg) {
            return;
        }
        seen.theme = dlg->m_nTheme;
        seen.buttonThemes[0] = dlg->m_btn1.m_nTheme;
        seen.buttonThemes[1] = dlg->m_btn2.m_nTheme;
        seen.checkTheme = dlg->m_chkDontShow.m_hWnd ? dlg->m_chkDontShow.m_nTheme : -1;
        seen.topmost = (::GetWindowLongW(m_box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        seen.closeButtonHidden = true;
        for (HWND child = ::GetWindow(m_box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            if (::GetDlgCtrlID(child) == IDCANCEL && child != dlg->m_btn2.m_hWnd && ::IsWindowVisible(child)) {
                seen.closeButtonHidden = false;
            }
        }
        {
            const HDC dc = ::GetDC(m_box);
            ::SendMessageW(m_box, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
            seen.background = ::GetBkColor(dc);
            ::ReleaseDC(m_box, dc);
        }
        const HWND text = dlg->m_stcMessage.m_hWnd;
        seen.text = TextOf(text);
        seen.textRect = RectInWindow(text, m_box);
        seen.textStyle = static_cast<DWORD>(::GetWindowLongW(text, GWL_STYLE));
        seen.textUnderSiblings = ::GetWindow(text, GW_HWNDNEXT) == nullptr;
        if (const HWND check = dlg->m_chkDontShow.m_hWnd) {
            seen.hasCheck = ::IsWindowVisible(check) != FALSE;
            seen.checkText = TextOf(check);
            seen.checkedAtOpen = dlg->m_chkDontShow.IsChecked() != FALSE;
            seen.checkRect = RectInWindow(check, m_box);
        }
        // The font every control of the box uses, and the message measured in it.
        seen.font = reinterpret_cast<HFONT>(::SendMessageW(m_box, WM_GETFONT, 0, 0));
        const HDC dc = ::GetDC(m_box);
        const HGDIOBJ old = ::SelectObject(dc, seen.font);
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc, &metrics);
        seen.lineHeight = metrics.tmHeight;
        SIZE extent{};
        ::GetTextExtentPoint32W(dc, seen.text.c_str(), static_cast<int>(seen.text.size()), &extent);
        seen.textWidth = extent.cx;
        ::GetTextExtentPoint32W(dc, seen.checkText.c_str(), static_cast<int>(seen.checkText.size()), &extent);
        seen.checkTextWidth = extent.cx;
        RECT wrapped{0, 0, 445, 0};
        ::DrawTextW(dc, seen.text.c_str(), -1, &wrapped, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        seen.heightAt445 = wrapped.bottom;
        RECT inRect{0, 0, seen.textRect.right - seen.textRect.left, 0};
        ::DrawTextW(dc, seen.text.c_str(), -1, &inRect, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        seen.heightInRect = inRect.bottom;
        ::SelectObject(dc, old);
        ::ReleaseDC(m_box, dc);
    }

    void PressKey(UINT key) {
        const HWND focus = ::GetFocus();
        const HWND target = focus ? focus : m_box;
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
    }

    void Perform() {
        switch (m_act) {
            case Act::ClickFirst:
                ::SendMessageW(::GetDlgItem(m_box, IDOK), BM_CLICK, 0, 0);
                break;
            case Act::ClickSecond:
                ::SendMessageW(::GetDlgItem(m_box, IDCANCEL), BM_CLICK, 0, 0);
                break;
            case Act::Enter:
                PressKey(VK_RETURN);
                break;
            case Act::Escape:
                PressKey(VK_ESCAPE);
                break;
            case Act::Close:
                ::PostMessageW(m_box, WM_CLOSE, 0, 0);
                break;
            case Act::EnterOnSecond:
                ::SendMessageW(m_box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_box, IDCANCEL)), TRUE);
                PressKey(VK_RETURN);
                break;
            case Act::TabEnter:
                PressKey(VK_TAB);
                PressKey(VK_RETURN);
                break;
            case Act::ArrowEnter:
                PressKey(VK_RIGHT);
                PressKey(VK_RETURN);
                break;
            case Act::KeyY:
                PressKey('Y');
                break;
            case Act::KeyN:
                PressKey('N');
                break;
            case Act::SpaceOnSecond:
                ::SendMessageW(m_box, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(::GetDlgItem(m_box, IDCANCEL)), TRUE);
                PressKey(VK_SPACE);
                break;
        }
    }

    static inline BoxDriver* s_current = nullptr;
    Act m_act;
    int m_ticks;
    UINT_PTR m_timer = 0;
    HWND m_box = nullptr;
    int m_waited = 0;
};

class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        PumpMessages();
        ASSERT_TRUE(ThreadDialogs().empty()) << "a dialog of an earlier test is still open";
    }
    void TearDown() override {
        PumpMessages();
        EXPECT_TRUE(ThreadDialogs().empty()) << "the box is destroyed when the call returns";
    }
    static void ExpectDriven(const BoxDriver& driver) {
        EXPECT_TRUE(driver.seen.found) << "no box appeared";
        EXPECT_TRUE(driver.seen.ourClass);
        EXPECT_TRUE(driver.seen.visible);
        EXPECT_FALSE(driver.forced) << "the act did not close the box";
    }
};

// ---- the notice ---------------------------------------------------------------------------------

TEST_F(MessageBoxTest, NoticeShowsTitleTextAndTheSingleOkButton) {
    BoxDriver driver(Act::ClickFirst);
    MacMessageBox(L"Please add files to the list first.", 10);
    ExpectDriven(driver);
    const Seen& seen = driver.seen;
    EXPECT_EQ(seen.title, L"Message");
    EXPECT_EQ(seen.text, L"Please add files to the list first.");
    EXPECT_EQ(seen.button1, L"&OK");
    EXPECT_FALSE(seen.button2Visible) << "the second button is there for Escape only";
    EXPECT_FALSE(seen.hasCheck);
    EXPECT_EQ(seen.focusId, IDOK);
    EXPECT_TRUE(seen.foreground);
}

TEST_F(MessageBoxTest, NoticeClosesByEveryMeans) {
    const struct {
        const char* label;
        Act act;
    } cases[] = {
        {"OK button", Act::ClickFirst},
        {"Enter", Act::Enter},
        {"Escape", Act::Escape},
        {"window closed", Act::Close},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BoxDriver driver(c.act);
        MacMessageBox(L"Closed by the user.", 10);
        ExpectDriven(driver);
        EXPECT_EQ(driver.seen.title, L"Message");
    }
}

TEST_F(MessageBoxTest, ModalResultOfEachWayOfClosing) {
    // The notice does not report how it was closed; the box underneath does.
    const struct {
        const char* label;
        int type;
        Act act;
        int result;
    } cases[] = {
        {"OK button", CMacMessageDlg::kTypeOk, Act::ClickFirst, IDOK},
        {"Enter on OK", CMacMessageDlg::kTypeOk, Act::Enter, IDOK},
        {"Escape on OK", CMacMessageDlg::kTypeOk, Act::Escape, IDCANCEL},
        {"notice closed", CMacMessageDlg::kTypeOk, Act::Close, IDCANCEL},
        {"Yes button", CMacMessageDlg::kTypeYesNo, Act::ClickFirst, IDOK},
        {"No button", CMacMessageDlg::kTypeYesNo, Act::ClickSecond, IDCANCEL},
        {"question closed", CMacMessageDlg::kTypeYesNo, Act::Close, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BoxDriver driver(c.act);
        CMacMessageDlg box;
        EXPECT_EQ(box.ShowMessage(L"Result", c.type), c.result);
        ExpectDriven(driver);
        EXPECT_EQ(box.m_hWnd, nullptr);
    }
}

// ---- the question -------------------------------------------------------------------------------

TEST_F(MessageBoxTest, QuestionShowsTitleTextAndYesNo) {
    BoxDriver driver(Act::ClickFirst);
    MacYesNoBox(L"Do you want to exit \"Quillmark\"?", 10, false, nullptr);
    ExpectDriven(driver);
    const Seen& seen = driver.seen;
    EXPECT_EQ(seen.title, L"Please select");
    EXPECT_EQ(seen.text, L"Do you want to exit \"Quillmark\"?");
    EXPECT_EQ(seen.button1, L"&Yes");
    EXPECT_EQ(seen.button2, L"&No");
    EXPECT_TRUE(seen.button2Visible);
    EXPECT_FALSE(seen.hasCheck);
    EXPECT_EQ(seen.focusId, IDOK);
}

TEST_F(MessageBoxTest, QuestionAnswers) {
    const struct {
        const char* label;
        Act act;
        BOOL result;
    } cases[] = {
        {"Yes button", Act::ClickFirst, TRUE},
        {"No button", Act::ClickSecond, FALSE},
        {"Enter", Act::Enter, TRUE},
        {"Escape", Act::Escape, FALSE},
        {"window closed", Act::Close, FALSE},
        // Enter presses the focused button, else Yes; Space presses the focused button.
        {"Enter with the focus on No", Act::EnterOnSecond, FALSE},
        {"Tab to No, Enter", Act::TabEnter, FALSE},
        {"right arrow to No, Enter", Act::ArrowEnter, FALSE},
        {"Y", Act::KeyY, TRUE},
        {"N", Act::KeyN, FALSE},
        {"Space on the focused No", Act::SpaceOnSecond, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BoxDriver driver(c.act);
        EXPECT_EQ(MacYesNoBox(L"Proceed?", 10, false, nullptr), c.result);
        ExpectDriven(driver);
    }
}

TEST_F(MessageBoxTest, CheckBoxAndOutFlag) {
    const struct {
        const char* label;
        bool showCheck;
        int ticks;  // clicks on the check box before answering
        Act act;
        BOOL result;
        bool flag;
    } cases[] = {
        {"Yes, unticked", true, 0, Act::ClickFirst, TRUE, false},
        {"Yes, ticked", true, 1, Act::ClickFirst, TRUE, true},
        {"No, ticked", true, 1, Act::ClickSecond, FALSE, true},
        {"No, unticked", true, 0, Act::ClickSecond, FALSE, false},
        {"Enter, ticked", true, 1, Act::Enter, TRUE, true},
        {"Escape, ticked", true, 1, Act::Escape, FALSE, true},
        {"Escape, unticked", true, 0, Act::Escape, FALSE, false},
        {"closed, ticked", true, 1, Act::Close, FALSE, true},
        {"ticked and unticked, Yes", true, 2, Act::ClickFirst, TRUE, false},
        {"no check box, Yes", false, 0, Act::ClickFirst, TRUE, true},
        {"no check box, No", false, 0, Act::ClickSecond, FALSE, true},
        {"no check box, Escape", false, 0, Act::Escape, FALSE, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        bool flag = !c.flag;  // the opposite, so that the write shows
        BoxDriver driver(c.act, c.ticks);
        EXPECT_EQ(MacYesNoBox(L"Do you want to exit?", 10, c.showCheck, &flag), c.result);
        ExpectDriven(driver);
        EXPECT_EQ(flag, c.flag);
        EXPECT_EQ(driver.seen.hasCheck, c.showCheck);
        if (c.showCheck) {
            EXPECT_EQ(driver.seen.checkText, kDontShowText);
            EXPECT_FALSE(driver.seen.checkedAtOpen) << "the check box starts unchecked";
        }
    }
}

TEST_F(MessageBoxTest, NullOutFlagIsAllowed) {
    const struct {
        const char* label;
        bool showCheck;
        int ticks;
        Act act;
        BOOL result;
    } cases[] = {
        {"check box ticked, No", true, 1, Act::ClickSecond, FALSE},
        {"check box ticked, Yes", true, 1, Act::ClickFirst, TRUE},
        {"no check box, Enter", false, 0, Act::Enter, TRUE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BoxDriver driver(c.act, c.ticks);
        EXPECT_EQ(MacYesNoBox(L"A new version is available, update now?", 10, c.showCheck, nullptr), c.result);
        ExpectDriven(driver);
        EXPECT_EQ(driver.seen.hasCheck, c.showCheck);
    }
}

TEST_F(MessageBoxTest, EachQuestionStartsUnchecked) {
    // Nothing is kept from one question to the next.
    bool flag = false;
    {
        BoxDriver driver(Act::ClickSecond, 1);
        MacYesNoBox(L"First", 10, true, &flag);
        ExpectDriven(driver);
    }
    EXPECT_TRUE(flag);
    BoxDriver driver(Act::ClickFirst);
    EXPECT_TRUE(MacYesNoBox(L"Second", 10, true, &flag));
    ExpectDriven(driver);
    EXPECT_FALSE(driver.seen.checkedAtOpen);
    EXPECT_FALSE(flag);
}

// A box that cannot be created: a hook refuses the creation of dialog windows.
HHOOK g_refuseHook = nullptr;
LRESULT CALLBACK RefuseDialogs(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_CREATEWND && IsBoxCandidate(reinterpret_cast<HWND>(wParam))) {
        return 1;
    }
    return ::CallNextHookEx(g_refuseHook, code, wParam, lParam);
}

TEST_F(MessageBoxTest, BoxThatCannotBeShownAnswersNoAndLeavesTheFlag) {
    g_refuseHook = ::SetWindowsHookExW(WH_CBT, RefuseDialogs, nullptr, ::GetCurrentThreadId());
    ASSERT_NE(g_refuseHook, nullptr);
    bool ticked = false;
    bool untouched = true;
    const BOOL withCheck = MacYesNoBox(L"Never shown", 10, true, &ticked);
    const BOOL withoutCheck = MacYesNoBox(L"Never shown", 10, false, &untouched);
    MacMessageBox(L"Never shown", 10);
    ::UnhookWindowsHookEx(g_refuseHook);
    g_refuseHook = nullptr;
    EXPECT_FALSE(withCheck);
    EXPECT_FALSE(withoutCheck);
    EXPECT_FALSE(ticked) << "a failure must not switch a question off for good";
    EXPECT_TRUE(untouched);
}

TEST_F(MessageBoxTest, ThemeIsKept) {
    const struct {
        const char* label;
        bool question;
        int theme;
    } cases[] = {
        {"notice, first theme", false, 0},
        {"notice, default theme", false, 10},
        {"question, last theme", true, 14},
        {"question, another", true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BoxDriver driver(Act::ClickFirst);
        if (c.question) {
            MacYesNoBox(L"Theme", c.theme, true, nullptr);
        } else {
            MacMessageBox(L"Theme", c.theme);
        }
        ExpectDriven(driver);
        const Seen& seen = driver.seen;
        EXPECT_EQ(seen.theme, c.theme);
        EXPECT_EQ(seen.buttonThemes[0], c.theme);
        EXPECT_EQ(seen.buttonThemes[1], c.theme);
        EXPECT_EQ(seen.checkTheme, c.question ? c.theme : -1);
        EXPECT_EQ(seen.background, GetThemeColors(c.theme).clrWindow);
        EXPECT_TRUE(seen.closeButtonHidden) << "the box has no close button in its title bar";
    }
}

TEST_F(MessageBoxTest, AskedFromAnotherThreadTheBoxStaysInFront) {
    Seen seen;
    BOOL answer = FALSE;
    std::thread asker([&] {
        BoxDriver driver(Act::ClickFirst);
        answer = MacYesNoBox(L"From the update thread", 10, false, nullptr);
        seen = driver.seen;
    });
    asker.join();
    EXPECT_TRUE(seen.found);
    EXPECT_TRUE(answer);
    EXPECT_EQ(seen.owner, nullptr) << "no window of that thread to own it";
    EXPECT_TRUE(seen.topmost);
    EXPECT_TRUE(seen.foreground);
}

TEST_F(MessageBoxTest, BoxesLeaveNoGdiObjectsBehind) {
    const auto ask = [] {
        BoxDriver driver(Act::ClickSecond);
        MacYesNoBox(L"Again?", 6, true, nullptr);
        return driver.seen.found;
    };
    ASSERT_TRUE(ask());
    const long before = GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(ask()) << i;
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

TEST_F(MessageBoxTest, AmpersandIsShownAsItIs) {
    BoxDriver driver(Act::ClickFirst);
    MacMessageBox(L"Salt & Pepper", 10);
    ExpectDriven(driver);
    EXPECT_EQ(driver.seen.text, L"Salt & Pepper");
    EXPECT_TRUE(driver.seen.textStyle & SS_NOPREFIX);
}

TEST_F(MessageBoxTest, OwnedByTheActiveWindowWhichIsDisabledMeanwhile) {
    struct Case {
        const char* label;
        bool ourObject;  // a window bound to a CWnd of ours, or a bare platform window
    };
    for (const Case c : {Case{"window of ours", true}, Case{"bare window", false}}) {
        SCOPED_TRACE(c.label);
        CWnd ours;
        HWND owner = nullptr;
        const RECT rect{100, 80, 700, 520};
        if (c.ourObject) {
            ASSERT_TRUE(ours.CreateEx(0, CWnd::RegisterPlainClass(), L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, rect,
                                      nullptr, 0));
            owner = ours.m_hWnd;
        } else {
            owner = ::CreateWindowExW(0, CWnd::RegisterPlainClass(), L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr,
                                      nullptr, ::GetModuleHandleW(nullptr), nullptr);
            ASSERT_NE(owner, nullptr);
        }
        ::SetForegroundWindow(owner);
        ::SetActiveWindow(owner);
        PumpMessages();
        ASSERT_EQ(::GetActiveWindow(), owner);

        BoxDriver driver(Act::Enter);
        EXPECT_TRUE(MacYesNoBox(L"Owned question", 10, false, nullptr));
        ExpectDriven(driver);
        EXPECT_EQ(driver.seen.owner, owner);
        EXPECT_FALSE(driver.seen.topmost) << "an owned box stays with its owner";
        EXPECT_FALSE(driver.seen.ownerEnabled) << "the owner is disabled while the box asks";
        EXPECT_TRUE(::IsWindowEnabled(owner));
        EXPECT_EQ(::GetActiveWindow(), owner) << "the owner is active again";
        // Centred on the owner.
        const RECT& box = driver.seen.window;
        EXPECT_NEAR((box.left + box.right) / 2, (rect.left + rect.right) / 2, 1);
        EXPECT_NEAR((box.top + box.bottom) / 2, (rect.top + rect.bottom) / 2, 1);
        if (ours.m_hWnd) {
            ours.DestroyWindow();
        } else {
            ::DestroyWindow(owner);
        }
        PumpMessages();
    }
}

// ---- layout -------------------------------------------------------------------------------------

TEST(MessageBoxLayoutTest, Arithmetic) {
    constexpr int ok = CMacMessageDlg::kTypeOk;
    constexpr int yesNo = CMacMessageDlg::kTypeYesNo;
    const struct {
        const char* label;
        int textWidth;
        int wrappedHeight;
        int type;
        bool check;
        int checkWidth;
        int cx;
        int cy;
        RECT text;
        RECT button1;
        RECT button2;
        RECT checkRect;
    } cases[] = {
        {"narrow line, centred", 100, 14, ok, false, 160, 220, 120, {60, 50, 160, 90}, {76, 80, 144, 103}, {}, {}},
        {"odd width rounds down", 101, 14, ok, false, 160, 220, 120, {59, 50, 160, 90}, {76, 80, 144, 103}, {}, {}},
        {"165 fills the minimum", 165, 14, ok, false, 160, 220, 120, {30, 50, 195, 90}, {76, 80, 144, 103}, {}, {}},
        {"164 is centred", 164, 14, ok, false, 160, 220, 120, {28, 50, 192, 90}, {76, 80, 144, 103}, {}, {}},
        {"wider than the minimum", 300, 14, ok, false, 160, 355, 120, {30, 50, 330, 90}, {143, 80, 211, 103}, {}, {}},
        {"59 high gets the air", 300, 59, ok, false, 160, 355, 165, {30, 50, 330, 135}, {143, 125, 211, 148}, {}, {}},
        {"60 high does not", 300, 60, ok, false, 160, 355, 140, {30, 50, 330, 110}, {143, 100, 211, 123}, {}, {}},
        {"limited to 500", 900, 70, ok, false, 160, 555, 150, {30, 50, 530, 120}, {243, 110, 311, 133}, {}, {}},
        {"empty", 0, 0, ok, false, 160, 220, 106, {110, 50, 110, 76}, {76, 66, 144, 89}, {}, {}},
        {"check box ignored for OK", 100, 14, ok, true, 300, 220, 120, {60, 50, 160, 90}, {76, 80, 144, 103}, {}, {}},
        {"yes/no pair",
         100,
         14,
         yesNo,
         false,
         160,
         220,
         120,
         {60, 50, 160, 90},
         {22, 80, 90, 103},
         {130, 80, 198, 103},
         {}},
        {"yes/no with check box",
         100,
         14,
         yesNo,
         true,
         160,
         220,
         146,
         {60, 50, 160, 90},
         {22, 90, 90, 113},
         {130, 90, 198, 113},
         {30, 121, 190, 136}},
        {"wide yes/no with check box",
         400,
         80,
         yesNo,
         true,
         160,
         455,
         186,
         {30, 50, 430, 130},
         {139, 130, 207, 153},
         {247, 130, 315, 153},
         {30, 161, 425, 176}},
        {"check label wider than the box",
         100,
         14,
         yesNo,
         true,
         200,
         260,
         146,
         {80, 50, 180, 90},
         {42, 90, 110, 113},
         {150, 90, 218, 113},
         {30, 121, 230, 136}},
        {"check label limited to the widest box",
         100,
         14,
         yesNo,
         true,
         600,
         555,
         146,
         {227, 50, 327, 90},
         {189, 90, 257, 113},
         {297, 90, 365, 113},
         {30, 121, 525, 136}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const MessageBoxLayout layout =
            LayOutMessageBox(c.textWidth, c.wrappedHeight, 500, c.type, c.check, c.checkWidth);
        EXPECT_EQ(layout.cxBox, c.cx);
        EXPECT_EQ(layout.cyBox, c.cy);
        EXPECT_TRUE(::EqualRect(&layout.text, &c.text));
        EXPECT_TRUE(::EqualRect(&layout.button1, &c.button1));
        EXPECT_EQ(layout.showButton2, c.type == yesNo);
        if (layout.showButton2) {
            EXPECT_TRUE(::EqualRect(&layout.button2, &c.button2));
        }
        EXPECT_EQ(layout.showCheck, c.type == yesNo && c.check);
        if (layout.showCheck) {
            EXPECT_TRUE(::EqualRect(&layout.check, &c.checkRect));
        }
    }
    EXPECT_EQ(MessageWrapWidth(500), 445);
}

TEST_F(MessageBoxTest, OneLineNoticeIsSizedToItsText) {
    BoxDriver driver(Act::ClickFirst);
    MacMessageBox(L"Done.", 10);
    ExpectDriven(driver);
    const Seen& seen = driver.seen;
    ASSERT_GT(seen.lineHeight, 0);
    ASSERT_LT(seen.textWidth, 165);
    EXPECT_EQ(seen.width(), 220);
    EXPECT_EQ(seen.height(), seen.lineHeight + 26 + 80);
    // The text centred, the OK button centred at the middle of the box.
    EXPECT_EQ(seen.textRect.left, (220 - seen.textWidth) / 2);
    EXPECT_EQ(seen.textRect.right - seen.textRect.left, seen.textWidth);
    EXPECT_EQ(seen.textRect.top, 50);
    EXPECT_EQ(seen.textRect.bottom, 50 + seen.lineHeight + 26);
    const RECT ok{76, seen.height() - 40, 144, seen.height() - 17};
    EXPECT_TRUE(::EqualRect(&seen.button1Rect, &ok));
    // The text's rectangle reaches into the button's row; the button must stay whole on screen.
    RECT overlap{};
    EXPECT_TRUE(::IntersectRect(&overlap, &seen.textRect, &seen.button1Rect));
    EXPECT_TRUE(seen.textUnderSiblings);
    EXPECT_TRUE(seen.textStyle & WS_CLIPSIBLINGS);
}

TEST_F(MessageBoxTest, EmptyNoticeHasTheMinimalWidth) {
    BoxDriver driver(Act::ClickFirst);
    MacMessageBox(L"", 10);
    ExpectDriven(driver);
    EXPECT_EQ(driver.seen.width(), 220);
    EXPECT_EQ(driver.seen.button1, L"&OK");
    EXPECT_EQ(driver.seen.button1Rect.left, 76);
}

TEST_F(MessageBoxTest, LongNoticeIsLimitedAndTallEnough) {
    std::wstring text;
    for (int i = 0; i < 60; ++i) {
        text += L"Lorem ipsum dolor ";
    }
    text += L"end.";
    BoxDriver driver(Act::ClickFirst);
    MacMessageBox(text, 10);
    ExpectDriven(driver);
    const Seen& seen = driver.seen;
    EXPECT_EQ(seen.text, text);
    EXPECT_EQ(seen.width(), 555);
    EXPECT_EQ(seen.textRect.left, 30);
    EXPECT_EQ(seen.textRect.right, 530);
    const int textHeight = seen.textRect.bottom - seen.textRect.top;
    EXPECT_EQ(seen.height(), textHeight + 80);
    // Measured wrapped at 445 pixels, so the wider rectangle always holds the text.
    EXPECT_GE(seen.heightAt445, 3 * seen.lineHeight) << "the text really wraps";
    EXPECT_EQ(textHeight, seen.heightAt445) << "tall messages get no extra air";
    EXPECT_LE(seen.heightInRect, textHeight);
}

TEST_F(MessageBoxTest, CheckBoxMakesTheQuestionTaller) {
    BoxDriver plain(Act::ClickFirst);
    MacYesNoBox(L"Do you want to exit?", 10, false, nullptr);
    ExpectDriven(plain);
    BoxDriver checked(Act::ClickFirst);
    MacYesNoBox(L"Do you want to exit?", 10, true, nullptr);
    ExpectDriven(checked);
    const Seen& a = plain.seen;
    const Seen& b = checked.seen;
    EXPECT_EQ(b.height(), a.height() + 26);
    // As wide as the question, or wider so that the check box's label is whole.
    ASSERT_GT(b.checkTextWidth, 0);
    EXPECT_EQ(b.width(), std::max(a.width(), b.checkTextWidth + 17 + 60));
    // The pair is centred with a 40-pixel gap, 40 above the bottom, or 56 with the check box.
    for (const Seen* seen : {&a, &b}) {
        EXPECT_EQ(seen->button1Rect.left, (seen->width() - 176) / 2);
        EXPECT_EQ(seen->button2Rect.left, seen->button1Rect.left + 108);
        EXPECT_EQ(seen->button2Rect.top, seen->button1Rect.top);
        EXPECT_EQ(seen->button1Rect.right - seen->button1Rect.left, 68);
        EXPECT_EQ(seen->button1Rect.bottom - seen->button1Rect.top, 23);
    }
    EXPECT_EQ(a.height() - a.button1Rect.top, 40);
    EXPECT_EQ(b.height() - b.button1Rect.top, 56);
    const RECT check{30, b.height() - 25, b.width() - 30, b.height() - 10};
    EXPECT_TRUE(::EqualRect(&b.checkRect, &check));
    EXPECT_GE(check.right - check.left, 17 + b.checkTextWidth) << "the label is not cut";
}

}  // namespace
