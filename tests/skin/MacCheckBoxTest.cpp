#include "skin/MacCheckBox.h"

#include "OwnerDrawTest.h"

#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 60;
constexpr COLORREF kMarker = 0x00FF00;  // a colour no theme of the check box uses

class MacCheckBoxTest : public OwnerDrawTest {
protected:
    void SetUp() override {
        OwnerDrawTest::SetUp();
        NewBox();
    }
    // A new box, created as a button of `type`, in place of the last one.
    void NewBox(DWORD type = BS_AUTOCHECKBOX, const wchar_t* text = L"Box", int height = 20) {
        if (box) {
            box->DestroyWindow();
        }
        box.emplace();
        ASSERT_TRUE(box->CreateEx(0, L"Button", text, WS_CHILD | WS_VISIBLE | type,
                                  RECT{10, 10, 10 + kWidth, 10 + height}, parent.m_hWnd, kControlId));
    }
    bool HasPendingPaint() const { return ::GetUpdateRect(box->m_hWnd, nullptr, FALSE) != FALSE; }

    std::optional<CMacCheckBox> box;
};

// Runs this test program again as another process that asks `button` for BM_GETCHECK and
// BM_GETSTATE; answers (check, state), or (-1, -1) when the probe could not run. The messages
// sent from there are served while waiting.
std::pair<int, int> StateFromAnotherProcess(HWND button) {
    wchar_t exe[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command =
        L"\"" + std::wstring(exe) + L"\" --button-state " + std::to_wstring(reinterpret_cast<INT_PTR>(button));
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
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

enum class Act {
    Press,
    ReleaseIn,
    ReleaseOut,
    DragOut,
    DoubleClick,
    SpaceDown,
    SpaceUp,
    OtherKey,
    SetFalse,
    SetTrue,
    SetOddValue,
    CaptureReleased,
    CaptureTaken,
    AskAnotherProcess,
    SetFromOutside,
    ClearFromOutside,
    FocusLeaves
};
enum : unsigned { kPushed = 1, kCaptured = 2, kRedrawn = 4, kNotifies = 8, kStateSet = 16 };

TEST_F(MacCheckBoxTest, PressesKeysAndCallsChangeTheStateAsTheyShould) {
    struct Step {
        Act act;
        BOOL checked;       // IsChecked() afterwards, exactly
        int platformCheck;  // BM_GETCHECK afterwards, also the check bit of BM_GETSTATE
        unsigned flags;     // pushed in (and BST_PUSHED), holding the capture, redrawn, notifying
    };
    struct Case {
        const char* label;
        std::vector<Step> steps;
    };
    constexpr Step kPress{Act::Press, FALSE, BST_UNCHECKED, kPushed | kCaptured | kRedrawn};
    const Case cases[] = {
        {"click inside, twice",
         {kPress,
          {Act::ReleaseIn, TRUE, BST_CHECKED, kRedrawn | kNotifies},
          {Act::Press, TRUE, BST_CHECKED, kPushed | kCaptured | kRedrawn},
          {Act::ReleaseIn, FALSE, BST_UNCHECKED, kRedrawn | kNotifies}}},
        {"released outside: no change, but a notification; a release without a press does nothing",
         {kPress,
          {Act::DragOut, FALSE, BST_UNCHECKED, kPushed | kCaptured},
          {Act::ReleaseOut, FALSE, BST_UNCHECKED, kRedrawn | kNotifies},
          {Act::ReleaseIn, FALSE, BST_UNCHECKED, 0}}},
        {"space bar: a click as the mouse's; other keys, and a release without a press, do nothing",
         {{Act::SpaceDown, FALSE, BST_UNCHECKED, kPushed | kRedrawn},
          {Act::SpaceUp, TRUE, BST_CHECKED, kRedrawn | kNotifies},
          {Act::OtherKey, TRUE, BST_CHECKED, 0},
          {Act::SpaceUp, TRUE, BST_CHECKED, 0},
          {Act::SpaceDown, TRUE, BST_CHECKED, kPushed | kRedrawn},
          {Act::SpaceUp, FALSE, BST_UNCHECKED, kRedrawn | kNotifies}}},
        {"space bar pressed, then the focus leaves: no click",
         {{Act::SpaceDown, FALSE, BST_UNCHECKED, kPushed | kRedrawn},
          {Act::FocusLeaves, FALSE, BST_UNCHECKED, kRedrawn},
          {Act::SpaceUp, FALSE, BST_UNCHECKED, 0}}},
        {"set from outside: the box shows it and tells its parent, once per change, without a click",
         {{Act::SetFromOutside, TRUE, BST_CHECKED, kRedrawn | kStateSet},
          {Act::SetFromOutside, TRUE, BST_CHECKED, 0},
          {Act::ClearFromOutside, FALSE, BST_UNCHECKED, kRedrawn | kStateSet},
          {Act::SetOddValue, 0x2000, BST_CHECKED, kRedrawn}}},
        {"double click: the second click presses again",
         {kPress,
          {Act::ReleaseIn, TRUE, BST_CHECKED, kRedrawn | kNotifies},
          {Act::DoubleClick, TRUE, BST_CHECKED, kPushed | kCaptured | kRedrawn},
          {Act::ReleaseIn, FALSE, BST_UNCHECKED, kRedrawn | kNotifies}}},
        {"double click during a press: the capture the box takes itself keeps the press",
         {kPress,
          {Act::DoubleClick, FALSE, BST_UNCHECKED, kPushed | kCaptured | kRedrawn},
          {Act::ReleaseIn, TRUE, BST_CHECKED, kRedrawn | kNotifies}}},
        {"capture released by someone else mid-press: the press ends, the release does nothing",
         {kPress, {Act::CaptureReleased, FALSE, BST_UNCHECKED, kRedrawn}, {Act::ReleaseIn, FALSE, BST_UNCHECKED, 0}}},
        {"capture taken by another window mid-press",
         {kPress, {Act::CaptureTaken, FALSE, BST_UNCHECKED, kRedrawn}, {Act::ReleaseIn, FALSE, BST_UNCHECKED, 0}}},
        {"set by the program: stored unchanged, redrawn only on a change, inverted to FALSE",
         {{Act::SetFalse, FALSE, BST_UNCHECKED, 0},
          {Act::SetOddValue, 0x2000, BST_CHECKED, kRedrawn},
          {Act::SetOddValue, 0x2000, BST_CHECKED, 0},
          {Act::Press, 0x2000, BST_CHECKED, kPushed | kCaptured | kRedrawn},
          {Act::ReleaseIn, FALSE, BST_UNCHECKED, kRedrawn | kNotifies}}},
        {"another process reads the real state",
         {{Act::SetTrue, TRUE, BST_CHECKED, kRedrawn},
          {Act::Press, TRUE, BST_CHECKED, kPushed | kCaptured | kRedrawn},
          {Act::AskAnotherProcess, TRUE, BST_CHECKED, kPushed | kCaptured},
          {Act::ReleaseOut, TRUE, BST_CHECKED, kRedrawn | kNotifies},
          {Act::SetFalse, FALSE, BST_UNCHECKED, kRedrawn}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        NewBox();
        parent.clicks = 0;
        ::UpdateWindow(parent.m_hWnd);
        EXPECT_EQ(box->IsChecked(), FALSE);
        EXPECT_EQ(box->GetCheck(), BST_UNCHECKED);
        EXPECT_EQ(box->GetState() & (BST_CHECKED | BST_PUSHED), 0u);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            const Step& step = c.steps[i];
            SCOPED_TRACE("step " + std::to_string(i));
            const UINT state = step.platformCheck | ((step.flags & kPushed) ? BST_PUSHED : 0);
            const int clicks = parent.clicks;
            const int stateSets = parent.otherCommands;
            ::ValidateRect(box->m_hWnd, nullptr);
            const LPARAM inside = MAKELPARAM(5, 5);
            const LPARAM outside = MAKELPARAM(250, 5);
            switch (step.act) {
                case Act::Press:
                    box->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, inside);
                    break;
                case Act::ReleaseIn:
                    box->SendMessage(WM_LBUTTONUP, 0, inside);
                    break;
                case Act::ReleaseOut:
                    box->SendMessage(WM_LBUTTONUP, 0, outside);
                    break;
                case Act::DragOut:
                    box->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, outside);
                    break;
                case Act::DoubleClick:
                    box->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, inside);
                    break;
                case Act::SpaceDown:
                    box->SendMessage(WM_KEYDOWN, VK_SPACE, 0);
                    break;
                case Act::SpaceUp:
                    box->SendMessage(WM_KEYUP, VK_SPACE, 0);
                    break;
                case Act::OtherKey:
                    box->SendMessage(WM_KEYDOWN, 'A', 0);
                    box->SendMessage(WM_KEYUP, 'A', 0);
                    break;
                case Act::SetFalse:
                    box->SetChecked(FALSE);
                    break;
                case Act::SetTrue:
                    box->SetChecked(TRUE);
                    break;
                case Act::SetOddValue:
                    box->SetChecked(0x2000);
                    break;
                case Act::SetFromOutside:
                    box->SendMessage(BM_SETCHECK, BST_CHECKED);
                    break;
                case Act::ClearFromOutside:
                    box->SendMessage(BM_SETCHECK, BST_UNCHECKED);
                    break;
                case Act::FocusLeaves:
                    box->SetFocus();
                    ::ValidateRect(box->m_hWnd, nullptr);
                    parent.SetFocus();
                    break;
                case Act::CaptureReleased:
                    ::ReleaseCapture();
                    break;
                case Act::CaptureTaken:
                    parent.SetCapture();
                    break;
                case Act::AskAnotherProcess: {
                    const auto [check, asked] = StateFromAnotherProcess(box->m_hWnd);
                    ASSERT_NE(check, -1) << "the probe process did not run";
                    EXPECT_EQ(check, step.platformCheck);
                    EXPECT_EQ(static_cast<UINT>(asked) & (BST_CHECKED | BST_PUSHED), state);
                    break;
                }
            }
            EXPECT_EQ(box->IsChecked(), step.checked);
            EXPECT_EQ(box->m_bPressed != FALSE, (step.flags & kPushed) != 0);
            EXPECT_EQ(box->GetCheck(), step.platformCheck);
            EXPECT_EQ(box->GetState() & (BST_CHECKED | BST_PUSHED), state);
            EXPECT_EQ(::GetCapture() == box->m_hWnd, (step.flags & kCaptured) != 0);
            EXPECT_EQ(HasPendingPaint(), (step.flags & kRedrawn) != 0);
            EXPECT_EQ(parent.otherCommands, stateSets + ((step.flags & kStateSet) ? 1 : 0));
            EXPECT_EQ(parent.clicks, clicks) << "the notification is posted, not sent";
            PumpMessages();
            EXPECT_EQ(parent.clicks, clicks + ((step.flags & kNotifies) ? 1 : 0));
        }
        ::ReleaseCapture();
    }
}

// --- Drawing -------------------------------------------------------------------------------

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

TEST_F(MacCheckBoxTest, ColoursFollowTheTheme) {
    const auto colours = [this] {
        return std::vector<std::string>{Hex(box->m_clrCorner), Hex(box->m_clrDisabled), Hex(box->m_clrHighlight),
                                        Hex(box->m_clrFrame), Hex(box->m_clrShade)};
    };
    EXPECT_EQ(box->m_nTheme, 10) << "a new box takes the default theme";
    for (const BoxColours& c : kThemes) {  // theme 10 first: the colours of a new box
        SCOPED_TRACE("theme " + std::to_string(c.theme));
        if (c.theme != box->m_nTheme) {
            // The theme walk of a skinned window recognises the box and recolours it.
            ApplyThemeToChildren(parent, c.theme);
        }
        EXPECT_EQ(box->m_nTheme, c.theme);
        const std::vector<std::string> want{Hex(c.corner), Hex(c.disabled), Hex(c.highlight), Hex(c.frame),
                                            Hex(c.shade)};
        EXPECT_EQ(colours(), want);
        // A change of the system's colours recomputes them from the theme.
        box->m_clrCorner = box->m_clrDisabled = box->m_clrHighlight = box->m_clrFrame = box->m_clrShade = kMarker;
        box->SendMessage(WM_SYSCOLORCHANGE);
        EXPECT_EQ(colours(), want);
    }
}

TEST_F(MacCheckBoxTest, BoxTickAndTextToThePixel) {
    enum class Text { Centred, FromTheTop, None };
    struct Case {
        const char* label;
        const BoxColours& colours;
        DWORD type;  // the button type the box is created as
        int height;
        bool pressed;
        bool disabled;
        const wchar_t* text;
        Text placement;
    };
    const wchar_t* const kLong = L"A caption far too long for the control";
    const Case cases[] = {
        {"theme 10", kThemes[0], BS_AUTOCHECKBOX, 20, false, false, L"Box", Text::Centred},
        {"theme 10 pressed", kThemes[0], BS_CHECKBOX, 20, true, false, L"Box", Text::Centred},
        {"theme 10 disabled", kThemes[0], BS_RADIOBUTTON, 20, false, true, L"Box", Text::Centred},
        {"theme 10 pressed disabled", kThemes[0], BS_AUTO3STATE, 20, true, true, L"Box", Text::Centred},
        {"theme 3", kThemes[1], BS_AUTO3STATE, 20, false, false, L"Box", Text::Centred},
        {"theme 3 pressed", kThemes[1], BS_RADIOBUTTON, 20, true, false, L"Box", Text::Centred},
        {"theme 3 disabled", kThemes[1], BS_CHECKBOX, 20, false, true, L"Box", Text::Centred},
        {"theme 3 pressed disabled", kThemes[1], BS_AUTOCHECKBOX, 20, true, true, L"Box", Text::Centred},
        {"a text too wide starts at the top", kThemes[0], BS_AUTOCHECKBOX, 40, false, false, kLong, Text::FromTheTop},
        {"embossed, a text too wide is centred", kThemes[0], BS_CHECKBOX, 40, false, true, kLong, Text::Centred},
        // The box starts one row above the item: its frame is clipped at both ends.
        {"ten pixels high clips the box", kThemes[0], BS_AUTOCHECKBOX, 10, false, false, L"", Text::None},
    };
    // Pixels of the tick relative to the inner box's top left corner, stroke by stroke with the
    // last point of each line left out.
    const std::set<std::pair<int, int>> inked = {{1, 4}, {2, 5}, {3, 6},  {4, 7},  {5, 6}, {6, 5}, {7, 4},
                                                 {8, 3}, {9, 2}, {10, 1}, {11, 0}, {2, 4}, {3, 5}, {4, 6},
                                                 {5, 5}, {6, 4}, {7, 3},  {8, 2},  {9, 1}};
    const std::set<std::pair<int, int>> shaded = {{4, 8}, {5, 7}, {6, 6}, {7, 5}, {8, 4}, {9, 3},  {9, 4},  {2, 6},
                                                  {3, 7}, {5, 8}, {6, 7}, {7, 6}, {8, 5}, {11, 1}, {12, 1}, {11, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        NewBox(c.type, c.text, c.height);
        EXPECT_EQ(box->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW)) << "whatever it was created as";
        ApplyThemeToChildren(parent, c.colours.theme);
        box->m_bPressed = c.pressed ? TRUE : FALSE;
        box->EnableWindow(!c.disabled);
        // The item lies two rows into the canvas, so what is clipped above and below it shows.
        const int top = 2, bottom = top + c.height;
        const RECT item{0, top, kWidth, bottom};
        const UINT state = c.disabled ? ODS_DISABLED : 0;
        DibCanvas unchecked(kWidth, c.height + 4, kMarker);
        Draw(*box, unchecked, state, item);
        box->m_bChecked = TRUE;
        DibCanvas checked(kWidth, c.height + 4, kMarker);
        Draw(*box, checked, state, item);
        const auto clipped = [&](int y) { return y < top || y >= bottom; };

        // The 12 x 12 box: centred, rounding down; the frame, the inner edges and two corners.
        const int boxTop = top + (c.height >= 12 ? (c.height - 12) / 2 : -((13 - c.height) / 2));
        const int boxBottom = boxTop + 11, right = 11;
        const COLORREF frame = c.disabled ? c.colours.disabled : c.colours.frame;
        const COLORREF lit = c.pressed ? c.colours.shade : c.colours.highlight;
        const COLORREF dark = c.pressed ? c.colours.highlight : c.colours.shade;
        const COLORREF corner = c.colours.corner;
        const std::vector<std::pair<POINT, COLORREF>> expected = {
            {{0, boxTop}, frame},
            {{right, boxTop}, frame},
            {{0, boxBottom}, frame},
            {{right, boxBottom}, frame},
            {{6, boxTop}, frame},
            {{0, boxTop + 5}, frame},
            {{0, boxTop + 1}, frame},
            {{0, boxBottom - 1}, frame},
            {{1, boxTop + 1}, lit},
            {{6, boxTop + 1}, lit},
            {{1, boxTop + 6}, lit},
            {{right - 1, boxTop + 6}, dark},
            {{6, boxBottom - 1}, dark},
            {{right - 1, boxBottom - 1}, dark},
            {{right - 1, boxTop + 1}, corner},
            {{1, boxBottom - 1}, corner},
            {{5, boxTop + 5}, kMarker},
            {{6, boxTop - 1}, kMarker},
            {{6, boxBottom + 1}, kMarker},
            {{right + 1, boxTop + 5}, kMarker},
            {{right + 3, boxTop + 5}, kMarker},
        };
        for (const auto& [at, colour] : expected) {
            EXPECT_EQ(Hex(unchecked.Pixel(at.x, at.y)), Hex(clipped(at.y) ? kMarker : colour))
                << "at " << at.x << "," << at.y;
        }
        // Nothing of the box area is painted besides the frame and the edges.
        EXPECT_EQ(unchecked.CountOthers(RECT{0, 0, right + 4, bottom + 2}, {kMarker, frame, lit, dark, corner}), 0);

        // Checked, everything left of the text is the same but for the tick.
        for (int y = 0; y < bottom + 2; ++y) {
            for (int x = 0; x < 16; ++x) {
                const std::pair<int, int> at{x - 1, y - (boxTop + 1)};
                const COLORREF want = clipped(y)         ? kMarker
                                      : inked.count(at)  ? frame
                                      : shaded.count(at) ? c.colours.shade
                                                         : unchecked.Pixel(x, y);
                EXPECT_EQ(Hex(checked.Pixel(x, y)), Hex(want)) << "at " << x << "," << y;
            }
        }

        // The platform's own paint asks the parent to draw the item, and the parent hands that
        // to the box: the same box and tick.
        DibCanvas painted(kWidth, c.height, kMarker);
        box->SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(painted.dc()), PRF_CLIENT);
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < 16; ++x) {
                EXPECT_EQ(Hex(painted.Pixel(x, y)), Hex(checked.Pixel(x, y + top))) << "painted at " << x << "," << y;
            }
        }

        // Glyphs differ between systems, so only where the text's ink lies is looked at: the text
        // rectangle starts one row into the item at column 17.
        const RECT ink = unchecked.InkBounds(RECT{14, top, kWidth, bottom}, kMarker);
        if (c.placement == Text::None) {
            EXPECT_GE(ink.left, ink.right) << "no text drawn";
            continue;
        }
        ASSERT_LT(ink.left, ink.right) << "no text drawn";
        EXPECT_GE(ink.left, 17);
        if (c.placement == Text::FromTheTop) {
            EXPECT_EQ(ink.top, top + 1);
        } else {
            EXPECT_GT(ink.top, top + 1);
            EXPECT_LE(std::abs((ink.top - top - 1) - (bottom - ink.bottom)), 3) << "as much room above as below";
        }
        if (!c.disabled) {
            // Opaque text on the theme's window colour.
            EXPECT_GT(unchecked.CountPixels(GetThemeColors(c.colours.theme).clrWindow), 0);
        }
    }
}

TEST_F(MacCheckBoxTest, ThemeChangesHoldNoGdiObjects) {
    box->SetChecked(TRUE);
    DibCanvas canvas(kWidth, 20, kMarker);
    ExpectNoGdiObjectsLeft([&](int round) {
        ApplyThemeToChildren(parent, round % THEME_COUNT);
        ::UpdateWindow(parent.m_hWnd);  // the real paint through WM_DRAWITEM
        Draw(*box, canvas, round % 2 ? ODS_DISABLED : 0);
    });
}

}  // namespace
