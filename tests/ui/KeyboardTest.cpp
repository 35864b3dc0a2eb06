// The main window driven by the keyboard alone: the user guide's worked example (a folder's
// files to one date) with nothing but keys, and the window's menus from F10 and Alt.
#include "MainDlgFixture.h"
#include "TestSupport.h"
#include "resources/resource.h"
#include "skin/Themes.h"
#include "support/Folders.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Keys for whatever modal loop is running when the timer fires (the folder chooser's, a menu's).
struct LaterKeys {
    static inline std::vector<UINT> s_keys;
    static inline bool s_sent = false;
    // Waits for a window of this thread other than `main` (the chooser), unless `anyLoop`.
    static inline HWND s_main = nullptr;
    static inline bool s_anyLoop = false;
    static inline bool s_inMenu = false;      // a menu was open when the keys went
    static inline bool s_systemMenu = false;  // and it was the window's own (Wine reports no
                                              // GUI_SYSTEMMENUMODE, so its opening is watched)
    static LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) noexcept {
        const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && sent->message == WM_INITMENUPOPUP && HIWORD(sent->lParam)) {
            s_systemMenu = true;
        }
        return ::CallNextHookEx(nullptr, code, wParam, lParam);
    }

    // The chooser's folder box must show this first: it selects the starting folder a little
    // after it opens.
    static inline std::wstring s_waitText;

    static void CALLBACK Send(HWND, UINT, UINT_PTR id, DWORD) noexcept {
        const HWND dialog = s_anyLoop ? nullptr : FindOtherDialog(s_main);
        if (!s_anyLoop && (!dialog || !ShowsText(dialog, s_waitText))) {
            return;
        }
        ::KillTimer(nullptr, id);
        GUITHREADINFO info{};
        info.cbSize = sizeof(info);
        ::GetGUIThreadInfo(::GetCurrentThreadId(), &info);
        s_inMenu = (info.flags & GUI_INMENUMODE) != 0;
        HWND focus = ::GetFocus();
        for (UINT key : s_keys) {
            ::PostMessageW(focus ? focus : s_main, WM_KEYDOWN, key, 1);
            ::PostMessageW(focus ? focus : s_main, WM_KEYUP, key, 0xC0000001);
        }
        s_sent = true;
    }
    static bool ShowsText(HWND dialog, const std::wstring& text) {
        if (text.empty()) {
            return true;
        }
        for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
            wchar_t shown[MAX_PATH] = {};
            ::GetWindowTextW(child, shown, MAX_PATH);
            if (::lstrcmpiW(shown, text.c_str()) == 0) {
                return true;
            }
        }
        return false;
    }
    static void Arm(HWND main, bool anyLoop, std::vector<UINT> keys, std::wstring waitText = {}) {
        s_waitText = std::move(waitText);
        s_main = main;
        s_anyLoop = anyLoop;
        s_keys = std::move(keys);
        s_sent = false;
        s_inMenu = false;
        s_systemMenu = false;
        ::SetTimer(nullptr, 0, 300, Send);
    }
};

class KeyboardTest : public MainDlgFixture {
protected:
    // A key pressed and released on the focused control, through the window's message loop.
    void Press(UINT key, UINT down = WM_KEYDOWN, UINT up = WM_KEYUP) {
        const HWND focus = ::GetFocus();
        // Alt and the keys pressed with it come with the "Alt is down" bit, as the keyboard sends
        // them; F10 alone comes without.
        const LPARAM alt = down == WM_SYSKEYDOWN && key != VK_F10 ? 0x20000000 : 0;
        ::PostMessageW(focus ? focus : dlg->m_hWnd, down, key, 1 | alt);
        ::PostMessageW(focus ? focus : dlg->m_hWnd, up, key, 0xC0000001);
        PumpMessages();
    }
    static FILETIME TimeOf(const std::wstring& path, int which) {
        FILETIME times[3]{};
        const HANDLE file = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::GetFileTime(file, &times[0], &times[1], &times[2]);
            ::CloseHandle(file);
        }
        return times[which];  // 0 created, 1 accessed, 2 modified
    }
};

TEST_F(KeyboardTest, TheWorkedExampleWithKeysAlone) {
    ScopedTempDir temp;
    const std::wstring folder = temp.path() + L"photos";
    ASSERT_NE(EnsureDirectory(folder), 0);
    const std::vector<std::wstring> photos = {folder + L"\\a.jpg", folder + L"\\b.jpg", folder + L"\\c.jpg"};
    for (const std::wstring& photo : photos) {
        ASSERT_TRUE(WriteTestFile(photo, "jpg"));
    }
    const unsigned long long accessedBefore = Ticks(TimeOf(photos[0], 1));
    // The chooser opens where the last Add Folder ended, as it would after an earlier session.
    dlg->m_strLastFolder = folder + L"\\";
    SYSTEMTIME dateBefore{};
    dlg->m_dtpDate.GetTime(dateBefore);

    struct Step {
        const char* label;
        UINT key;
        int times;
        int focus;                   // the control focused afterwards
        std::function<void()> then;  // what else must hold afterwards
    };
    const auto enabled = [this](int id) { return ::IsWindowEnabled(Item(id)) != FALSE; };
    const Step walk[] = {
        {"the window opens on Add Files", 0, 0, IDC_ADD_FILES, {}},
        {"Tab", VK_TAB, 1, IDC_ADD_FOLDER, {}},
        {"Enter presses Add Folder; Enter in the chooser takes the folder", VK_RETURN, 1, IDC_ADD_FOLDER,
         [&] {
             EXPECT_TRUE(LaterKeys::s_sent) << "the chooser did not open";
             EXPECT_EQ(dlg->m_listFiles.GetItemCount(), 4) << "the folder and its three photos";
         }},
        {"Tab along the row", VK_TAB, 3, IDC_SUB_DIR, {}},
        {"Enter on a check box presses nothing", VK_RETURN, 1, IDC_SUB_DIR,
         [&] { EXPECT_TRUE(dlg->IsWindowVisible()); }},
        {"Right stays in the group of the three options", VK_RIGHT, 1, IDC_INCLUDE_PATH,
         [&] { EXPECT_FALSE(dlg->m_chkIncludePath.IsChecked()) << "moving is not ticking"; }},
        {"Tab to Apply", VK_TAB, 3, IDC_APPLY, {}},
        {"Right: Undo is disabled, so the focus stays", VK_RIGHT, 1, IDC_APPLY, {}},
        {"Tab past the filter row and the list", VK_TAB, 9, IDC_SET_FILE_TIME, {}},
        {"Space ticks Set File Time and enables its group", VK_SPACE, 1, IDC_SET_FILE_TIME,
         [&] {
             EXPECT_TRUE(dlg->m_chkSetFileTime.IsChecked());
             for (int id : {IDC_DATE, IDC_TIME, IDC_CREATE_TIME, IDC_MODIFY_TIME, IDC_ACCESS_TIME}) {
                 EXPECT_TRUE(enabled(id)) << id;
             }
             EXPECT_FALSE(enabled(IDC_ARCHIVE)) << "the attribute group stays off";
         }},
        {"Tab to the date", VK_TAB, 1, IDC_DATE, {}},
        {"Right picks the date's next field", VK_RIGHT, 1, IDC_DATE, {}},
        {"Up changes it", VK_UP, 1, IDC_DATE,
         [&] {
             SYSTEMTIME now{};
             dlg->m_dtpDate.GetTime(now);
             EXPECT_NE(TicksOfSystemTime(now), TicksOfSystemTime(dateBefore));
         }},
        {"Tab to Create Time", VK_TAB, 2, IDC_CREATE_TIME, {}},
        {"Down moves within the time group", VK_DOWN, 2, IDC_ACCESS_TIME, {}},
        {"Space unticks Last Access Time", VK_SPACE, 1, IDC_ACCESS_TIME,
         [&] { EXPECT_FALSE(dlg->m_chkAccessTime.IsChecked()); }},
        {"Down goes round the group, never into the title bar", VK_DOWN, 1, IDC_SET_FILE_TIME, {}},
        {"Tab past the disabled attributes and on round the window to Apply", VK_TAB, 16, IDC_APPLY, {}},
        {"Enter presses Apply", VK_RETURN, 1, IDC_APPLY, [&] { EXPECT_TRUE(enabled(IDC_UNDO)) << "a pass was made"; }},
    };
    for (const Step& step : walk) {
        SCOPED_TRACE(step.label);
        if (step.key == VK_RETURN && step.focus == IDC_ADD_FOLDER) {
            LaterKeys::Arm(dlg->m_hWnd, false, {VK_RETURN}, folder);
        }
        for (int i = 0; i < step.times; ++i) {
            Press(step.key);
        }
        EXPECT_EQ(::GetDlgCtrlID(::GetFocus()), step.focus);
        if (step.then) {
            step.then();
        }
    }

    // Every photo has the pickers' date and time as its modify time; the access time, unticked,
    // is what it was. (Wine keeps no creation time of its own to check.)
    SYSTEMTIME date{}, time{};
    dlg->m_dtpDate.GetTime(date);
    dlg->m_dtpTime.GetTime(time);
    SYSTEMTIME local = date;
    local.wHour = time.wHour;
    local.wMinute = time.wMinute;
    local.wSecond = time.wSecond;
    local.wMilliseconds = 0;
    SYSTEMTIME utc{};
    FILETIME wanted{};
    ASSERT_TRUE(::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(::SystemTimeToFileTime(&utc, &wanted));
    for (const std::wstring& photo : photos) {
        SCOPED_TRACE(Narrow(photo));
        EXPECT_EQ(Ticks(TimeOf(photo, 2)), Ticks(wanted));
        EXPECT_NE(Ticks(TimeOf(photo, 1)), Ticks(wanted));
    }
    EXPECT_EQ(Ticks(TimeOf(photos[0], 1)), accessedBefore);
}

TEST_F(KeyboardTest, F10AndAltOpenTheMenus) {
    struct Case {
        const char* label;
        UINT key;  // F10 or Alt, pressed and released
        std::vector<UINT> inMenu;
        int theme;        // the theme afterwards
        bool systemMenu;  // the window's own menu, else the help and theme menus
    };
    const Case cases[] = {
        // The menus open with their first entry ("Help") selected.
        {"F10, the theme menu, Light Pink",
         VK_F10,
         {VK_DOWN, VK_RIGHT, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
          VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN},
         13,
         false},
        {"Alt alone, the theme menu, its first theme", VK_MENU, {VK_DOWN, VK_RIGHT, VK_RETURN}, 0, false},
        {"F10, then Escape twice: nothing chosen", VK_F10, {VK_DOWN, VK_RIGHT, VK_ESCAPE, VK_ESCAPE}, 0, false},
        {"Alt+Space: the window's own menu, left with Escape", VK_SPACE, {VK_ESCAPE, VK_ESCAPE}, 0, true},
    };
    const HHOOK watch = ::SetWindowsHookExW(WH_CALLWNDPROC, LaterKeys::Watch, nullptr, ::GetCurrentThreadId());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        LaterKeys::Arm(dlg->m_hWnd, true, c.inMenu);
        Press(c.key, WM_SYSKEYDOWN, WM_SYSKEYUP);
        PumpMessages();
        EXPECT_TRUE(LaterKeys::s_sent) << "no menu opened";
        EXPECT_TRUE(LaterKeys::s_inMenu);
        EXPECT_EQ(LaterKeys::s_systemMenu, c.systemMenu);
        EXPECT_EQ(dlg->m_skin.GetTheme(), c.theme);
    }
    ::UnhookWindowsHookEx(watch);
}

}  // namespace
