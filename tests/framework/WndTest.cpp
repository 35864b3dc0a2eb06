// The framework's own contract, on plain windows: which object sees which message, and the
// geometry helpers the layout works with.
#include "TestSupport.h"
#include "framework/Dialog.h"
#include "framework/Wnd.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A plain window that records the commands its children send it.
class CommandRecorder : public CWnd {
public:
    struct Command {
        UINT id;
        UINT code;
        HWND control;
    };
    std::vector<Command> commands;

protected:
    BOOL OnCommand(UINT id, UINT code, HWND control) override {
        commands.push_back({id, code, control});
        return TRUE;
    }
};

TEST(WndTest, ASubclassedChildIsFoundByItsHandleAndForgottenWithIt) {
    CommandRecorder parent;
    ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200},
                                nullptr, 0));
    const HWND button = ::CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 24,
                                          parent.m_hWnd, reinterpret_cast<HMENU>(1001), nullptr, nullptr);
    ASSERT_NE(button, nullptr);
    CWnd child;
    ASSERT_TRUE(child.SubclassWindow(button));
    EXPECT_EQ(CWnd::FromHandlePermanent(button), &child);
    EXPECT_EQ(child.GetParent(), &parent);

    child.SendMessage(BM_CLICK);
    ASSERT_EQ(parent.commands.size(), 1u) << "the click reaches the parent's object as a command";
    EXPECT_EQ(parent.commands[0].id, 1001u);
    EXPECT_EQ(parent.commands[0].code, static_cast<UINT>(BN_CLICKED));
    EXPECT_EQ(parent.commands[0].control, button);

    parent.DestroyWindow();
    EXPECT_EQ(child.m_hWnd, nullptr) << "destroyed with its parent, the child object forgets its window";
    EXPECT_EQ(CWnd::FromHandlePermanent(button), nullptr);
    EXPECT_EQ(parent.m_hWnd, nullptr);
}

TEST(WndTest, ChildrenComeInCreationOrderWithTheirPlacesAndKinds) {
    CWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_OVERLAPPEDWINDOW, RECT{0, 0, 400, 300},
                                nullptr, 0));
    struct Child {
        const char* label;
        const wchar_t* className;
        DWORD style;
        RECT place;
        bool groupBox;
    };
    const Child children[] = {
        {"group box", L"BUTTON", BS_GROUPBOX, {5, 5, 200, 120}, true},
        {"push button", L"BUTTON", BS_PUSHBUTTON, {10, 20, 90, 44}, false},
        {"check box", L"BUTTON", BS_AUTOCHECKBOX, {10, 50, 120, 70}, false},
        {"label", L"STATIC", SS_LEFT, {210, 5, 300, 25}, false},
    };
    std::vector<HWND> created;
    for (const Child& c : children) {
        created.push_back(::CreateWindowExW(0, c.className, L"x", WS_CHILD | WS_VISIBLE | c.style, c.place.left,
                                            c.place.top, c.place.right - c.place.left, c.place.bottom - c.place.top,
                                            parent.m_hWnd, nullptr, nullptr, nullptr));
    }
    EXPECT_EQ(parent.GetChildWindows(), created);
    for (size_t i = 0; i < created.size(); ++i) {
        SCOPED_TRACE(children[i].label);
        const RECT place = CWnd::GetRectInParent(created[i]);
        EXPECT_TRUE(::EqualRect(&place, &children[i].place));
        EXPECT_EQ(CWnd::IsGroupBox(created[i]), children[i].groupBox);
        const RECT moved{place.left + 7, place.top + 3, place.right + 17, place.bottom + 3};
        CWnd::MoveWindow(created[i], moved, false);
        const RECT after = CWnd::GetRectInParent(created[i]);
        EXPECT_TRUE(::EqualRect(&after, &moved));
    }
    parent.DestroyWindow();
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

// A parent that notes the WM_DRAWITEM its own window procedure got after the object let it through.
class DrawRecorder : public CWnd {
public:
    int reachedDefault = 0;

protected:
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_DRAWITEM) {
            ++reachedDefault;
        }
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
};

TEST(WndTest, DrawItemIsReflectedToTheControlAndDefaultProcessingGetsWhatItLeaves) {
    struct Case {
        const char* label;
        bool boundToAnObject;
        bool paints;
        UINT type;
        int drawn;           // calls of the control's reflection handler
        int reachedDefault;  // the parent's default processing
        LRESULT result;
    };
    const Case cases[] = {
        {"a control that paints itself", true, true, ODT_BUTTON, 1, 0, TRUE},
        {"a control that leaves it", true, false, ODT_BUTTON, 1, 1, FALSE},
        {"a control without an object", false, false, ODT_BUTTON, 0, 1, FALSE},
        {"a menu item is never reflected", true, true, ODT_MENU, 0, 1, FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        DrawRecorder parent;
        ASSERT_TRUE(parent.CreateEx(0, CWnd::RegisterPlainClass(), L"parent", WS_OVERLAPPEDWINDOW, RECT{0, 0, 200, 100},
                                    nullptr, 0));
        const HWND button = ::CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | BS_OWNERDRAW, 0, 0, 50, 20, parent.m_hWnd,
                                              reinterpret_cast<HMENU>(1002), nullptr, nullptr);
        ReflectingButton control(c.paints);
        if (c.boundToAnObject) {
            ASSERT_TRUE(control.SubclassWindow(button));
        }
        DRAWITEMSTRUCT draw{};
        draw.CtlType = c.type;
        draw.CtlID = 1002;
        draw.hwndItem = button;
        const LRESULT result = parent.SendMessage(WM_DRAWITEM, 1002, reinterpret_cast<LPARAM>(&draw));
        EXPECT_EQ(control.drawn, c.drawn);
        EXPECT_EQ(parent.reachedDefault, c.reachedDefault);
        EXPECT_EQ(result, c.result);
        parent.DestroyWindow();
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
    struct Case {
        const char* label;
        UINT message;
        WPARAM wParam;
        INT_PTR result;
    };
    const Case cases[] = {
        {"EndDialog's value", WM_COMMAND, 4001, 7},
        {"OK", WM_COMMAND, IDOK, IDOK},
        {"Cancel", WM_COMMAND, IDCANCEL, IDCANCEL},
        {"closing the window is Cancel", WM_CLOSE, 0, IDCANCEL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScriptedDialog dialog(c.message, c.wParam);
        EXPECT_EQ(dialog.DoModal(), c.result);
        EXPECT_EQ(dialog.m_hWnd, nullptr) << "the window is gone when DoModal returns";
    }
}

}  // namespace
