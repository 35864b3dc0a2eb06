// What a screen reader or a test robot reads of each kind of drawn control. The object is taken
// the way a reader gets it, through WM_GETOBJECT, where the platform can hand it over; Wine's
// LresultFromObject answers E_NOINTERFACE (in this process and from another), so there the
// control's own object is asked directly, and what it answers is the same.
#include "MainDlgFixture.h"
#include "TestSupport.h"
#include "dialogs/MacMessageDlg.h"
#include "dialogs/MessageBox.h"
#include "framework/Accessible.h"
#include "resources/resource.h"

#include <gtest/gtest.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using Microsoft::WRL::ComPtr;

ComPtr<IAccessible> AccessibleOf(HWND hwnd) {
    ComPtr<IAccessible> accessible;
    const LRESULT answer = ::SendMessageW(hwnd, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    if (answer > 0) {
        ::ObjectFromLresult(answer, IID_IAccessible, 0, reinterpret_cast<void**>(accessible.GetAddressOf()));
    }
    if (!accessible) {
        CreateControlAccessible(hwnd, accessible.GetAddressOf());
    }
    return accessible;
}

struct Reading {
    long role = -1;
    long state = 0;
    std::wstring name;
};

VARIANT Self() {
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

Reading ReadControl(HWND hwnd) {
    Reading reading;
    const ComPtr<IAccessible> accessible = AccessibleOf(hwnd);
    if (!accessible) {
        return reading;
    }
    VARIANT value;
    ::VariantInit(&value);
    if (SUCCEEDED(accessible->get_accRole(Self(), &value)) && value.vt == VT_I4) {
        reading.role = value.lVal;
    }
    if (SUCCEEDED(accessible->get_accState(Self(), &value)) && value.vt == VT_I4) {
        reading.state = value.lVal;
    }
    BSTR name = nullptr;
    if (accessible->get_accName(Self(), &name) == S_OK && name) {
        reading.name.assign(name, ::SysStringLen(name));
        ::SysFreeString(name);
    }
    return reading;
}

class AccessibilityTest : public MainDlgFixture {};

TEST_F(AccessibilityTest, EachKindOfControlReadsTrue) {
    struct Row {
        const char* label;
        std::function<void()> before;  // what happens first, through the platform's messages
        int id;
        long role;
        const wchar_t* name;
        long has;     // state bits that must be set
        long hasNot;  // and those that must not
    };
    const auto maximize = [this] {
        ::ShowWindow(dlg->m_hWnd, SW_MAXIMIZE);
        PumpMessages();
    };
    const Row rows[] = {
        {"an unticked box",
         {},
         IDC_SET_FILE_TIME,
         ROLE_SYSTEM_CHECKBUTTON,
         L"Set File Time",
         STATE_SYSTEM_FOCUSABLE,
         STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE},
        {"a ticked box of a group that is off",
         {},
         IDC_CREATE_TIME,
         ROLE_SYSTEM_CHECKBUTTON,
         L"Create Time",
         STATE_SYSTEM_CHECKED | STATE_SYSTEM_UNAVAILABLE,
         STATE_SYSTEM_FOCUSABLE},
        {"a push button",
         {},
         IDC_APPLY,
         ROLE_SYSTEM_PUSHBUTTON,
         L"Apply Changes",
         STATE_SYSTEM_FOCUSABLE,
         STATE_SYSTEM_UNAVAILABLE},
        {"a disabled push button", {}, IDC_UNDO, ROLE_SYSTEM_PUSHBUTTON, L"Undo Changes", STATE_SYSTEM_UNAVAILABLE, 0},
        {"the close button", {}, IDCANCEL, ROLE_SYSTEM_PUSHBUTTON, L"Close", 0, 0},
        {"the minimize button", {}, ID_CAPTION_MINIMIZE, ROLE_SYSTEM_PUSHBUTTON, L"Minimize", 0, 0},
        {"the help menu's button", {}, ID_CAPTION_HELP_MENU, ROLE_SYSTEM_PUSHBUTTON, L"Help", 0, 0},
        {"the theme menu's button", {}, ID_CAPTION_THEME_MENU, ROLE_SYSTEM_PUSHBUTTON, L"Colour theme", 0, 0},
        {"the maximize button", {}, ID_CAPTION_MAXIMIZE, ROLE_SYSTEM_PUSHBUTTON, L"Maximize", 0, 0},
        {"a box ticked from outside: shown, and its group follows",
         [this] { ::SendMessageW(Item(IDC_SET_FILE_ATTRIBUTES), BM_SETCHECK, BST_CHECKED, 0); },
         IDC_SET_FILE_ATTRIBUTES, ROLE_SYSTEM_CHECKBUTTON, L"Set File Attributes", STATE_SYSTEM_CHECKED, 0},
        {"a box of that group, now available",
         {},
         IDC_ARCHIVE,
         ROLE_SYSTEM_CHECKBUTTON,
         L"Archive",
         STATE_SYSTEM_FOCUSABLE,
         STATE_SYSTEM_UNAVAILABLE | STATE_SYSTEM_CHECKED},
        {"a box ticked by the reader's action, as a click",
         [this] {
             AccessibleOf(Item(IDC_SET_FILE_TIME))->accDoDefaultAction(Self());
             PumpMessages();
         },
         IDC_SET_FILE_TIME, ROLE_SYSTEM_CHECKBUTTON, L"Set File Time", STATE_SYSTEM_CHECKED, 0},
        {"its group is on",
         {},
         IDC_CREATE_TIME,
         ROLE_SYSTEM_CHECKBUTTON,
         L"Create Time",
         STATE_SYSTEM_CHECKED | STATE_SYSTEM_FOCUSABLE,
         STATE_SYSTEM_UNAVAILABLE},
        {"the maximize button of a window maximized another way", maximize, ID_CAPTION_MAXIMIZE, ROLE_SYSTEM_PUSHBUTTON,
         L"Restore", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        if (row.before) {
            row.before();
        }
        const Reading reading = ReadControl(Item(row.id));
        EXPECT_EQ(reading.role, row.role);
        EXPECT_EQ(reading.name, row.name);
        EXPECT_EQ(reading.state & row.has, row.has);
        EXPECT_EQ(reading.state & row.hasNot, 0);
    }
    EXPECT_TRUE(dlg->m_chkSetFileAttributes.IsChecked()) << "the program reads what the reader set";
    EXPECT_TRUE(dlg->m_dtpDate.IsWindowEnabled());
}

TEST_F(AccessibilityTest, MenuItemsKeepTheTextTheyShow) {
    for (const CSkinMenu* menu : {&dlg->m_skin.m_menuHelp, &dlg->m_skin.m_menuTheme}) {
        ASSERT_GT(menu->GetMenuItemCount(), 0);
        for (int position = 0; position < menu->GetMenuItemCount(); ++position) {
            const UINT id = ::GetMenuItemID(menu->m_hMenu, position);
            wchar_t text[64] = {};
            ::GetMenuStringW(menu->m_hMenu, id, text, 64, MF_BYCOMMAND);
            MENUITEMINFOW item{};
            item.cbSize = sizeof(item);
            item.fMask = MIIM_FTYPE;
            ::GetMenuItemInfoW(menu->m_hMenu, id, FALSE, &item);
            SCOPED_TRACE(id);
            EXPECT_EQ(text, menu->m_mapText.at(id)) << "what a reader reads is what is drawn";
            EXPECT_TRUE(item.fType & MFT_OWNERDRAW);
        }
    }
    // The update item's text changes with the switch, for the reader too.
    dlg->SendMessage(WM_COMMAND, ID_HELP_UPDATE, 0);
    wchar_t text[64] = {};
    ::GetMenuStringW(dlg->m_skin.m_menuHelp.m_hMenu, ID_HELP_UPDATE, text, 64, MF_BYCOMMAND);
    EXPECT_STREQ(text, L"Online update");
}

// Reads the question's controls while it is open, then answers No.
struct QuestionReader {
    static inline std::vector<Reading> s_readings;
    static void CALLBACK Read(HWND, UINT, UINT_PTR id, DWORD) noexcept {
        const HWND box = FindOtherDialog(nullptr);
        if (!box) {
            return;
        }
        ::KillTimer(nullptr, id);
        auto* dlg = dynamic_cast<CMacMessageDlg*>(CWnd::FromHandlePermanent(box));
        if (!dlg) {
            return;
        }
        for (HWND control : {dlg->m_btn1.m_hWnd, dlg->m_btn2.m_hWnd, dlg->m_chkDontShow.m_hWnd}) {
            s_readings.push_back(ReadControl(control));
        }
        ::PostMessageW(dlg->m_btn2.m_hWnd, BM_CLICK, 0, 0);
    }
};

TEST(AccessibilityQuestionTest, TheQuestionsButtonsAndBoxReadTrue) {
    QuestionReader::s_readings.clear();
    ::SetTimer(nullptr, 0, 200, QuestionReader::Read);
    bool dontShow = false;
    EXPECT_FALSE(MacYesNoBox(L"Proceed?", 10, true, &dontShow));
    ASSERT_EQ(QuestionReader::s_readings.size(), 3u);
    EXPECT_EQ(QuestionReader::s_readings[0].name, L"Yes");
    EXPECT_TRUE(QuestionReader::s_readings[0].state & STATE_SYSTEM_FOCUSED) << "the question opens on Yes";
    EXPECT_EQ(QuestionReader::s_readings[1].name, L"No");
    EXPECT_EQ(QuestionReader::s_readings[2].role, ROLE_SYSTEM_CHECKBUTTON);
    EXPECT_EQ(QuestionReader::s_readings[2].name, L"Do not show me this dialog again.");
}

}  // namespace
