#include "app/MainDlg.h"

#include "BoxAnswerer.h"
#include "MainDlgFixture.h"
#include "TestSupport.h"
#include "resources/Version.h"
#include "resources/resource.h"
#include "skin/Painting.h"
#include "skin/SkinDialog.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "support/SupportCommands.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

class MainDlgTest : public MainDlgFixture {
protected:
    RECT RectOf(HWND child) const {
        RECT rect{};
        ::GetWindowRect(child, &rect);
        ::MapWindowPoints(HWND_DESKTOP, dlg->m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // Sends a key through the same path as the program's message loop.
    void PressKey(HWND target, UINT key) {
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 0xC0000001);
        PumpMessages();
    }
};

TEST_F(MainDlgTest, FirstStartState) {
    EXPECT_EQ(dlg->GetWindowText(), L"Quillmark  3.01");
    for (CMacCheckBox* box : dlg->AllCheckBoxes()) {
        const bool timeKind =
            box == &dlg->m_chkCreateTime || box == &dlg->m_chkModifyTime || box == &dlg->m_chkAccessTime;
        SCOPED_TRACE(Narrow(box->GetWindowText()));
        EXPECT_EQ(box->IsChecked() != FALSE, timeKind);
        EXPECT_EQ(box->SendMessage(BM_GETCHECK), timeKind ? BST_CHECKED : BST_UNCHECKED);
    }
    EXPECT_EQ(dlg->AllCheckBoxes().size(), 19u);
    EXPECT_FALSE(dlg->m_btnUndo.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_btnApply.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_editValue.IsReadOnly());
    EXPECT_FALSE(dlg->m_editOutput.IsReadOnly());

    // The groups are switched off, so their controls are disabled; the switches themselves are not.
    EXPECT_TRUE(dlg->m_chkSetFileTime.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_chkSetFileAttributes.IsWindowEnabled());
    for (CWnd* control : std::initializer_list<CWnd*>{
             &dlg->m_chkCreateTime, &dlg->m_chkModifyTime, &dlg->m_chkAccessTime, &dlg->m_dtpDate, &dlg->m_dtpTime,
             &dlg->m_chkArchive, &dlg->m_chkReadOnly, &dlg->m_chkHidden, &dlg->m_chkSystem, &dlg->m_chkTemporary,
             &dlg->m_chkOffline, &dlg->m_chkNotContentIndexed, &dlg->m_chkNormal}) {
        SCOPED_TRACE(control->GetDlgCtrlID());
        EXPECT_FALSE(control->IsWindowEnabled());
    }

    EXPECT_EQ(dlg->m_listFiles.GetExtendedStyle() & (LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP),
              static_cast<DWORD>(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP));
    const std::pair<const wchar_t*, int> columns[] = {
        {L"File name", 280}, {L"Create time", 118}, {L"Modify time", 118}, {L"Access time", 118}, {L"Attribute", 90}};
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(dlg->m_listFiles.GetColumnText(i), columns[i].first);
        EXPECT_EQ(dlg->m_listFiles.GetColumnWidth(i), columns[i].second);
    }
    EXPECT_EQ(dlg->m_mapPropertyNames.size(), 9u);
    EXPECT_EQ(dlg->m_mapPropertyNames.at(18), L"Summary_AppName");

    // The default theme reaches the skinned controls when the frame is attached.
    EXPECT_EQ(dlg->m_skin.GetTheme(), 10);
    const NListBox fresh;
    EXPECT_NE(dlg->m_lstProperties.m_clrSelFill, fresh.m_clrSelFill) << "themed, not the colours of construction";
    dlg->m_skin.SetTheme(0);
    const COLORREF themeZero = dlg->m_lstProperties.m_clrSelFill;
    dlg->m_skin.SetTheme(99);
    EXPECT_EQ(dlg->m_skin.GetTheme(), 10) << "an index outside the table means the default";
    EXPECT_NE(dlg->m_lstProperties.m_clrSelFill, themeZero);
}

TEST_F(MainDlgTest, PushButtonsAreSkinnedAndCarryTheirIcons) {
    const int ids[] = {IDC_ADD_FOLDER, IDC_ADD_FILES,  IDC_APPLY,  IDC_UNDO,
                       IDC_SELECT_ALL, IDC_REVERT_SEL, IDC_REMOVE, IDC_REMOVE_ALL};
    for (int id : ids) {
        SCOPED_TRACE(id);
        auto* button = dynamic_cast<CMacButton*>(CWnd::FromHandlePermanent(Item(id)));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetStyle() & BS_TYPEMASK, static_cast<DWORD>(BS_OWNERDRAW));
        EXPECT_NE(button->m_hIcon, nullptr);
        EXPECT_EQ(button->m_cxIcon, 16);
        EXPECT_NE(dynamic_cast<CThemedControl*>(button), nullptr) << "found by the theme walk";
    }
}

TEST_F(MainDlgTest, GroupSwitchesEnableTheirControls) {
    dlg->m_chkSetFileTime.SetChecked(TRUE);
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDC_SET_FILE_TIME, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(IDC_SET_FILE_TIME)));
    EXPECT_TRUE(dlg->m_chkModifyTime.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_dtpTime.IsWindowEnabled());
    EXPECT_FALSE(dlg->m_chkArchive.IsWindowEnabled()) << "the attribute group is untouched";

    // A real click on the attribute switch: the handler runs after the box has toggled.
    Click(IDC_SET_FILE_ATTRIBUTES);
    EXPECT_TRUE(dlg->m_chkNormal.IsWindowEnabled());
    EXPECT_TRUE(dlg->m_chkOffline.IsWindowEnabled());

    Click(IDC_OTHER_PROPERTIES);
    EXPECT_FALSE(dlg->m_editValue.IsReadOnly());
}

TEST_F(MainDlgTest, OpensAtTheDefaultSizeCentred) {
    const RECT window = dlg->GetWindowRect();
    EXPECT_EQ(window.right - window.left, 800);
    EXPECT_EQ(window.bottom - window.top, 600);
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    ::GetMonitorInfoW(::MonitorFromWindow(dlg->m_hWnd, MONITOR_DEFAULTTONEAREST), &info);
    EXPECT_NEAR((window.left + window.right) / 2, (info.rcWork.left + info.rcWork.right) / 2, 1);
    EXPECT_NEAR((window.top + window.bottom) / 2, (info.rcWork.top + info.rcWork.bottom) / 2, 1);
}

TEST_F(MainDlgTest, ResizingMovesExactlyFiveControls) {
    std::map<HWND, RECT> before;
    for (HWND child = ::GetWindow(dlg->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        before[child] = RectOf(child);
    }
    dlg->MoveWindow(0, 0, 1000, 700, true);
    PumpMessages();
    const RECT client = dlg->GetClientRect();
    const int cx = client.right;
    const int cy = client.bottom;

    struct Stretched {
        const char* label;
        int id;
        int rightMargin;
        int bottomMargin;  // -1: height kept
    };
    const Stretched stretched[] = {
        {"output pane", IDC_OUTPUT, 12, 10},  {"value edit", IDC_PROPERTY_VALUE, 18, -1},
        {"file list", IDC_FILE_LIST, 12, -1}, {"property frame", IDC_PROPERTY_FRAME, 12, -1},
        {"top line", IDC_TOP_LINE, 12, -1},
    };
    for (const Stretched& s : stretched) {
        SCOPED_TRACE(s.label);
        const HWND child = Item(s.id);
        const RECT was = before.at(child);
        const RECT now = RectOf(child);
        EXPECT_EQ(now.left, was.left);
        EXPECT_EQ(now.top, was.top);
        EXPECT_EQ(now.right, cx - s.rightMargin);
        EXPECT_EQ(now.bottom, s.bottomMargin < 0 ? was.bottom : cy - s.bottomMargin);
        before.erase(child);
    }
    // Everything else from the template stays where it was (the frame's caption and its
    // buttons follow the width on their own).
    for (const auto& [child, was] : before) {
        const int id = ::GetDlgCtrlID(child);
        const bool frameControl = id == IDCANCEL || (id >= ID_CAPTION_MAXIMIZE && id <= ID_CAPTION_THEME_MENU) ||
                                  (id == 0xFFFF && CWnd::FromHandlePermanent(child));
        if (frameControl) {
            continue;
        }
        SCOPED_TRACE(::GetDlgCtrlID(child));
        const RECT now = RectOf(child);
        EXPECT_TRUE(::EqualRect(&now, &was));
    }
    EXPECT_EQ(dlg->m_nWidth, cx) << "the restored size is remembered";
    EXPECT_EQ(dlg->m_nHeight, cy);
}

TEST_F(MainDlgTest, MinimumTrackingSize) {
    MINMAXINFO info{};
    dlg->SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 800);
    EXPECT_EQ(info.ptMinTrackSize.y, 600);
}

TEST_F(MainDlgTest, EscapeAndEnterDoNotClose) {
    const HWND filter = Item(IDC_FILTER);
    ::SetFocus(filter);
    PressKey(filter, VK_ESCAPE);
    EXPECT_TRUE(dlg->IsWindowVisible()) << "Escape";
    PressKey(filter, VK_RETURN);
    EXPECT_TRUE(dlg->IsWindowVisible()) << "Enter";
    PressKey(Item(IDC_FILE_LIST), VK_ESCAPE);
    EXPECT_TRUE(dlg->IsWindowVisible()) << "Escape in the list";

    // The same path does close the window for a real cancel, so the checks above can fail.
    dlg->m_skin.m_bNoExitPrompt = TRUE;
    dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    EXPECT_FALSE(dlg->IsWindowVisible());
}

// Answers the exit question from a thread timer: ticks its check box when asked, then presses
// Yes or No; records the question's text.
struct ExitAnswer {
    HWND mainWindow = nullptr;
    bool tick = false;
    bool yes = false;
    std::wstring question;
    int asked = 0;
};
ExitAnswer* g_exitAnswer = nullptr;

BOOL CALLBACK TickDontShowBox(HWND child, LPARAM) noexcept {
    wchar_t text[64] = {};
    ::GetWindowTextW(child, text, 64);
    if (std::wstring(text) == L"Do not show me this dialog again.") {
        ::SendMessageW(child, BM_CLICK, 0, 0);
    }
    return TRUE;
}

void CALLBACK AnswerExitQuestion(HWND, UINT, UINT_PTR, DWORD) noexcept {
    if (!g_exitAnswer) {
        return;
    }
    const HWND box = FindOtherDialog(g_exitAnswer->mainWindow);
    if (!box) {
        return;
    }
    ++g_exitAnswer->asked;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetDlgCtrlID(child) == 0xFFFF && (::GetWindowLongW(child, GWL_STYLE) & SS_NOPREFIX)) {
            wchar_t text[128] = {};
            ::GetWindowTextW(child, text, 128);
            g_exitAnswer->question = text;
        }
    }
    if (g_exitAnswer->tick) {
        ::EnumChildWindows(box, TickDontShowBox, 0);
    }
    ::SendMessageW(::GetDlgItem(box, g_exitAnswer->yes ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
}

TEST_F(MainDlgTest, ExitQuestion) {
    const struct {
        const char* label;
        bool tick;
        bool yes;
        bool closes;
        BOOL flagAfter;
    } cases[] = {
        {"Yes closes", false, true, true, FALSE},
        {"No keeps the window open", false, false, false, FALSE},
        {"No with the box ticked: open, and the next close asks nothing", true, false, false, TRUE},
        {"Yes with the box ticked", true, true, true, TRUE},
    };
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, AnswerExitQuestion);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        dlg->m_skin.m_bNoExitPrompt = FALSE;
        dlg->ShowWindow(SW_SHOW);
        ::SetForegroundWindow(dlg->m_hWnd);
        ::SetActiveWindow(dlg->m_hWnd);
        PumpMessages();
        ExitAnswer answer{dlg->m_hWnd, c.tick, c.yes, L"", 0};
        g_exitAnswer = &answer;
        dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        g_exitAnswer = nullptr;
        EXPECT_EQ(answer.asked, 1);
        EXPECT_EQ(answer.question, L"Do you want to exit \"Quillmark\"?");
        EXPECT_EQ(dlg->IsWindowVisible(), !c.closes);
        EXPECT_EQ(dlg->m_skin.m_bNoExitPrompt, c.flagAfter);
        if (!c.closes && c.flagAfter) {
            dlg->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            EXPECT_FALSE(dlg->IsWindowVisible()) << "closed without a question";
        }
    }
    ::KillTimer(nullptr, timer);
}

TEST_F(MainDlgTest, TitleBarButtonsStayAtTheRightEdge) {
    const auto expectButtons = [this](int top) {
        const int cx = dlg->GetClientRect().right;
        const struct {
            const char* label;
            int id;
        } buttons[] = {{"close", IDCANCEL},
                       {"maximize", ID_CAPTION_MAXIMIZE},
                       {"minimize", ID_CAPTION_MINIMIZE},
                       {"help", ID_CAPTION_HELP_MENU},
                       {"theme", ID_CAPTION_THEME_MENU}};
        int right = cx - 3;
        for (const auto& b : buttons) {
            SCOPED_TRACE(b.label);
            const RECT rect = RectOf(Item(b.id));
            EXPECT_EQ(rect.left, right - 24);
            EXPECT_EQ(rect.right, right);
            EXPECT_EQ(rect.top, top);
            EXPECT_EQ(rect.bottom, top + 22);
            right -= 25;
        }
    };
    ASSERT_EQ(GetSkinFrameWidth(dlg.get()), 3) << "a sizing frame of another width than Wine's";
    expectButtons(1);
    dlg->MoveWindow(0, 0, 1000, 700);
    PumpMessages();
    expectButtons(1);

    // A double click on the title bar maximizes and swaps the button's icon; a second restores.
    const HICON restoredIcon = dlg->m_skin.m_btnMaximize.m_hIcon;
    dlg->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 10));
    PumpMessages();
    ASSERT_TRUE(dlg->IsZoomed());
    EXPECT_NE(dlg->m_skin.m_btnMaximize.m_hIcon, restoredIcon);
    expectButtons(2);
    dlg->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 30));
    PumpMessages();
    EXPECT_TRUE(dlg->IsZoomed()) << "below the title bar a double click is no title-bar click";
    dlg->SendMessage(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(200, 25));
    PumpMessages();
    EXPECT_FALSE(dlg->IsZoomed());
    expectButtons(1);
}

TEST_F(MainDlgTest, ThemeMenuAndUpdateItem) {
    CSkinFrameEx& skin = dlg->m_skin;
    ASSERT_EQ(skin.m_menuTheme.GetMenuItemCount(), 15);
    const UINT helpOrder[] = {ID_HELP_ABOUT,     ID_HELP_ONLINE_HELP,  ID_HELP_WEB_SITE, ID_HELP_CONTACT,
                              ID_HELP_ERROR_LOG, ID_HELP_ERROR_REPORT, ID_HELP_UPDATE};
    ASSERT_EQ(skin.m_menuHelp.GetMenuItemCount(), 7);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(::GetMenuItemID(skin.m_menuHelp.m_hMenu, i), helpOrder[i]) << i;
        EXPECT_NE(skin.m_menuHelp.m_mapIcons[helpOrder[i]], nullptr) << i;
    }
    EXPECT_TRUE(::GetMenuState(skin.m_menuTheme.m_hMenu, ID_THEME_FIRST + DEFAULT_THEME, MF_BYCOMMAND) & MF_CHECKED);

    // "Light Pink" themes every skinned control, both menus and moves the check mark.
    EXPECT_EQ(skin.m_menuTheme.m_mapText[ID_THEME_FIRST + 13], L"Light Pink");
    dlg->SendMessage(WM_COMMAND, ID_THEME_FIRST + 13, 0);
    EXPECT_EQ(skin.GetTheme(), 13);
    for (HWND child = ::GetWindow(dlg->m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        CWnd* object = CWnd::FromHandlePermanent(child);
        if (auto* button = dynamic_cast<CMacButton*>(object)) {
            EXPECT_EQ(button->m_nTheme, 13) << ::GetDlgCtrlID(child);
        } else if (auto* box = dynamic_cast<CMacCheckBox*>(object)) {
            EXPECT_EQ(box->m_nTheme, 13) << ::GetDlgCtrlID(child);
        }
    }
    const ThemeColors& pink = GetThemeColors(13);
    EXPECT_EQ(dlg->m_lstProperties.m_clrSelFrame, ShiftColor(pink.clrShadow, 10));
    EXPECT_EQ(skin.m_menuHelp.m_clrBack, pink.clrLight);
    EXPECT_EQ(skin.m_menuTheme.m_clrBack, pink.clrLight);
    EXPECT_TRUE(::GetMenuState(skin.m_menuTheme.m_hMenu, ID_THEME_FIRST + 13, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(::GetMenuState(skin.m_menuTheme.m_hMenu, ID_THEME_FIRST + DEFAULT_THEME, MF_BYCOMMAND) & MF_CHECKED);

    // The update item says whether the check runs by itself.
    EXPECT_TRUE(skin.m_bAutoUpdate);
    EXPECT_EQ(skin.m_menuHelp.m_mapText[ID_HELP_UPDATE], L"Online update(Auto)");
    dlg->SendMessage(WM_COMMAND, ID_HELP_UPDATE, 0);
    EXPECT_FALSE(skin.m_bAutoUpdate);
    EXPECT_EQ(skin.m_menuHelp.m_mapText[ID_HELP_UPDATE], L"Online update");
}

// Reads the About box from a thread timer and closes it with its OK button.
struct AboutSeen {
    HWND mainWindow = nullptr;
    std::wstring title;
    std::vector<std::wstring> texts;
    int theme = -1;
};
AboutSeen* g_aboutSeen = nullptr;

void CALLBACK ReadAndCloseAbout(HWND, UINT, UINT_PTR, DWORD) noexcept {
    const HWND box = g_aboutSeen ? FindOtherDialog(g_aboutSeen->mainWindow) : nullptr;
    if (!box) {
        return;
    }
    wchar_t text[128] = {};
    ::GetWindowTextW(box, text, 128);
    g_aboutSeen->title = text;
    for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::GetWindowLongW(child, GWL_STYLE) & SS_NOPREFIX) {
            ::GetWindowTextW(child, text, 128);
            g_aboutSeen->texts.push_back(text);
        }
    }
    if (auto* dialog = dynamic_cast<CSkinDialog*>(CWnd::FromHandlePermanent(box))) {
        g_aboutSeen->theme = dialog->m_nTheme;
    }
    ::SendMessageW(::GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
    g_aboutSeen = nullptr;
}

TEST_F(MainDlgTest, AboutBoxShowsNameAndVersionInTheWindowsTheme) {
    dlg->m_skin.SetTheme(2);
    AboutSeen seen{dlg->m_hWnd, L"", {}, -1};
    g_aboutSeen = &seen;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, ReadAndCloseAbout);
    dlg->SendMessage(WM_COMMAND, ID_HELP_ABOUT, 0);
    ::KillTimer(nullptr, timer);
    g_aboutSeen = nullptr;
    EXPECT_EQ(seen.title, L"About Quillmark");
    EXPECT_EQ(seen.texts, (std::vector<std::wstring>{L"Quillmark", L"Version 3.01"}));
    EXPECT_EQ(seen.theme, 2);
    EXPECT_TRUE(dlg->IsWindowEnabled()) << "the main window is usable again";
}

std::vector<std::wstring> g_shellOpened;
void RecordShellOpen(const std::wstring& target) {
    g_shellOpened.push_back(target);
}

TEST_F(MainDlgTest, F1AndTheMenuOpenTheOnlineHelp) {
    g_shellOpened.clear();
    SetShellOpenFunction(RecordShellOpen);
    ::SetFocus(Item(IDC_FILTER));
    PressKey(Item(IDC_FILTER), VK_F1);
    dlg->SendMessage(WM_COMMAND, ID_HELP_ONLINE_HELP, 0);
    SetShellOpenFunction(nullptr);
    ASSERT_EQ(g_shellOpened.size(), 2u);
    EXPECT_EQ(g_shellOpened[0], g_shellOpened[1]) << "F1 and the menu entry do the same";
    EXPECT_EQ(g_shellOpened[0].rfind(L"https://", 0), 0u) << Narrow(g_shellOpened[0]);
    EXPECT_EQ(g_shellOpened[0].find(L".chm"), std::wstring::npos) << "never the local help file";
}

TEST_F(MainDlgTest, AnErrorReportThatCannotBeMailedOpensTheLogAndSaysWhereToSendIt) {
    g_shellOpened.clear();
    SetShellOpenFunction(RecordShellOpen);
    SetMapiLibraryPath(GetModuleFolder() + L"no-such-folder\\mapi32.dll");
    {
        BoxAnswerer answerer;
        dlg->SendMessage(WM_COMMAND, ID_HELP_ERROR_REPORT, 0);
        ASSERT_EQ(answerer.boxes().size(), 1u);
        EXPECT_EQ(answerer.boxes()[0].text, ErrorReportFallbackNotice());
        EXPECT_EQ(answerer.boxes()[0].theme, dlg->m_skin.GetTheme()) << "in the window's theme";
    }
    SetMapiLibraryPath(L"");
    SetShellOpenFunction(nullptr);
    EXPECT_EQ(g_shellOpened, std::vector<std::wstring>{GetErrorLogPath()});
}

TEST_F(MainDlgTest, DeleteKeyRemovesSelectedPropertyNames) {
    for (const wchar_t* name : {L"Summary_Author", L"Summary_Subject", L"Summary_Title"}) {
        dlg->m_lstProperties.AddString(name);
        dlg->m_mapPropertyValues[name] = std::wstring(L"value of ") + name;
    }
    dlg->m_lstProperties.SetSel(0, true);  // sorted: Author, Subject, Title
    dlg->m_lstProperties.SetSel(2, true);

    // Delete elsewhere does nothing to the list.
    const HWND filter = Item(IDC_FILTER);
    ::SetFocus(filter);
    PressKey(filter, VK_DELETE);
    EXPECT_EQ(dlg->m_lstProperties.GetCount(), 3);

    dlg->m_lstProperties.SetFocus();
    ASSERT_EQ(::GetFocus(), dlg->m_lstProperties.m_hWnd);
    PressKey(dlg->m_lstProperties.m_hWnd, VK_DELETE);
    ASSERT_EQ(dlg->m_lstProperties.GetCount(), 1);
    EXPECT_EQ(dlg->m_lstProperties.GetText(0), L"Summary_Subject");
    EXPECT_EQ(dlg->m_mapPropertyValues.size(), 1u);
    EXPECT_EQ(dlg->m_mapPropertyValues.count(L"Summary_Subject"), 1u);
}

TEST(MainDlgStartTest, CreatesThePerUserFolder) {
    const std::wstring folder = GetAppDataFolder() + L"Quillmark\\";
    ASSERT_TRUE(RemoveTree(folder));
    ASSERT_FALSE(PathExists(folder));
    CMainDlg dlg;
    EXPECT_EQ(dlg.m_strAppDataDir, folder);
    ASSERT_TRUE(dlg.Create());
    EXPECT_TRUE(PathExists(folder));
}

SIZE ClientSize(const CMainDlg& dlg) {
    const RECT client = dlg.GetClientRect();
    return SIZE{client.right, client.bottom};
}

TEST(MainDlgStartTest, SettingsSurviveARestartAndTheWindowKeepsItsSize) {
    ScopedTempDir folder;
    std::string firstFile;
    {
        CMainDlg dlg;
        dlg.m_strAppDataDir = folder.path();
        ASSERT_TRUE(dlg.Create());
        dlg.m_chkArchive.SetChecked(TRUE);
        dlg.m_chkSubDir.SetChecked(TRUE);
        dlg.m_chkCreateTime.SetChecked(FALSE);
        dlg.m_strLastFolder = L"C:\\Dokumente \u00C4\\";
        dlg.m_skin.SetTheme(13);
        EXPECT_TRUE(dlg.m_skin.m_bAutoUpdate) << "no settings.cfg: automatic update on";
        EXPECT_FALSE(dlg.m_skin.m_bNoExitPrompt) << "and the exit question asked";
        dlg.m_skin.m_bAutoUpdate = false;
        dlg.m_skin.m_bNoExitPrompt = TRUE;
        // A client area of 900 x 640: the size a user leaves the window at.
        const RECT window = dlg.GetWindowRect();
        const SIZE client = ClientSize(dlg);
        dlg.MoveWindow(0, 0, 900 + (window.right - window.left) - client.cx,
                       640 + (window.bottom - window.top) - client.cy);
        PumpMessages();
        dlg.DestroyWindow();
        ASSERT_GT(ReadWholeFile(folder.path() + L"QMK.cfg", firstFile), 0);
    }
    EXPECT_EQ(ReadTestFile(folder.path() + L"settings.cfg"), std::string("\x00\x01", 2));
    CMainDlg dlg;
    dlg.m_strAppDataDir = folder.path();
    ASSERT_TRUE(dlg.Create());
    PumpMessages();
    EXPECT_TRUE(dlg.m_chkArchive.IsChecked());
    EXPECT_TRUE(dlg.m_chkSubDir.IsChecked());
    EXPECT_FALSE(dlg.m_chkHidden.IsChecked());
    EXPECT_TRUE(dlg.m_chkCreateTime.IsChecked()) << "the time kinds always start ticked";
    EXPECT_EQ(dlg.m_strLastFolder, L"C:\\Dokumente \u00C4\\");
    EXPECT_EQ(dlg.m_skin.GetTheme(), 13);
    EXPECT_EQ(dlg.m_chkArchive.m_nTheme, 13);
    EXPECT_FALSE(dlg.m_skin.m_bAutoUpdate);
    EXPECT_TRUE(dlg.m_skin.m_bNoExitPrompt);
    EXPECT_EQ(ClientSize(dlg).cx, 900) << "the window opens at the size it was closed at";
    EXPECT_EQ(ClientSize(dlg).cy, 640);
    dlg.m_chkCreateTime.SetChecked(FALSE);  // as it was when the first file was written
    dlg.DestroyWindow();
    std::string secondFile;
    ReadWholeFile(folder.path() + L"QMK.cfg", secondFile);
    EXPECT_EQ(secondFile, firstFile) << "the same settings are written byte for byte";
}

TEST(MainDlgStartTest, ADamagedSettingsFileGivesWhatFits) {
    std::string boxes(76, '\0');
    const auto withTail = [&boxes](std::int32_t theme, std::int32_t width, std::int32_t height) {
        std::string bytes = boxes + std::string("\xFF\xFE\xFF\x00", 4);
        for (const std::int32_t value : {theme, width, height, 0}) {
            bytes.append(reinterpret_cast<const char*>(&value), 4);
        }
        return bytes;
    };
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    ::GetMonitorInfoW(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const LONG screenWidth = monitor.rcWork.right - monitor.rcWork.left;
    const struct Case {
        const char* label;
        std::string bytes;
        int theme;
        bool smallest;    // the window at its smallest size
        bool fitsScreen;  // the window no wider than the screen's work area
    } cases[] = {
        {"a theme outside the table", withTail(99, 900, 640), 10, false, true},
        {"a negative theme", withTail(-1, 900, 640), 10, false, true},
        {"a size below the smallest", withTail(3, 10, -5), 3, true, true},
        {"a size beyond the screen", withTail(4, 200000, 200000), 4, false, true},
        {"a huge string length", boxes + std::string("\xFF\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF\x7F", 10), 10, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ScopedTempDir folder;
        ASSERT_TRUE(WriteTestFile(folder.path() + L"QMK.cfg", c.bytes));
        CMainDlg dlg;
        dlg.m_strAppDataDir = folder.path();
        ASSERT_TRUE(dlg.Create());
        EXPECT_EQ(dlg.m_skin.GetTheme(), c.theme);
        const RECT window = dlg.GetWindowRect();
        if (c.smallest) {
            EXPECT_EQ(window.right - window.left, 800);
            EXPECT_EQ(window.bottom - window.top, 600);
        }
        EXPECT_LE(window.right - window.left, std::max<LONG>(800, screenWidth));
        dlg.DestroyWindow();
    }
}

TEST(MainDlgStartPermissions, AnUnwritableSettingsFolderSavesNothingAndShowsNothing) {
    SKIP_UNLESS_READONLY_ENFORCED();
    const std::wstring folder = UnwritableFolder();
    ASSERT_FALSE(folder.empty());
    {
        CMainDlg dlg;
        dlg.m_strAppDataDir = folder;
        ASSERT_TRUE(dlg.Create());
        PumpMessages();
        EXPECT_EQ(FindOtherDialog(dlg.m_hWnd), nullptr) << "no message about the folder";
    }
    EXPECT_FALSE(PathExists(folder + L"QMK.cfg"));
}

}  // namespace
