// The framework's own contract, on plain windows: which object sees which message, and the
// geometry helpers the layout works with.
#include "framework/Dialog.h"
#include "framework/Wnd.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace {

// A dialog that records the messages its object sees.
class RecordingDialog : public CDialog {
public:
    RecordingDialog() : CDialog(IDD_SKIN_DIALOG) {}
    std::vector<UINT> seen;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        seen.push_back(message);
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

TEST(DialogTest, TheObjectSeesEveryMessageFromTheFirst) {
    RecordingDialog dialog;
    ASSERT_TRUE(dialog.Create());
    ASSERT_FALSE(dialog.seen.empty());
    const auto position = [&](UINT message) {
        return std::find(dialog.seen.begin(), dialog.seen.end(), message) - dialog.seen.begin();
    };
    const auto end = static_cast<std::ptrdiff_t>(dialog.seen.size());
    EXPECT_LT(position(WM_NCCREATE), end) << "creation messages reach the object";
    EXPECT_LT(position(WM_CREATE), end);
    EXPECT_LT(position(WM_NCCREATE), position(WM_INITDIALOG));
    dialog.DestroyWindow();
    EXPECT_EQ(dialog.seen.back(), static_cast<UINT>(WM_NCDESTROY));
    EXPECT_EQ(dialog.m_hWnd, nullptr) << "the object forgets its window";
}

// A plain top-level window that records the commands its children send it and the WM_DRAWITEM
// its own window procedure got after the object let it through.
class RecordingParent : public CWnd {
public:
    RecordingParent() {
        EXPECT_TRUE(
            CreateEx(0, RegisterPlainClass(), L"parent", WS_OVERLAPPEDWINDOW, RECT{0, 0, 400, 300}, nullptr, 0));
    }
    ~RecordingParent() override { DestroyWindow(); }
    HWND AddChild(const wchar_t* className, DWORD style, const RECT& place, UINT id = 0) const {
        return ::CreateWindowExW(0, className, L"x", WS_CHILD | WS_VISIBLE | style, place.left, place.top,
                                 place.right - place.left, place.bottom - place.top, m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), nullptr, nullptr);
    }
    std::vector<std::pair<UINT, UINT>> commands;  // id, notification code
    int drawItemsReachingDefault = 0;

protected:
    BOOL OnCommand(UINT id, UINT code, HWND) override {
        commands.emplace_back(id, code);
        return TRUE;
    }
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        drawItemsReachingDefault += message == WM_DRAWITEM ? 1 : 0;
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
};

TEST(WndTest, ASubclassedChildIsFoundByItsHandleRoutesToItsParentAndIsForgottenWithIt) {
    RecordingParent parent;
    const HWND button = parent.AddChild(L"BUTTON", BS_PUSHBUTTON, RECT{10, 10, 90, 34}, 1001);
    CWnd child;
    ASSERT_TRUE(child.SubclassWindow(button));
    EXPECT_EQ(CWnd::FromHandlePermanent(button), &child);
    EXPECT_EQ(child.GetParent(), &parent);
    child.SendMessage(BM_CLICK);
    EXPECT_EQ(parent.commands, (std::vector<std::pair<UINT, UINT>>{{1001, BN_CLICKED}}));
    parent.DestroyWindow();
    EXPECT_EQ(child.m_hWnd, nullptr) << "destroyed with its parent, the child object forgets its window";
    EXPECT_EQ(CWnd::FromHandlePermanent(button), nullptr);
}

TEST(WndTest, ChildrenComeInCreationOrderWithTheirPlacesAndKinds) {
    RecordingParent parent;
    const struct {
        const char* label;
        const wchar_t* className;
        DWORD style;
        RECT place;
        bool groupBox;
    } children[] = {
        {"group box", L"BUTTON", BS_GROUPBOX, {5, 5, 200, 120}, true},
        {"push button", L"BUTTON", BS_PUSHBUTTON, {10, 20, 90, 44}, false},
        {"check box", L"BUTTON", BS_AUTOCHECKBOX, {10, 50, 120, 70}, false},
        {"label", L"STATIC", SS_LEFT, {210, 5, 300, 25}, false},
    };
    std::vector<HWND> created;
    for (const auto& c : children) {
        created.push_back(parent.AddChild(c.className, c.style, c.place));
        SCOPED_TRACE(c.label);
        const RECT place = CWnd::GetRectInParent(created.back());
        EXPECT_TRUE(::EqualRect(&place, &c.place));
        EXPECT_EQ(CWnd::IsGroupBox(created.back()), c.groupBox);
    }
    EXPECT_EQ(parent.GetChildWindows(), created);
}

// An owner-drawn button that paints itself when its parent reflects WM_DRAWITEM to it, or not.
class ReflectingButton : public CWnd {
public:
    explicit ReflectingButton(bool paints) : m_paints(paints) {}
    int drawn = 0;

protected:
    BOOL OnReflectDrawItem(DRAWITEMSTRUCT*) override {
        ++drawn;
        return m_paints ? TRUE : FALSE;
    }

private:
    bool m_paints;
};

TEST(WndTest, DrawItemIsReflectedToTheControlAndDefaultProcessingGetsWhatItLeaves) {
    const struct {
        const char* label;
        bool boundToAnObject;
        bool paints;
        UINT type;
        int drawn;           // calls of the control's reflection handler
        int reachedDefault;  // the parent's default processing
        LRESULT result;
    } cases[] = {
        {"a control that paints itself", true, true, ODT_BUTTON, 1, 0, TRUE},
        {"a control that leaves it", true, false, ODT_BUTTON, 1, 1, FALSE},
        {"a control without an object", false, false, ODT_BUTTON, 0, 1, FALSE},
        {"a menu item is never reflected", true, true, ODT_MENU, 0, 1, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        RecordingParent parent;
        const HWND button = parent.AddChild(L"BUTTON", BS_OWNERDRAW, RECT{0, 0, 50, 20}, 1002);
        ReflectingButton control(c.paints);
        if (c.boundToAnObject) {
            ASSERT_TRUE(control.SubclassWindow(button));
        }
        DRAWITEMSTRUCT draw{};
        draw.CtlType = c.type;
        draw.CtlID = 1002;
        draw.hwndItem = button;
        EXPECT_EQ(parent.SendMessage(WM_DRAWITEM, 1002, reinterpret_cast<LPARAM>(&draw)), c.result);
        EXPECT_EQ(control.drawn, c.drawn);
        EXPECT_EQ(parent.drawItemsReachingDefault, c.reachedDefault);
    }
}

// A dialog that posts itself one message once it is initialised and ends with 7 on command 4001.
class ScriptedDialog : public CDialog {
public:
    ScriptedDialog(UINT message, WPARAM wParam) : CDialog(IDD_SKIN_DIALOG), m_message(message), m_wParam(wParam) {}

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        PostMessage(m_message, m_wParam, 0);
        return TRUE;
    }
    BOOL OnCommand(UINT id, UINT code, HWND control) override {
        if (id == 4001) {
            EndDialog(7);
            return TRUE;
        }
        return CDialog::OnCommand(id, code, control);
    }

private:
    UINT m_message;
    WPARAM m_wParam;
};

TEST(DialogTest, DoModalReturnsWhatEndedTheDialog) {
    const struct {
        const char* label;
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    } cases[] = {
        {"EndDialog's value", WM_COMMAND, 4001, 7},
        {"OK", WM_COMMAND, IDOK, IDOK},
        {"Cancel", WM_COMMAND, IDCANCEL, IDCANCEL},
        {"closing the window is Cancel", WM_CLOSE, 0, IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        ScriptedDialog dialog(c.message, c.wParam);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window is gone when DoModal returns";
    }
}

}  // namespace
