#include "app/SkinFrameEx.h"

#include "dialogs/AboutDlg.h"
#include "dialogs/MessageBox.h"
#include "resources/resource.h"
#include "skin/Painting.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"
#include "support/MainSettings.h"
#include "support/SupportCommands.h"

#include <cstdint>
#include <vector>

namespace {

constexpr wchar_t kFrameSettingsFileName[] = L"settings.cfg";
// At 96 DPI.
constexpr int kMenuItemHeight = 24;
constexpr int kMenuTextWidth = 130;

struct MenuEntry {
    UINT id;
    UINT icon;
    const wchar_t* text;
};
// The help menu, top to bottom.
constexpr MenuEntry kHelpMenu[] = {
    {ID_HELP_ABOUT, IDI_ABOUT, L"About..."},
    {ID_HELP_ONLINE_HELP, IDI_HELP, L"Online help (F1)"},
    {ID_HELP_WEB_SITE, IDI_WEBSITE, L"Visit our website"},
    {ID_HELP_CONTACT, IDI_CONTACT, L"Contact us"},
    {ID_HELP_ERROR_LOG, IDI_ERRORLOG, L"Open error log"},
    {ID_HELP_ERROR_REPORT, IDI_REPORT, L"Report error to us"},
    {ID_HELP_UPDATE, IDI_UPDATE, L"Online update(Auto)"},
};

const wchar_t* UpdateItemText(bool autoUpdate) {
    return autoUpdate ? L"Online update(Auto)" : L"Online update";
}

HICON LoadSmallIcon(UINT id, int dpi) {
    const int size = SmallIconSizeForDpi(dpi);
    return static_cast<HICON>(
        ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
}

}  // namespace

void CSkinFrameEx::AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder, const std::wstring& productName) {
    Attach(owner, theme);
    if (!IsAttached()) {
        return;
    }
    m_strDataFolder = dataFolder;
    LoadSettings();
    const int cx = owner->GetClientRect().right;
    const auto at = [this, cx](int index) { return CaptionButtonRect(index, cx); };
    CreateCaptionButton(m_btnMaximize, ID_CAPTION_MAXIMIZE, at(1), IDI_MAXIMIZE, L"Maximize", L"Maximize");
    CreateCaptionButton(m_btnMinimize, ID_CAPTION_MINIMIZE, at(2), IDI_MINIMIZE, L"Minimize", L"Minimize");
    // The two menus also open from the keyboard, which their tooltips tell.
    CreateCaptionButton(m_btnHelp, ID_CAPTION_HELP_MENU, at(3), IDI_ABOUT, L"Show help menu (F10 or Alt)", L"Help");
    CreateCaptionButton(m_btnTheme, ID_CAPTION_THEME_MENU, at(4), IDI_THEME, L"Select color theme. (F10 or Alt)",
                        L"Colour theme");
    BuildMenus();
    m_strProduct = productName;
    m_updater.m_hMainWnd = owner->m_hWnd;
    m_updater.m_nTheme = m_nTheme;
    if (m_bAutoUpdate) {
        m_updater.StartAutoUpdate(m_strProduct);
    }
    // Minimizing and maximizing by ShowWindow then behave as for any top-level window.
    owner->ModifyStyle(0, WS_MINIMIZEBOX | WS_MAXIMIZEBOX);
    SetTheme(m_nTheme);
}

void CSkinFrameEx::BuildMenus() {
    const HFONT font = m_pOwner->GetFont();
    for (CSkinMenu* menu : {&m_menuHelp, &m_menuTheme}) {
        menu->CreatePopupMenu();
        menu->m_pFont = font;
    }
    for (const MenuEntry& entry : kHelpMenu) {
        m_menuHelp.AppendItem(entry.id == ID_HELP_UPDATE ? UpdateItemText(m_bAutoUpdate) : entry.text, entry.id);
    }
    for (int theme = 0; theme < THEME_COUNT; ++theme) {
        m_menuTheme.AppendItem(g_themeNames[theme], ID_THEME_FIRST + static_cast<UINT>(theme));
    }
    SizeMenus();
}

void CSkinFrameEx::SizeMenus() {
    for (CSkinMenu* menu : {&m_menuHelp, &m_menuTheme}) {
        menu->m_nItemHeight = Scaled(kMenuItemHeight);
        menu->m_nTextWidth = Scaled(kMenuTextWidth);
    }
    for (const MenuEntry& entry : kHelpMenu) {
        m_menuHelp.SetItemIcon(entry.id, LoadSmallIcon(entry.icon, m_nDpi), SmallIconSizeForDpi(m_nDpi));
    }
}

std::vector<CMacButton*> CSkinFrameEx::CaptionButtons() {
    return {&m_btnClose, &m_btnMaximize, &m_btnMinimize, &m_btnHelp, &m_btnTheme};
}

void CSkinFrameEx::OnDpiChanged(int dpi, const RECT* suggested) {
    CSkinFrame::OnDpiChanged(dpi, suggested);
    SizeMenus();
}

void CSkinFrameEx::ShowOnlineHelp() {
    ::ShowOnlineHelp();
}

CSkinFrameEx::~CSkinFrameEx() {
    SaveSettings();
}

void CSkinFrameEx::SetTheme(int theme) {
    CSkinFrame::SetTheme(theme);
    if (!IsAttached()) {
        return;
    }
    m_updater.m_nTheme = m_nTheme;
    m_menuHelp.SetTheme(m_nTheme);
    m_menuTheme.SetTheme(m_nTheme);
    CheckTheme();
}

void CSkinFrameEx::CheckTheme() {
    for (int theme = 0; theme < THEME_COUNT; ++theme) {
        m_menuTheme.CheckMenuItem(ID_THEME_FIRST + static_cast<UINT>(theme),
                                  MF_BYCOMMAND | (theme == m_nTheme ? MF_CHECKED : MF_UNCHECKED));
    }
}

void CSkinFrameEx::LoadSettings() {
    std::string bytes;
    if (m_strDataFolder.empty() || ReadWholeFile(m_strDataFolder + kFrameSettingsFileName, bytes) < 0) {
        return;  // the defaults stand: automatic update on, the exit question asked
    }
    const FrameSettings settings =
        ParseFrameSettings(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    m_bAutoUpdate = settings.autoUpdate;
    m_bNoExitPrompt = settings.noExitPrompt ? TRUE : FALSE;
}

void CSkinFrameEx::SaveSettings() const {
    if (m_strDataFolder.empty()) {
        return;  // never attached to a window with a settings folder
    }
    const std::vector<std::uint8_t> bytes = SerializeFrameSettings({m_bAutoUpdate, m_bNoExitPrompt != FALSE});
    const std::wstring path = m_strDataFolder + kFrameSettingsFileName;
    if (!WriteWholeFile(path, std::string(bytes.begin(), bytes.end()))) {
        LogError(L"The settings could not be saved to %s (error %lu).", path.c_str(),
                 static_cast<unsigned long>(::GetLastError()));
    }
}

void CSkinFrameEx::LayOutCaption() {
    const int cx = m_pOwner->GetClientRect().right;
    m_wndCaption.MoveWindow(0, 0, cx, CaptionHeight(), true);
    m_wndCaption.Invalidate();
    int index = 0;
    for (CMacButton* button : CaptionButtons()) {
        const RECT rect = CaptionButtonRect(index, cx);
        button->MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, true);
        button->Invalidate();
        ++index;
    }
}

void CSkinFrameEx::ToggleMaximized() {
    m_pOwner->ShowWindow(m_pOwner->IsZoomed() ? SW_SHOWNORMAL : SW_MAXIMIZE);
    ShowMaximizedState();
}

void CSkinFrameEx::ShowMaximizedState() {
    // Called on every size change too: the window is also maximized and restored by the system
    // menu, the keyboard and the shell, and the button must show what a click on it will do.
    const bool zoomed = m_pOwner->IsZoomed();
    if (m_bShowsRestore == zoomed) {
        return;
    }
    m_bShowsRestore = zoomed;
    m_btnMaximize.SetIconResource(zoomed ? IDI_RESTORE : IDI_MAXIMIZE);
    m_btnMaximize.m_strAccessibleName = zoomed ? L"Restore" : L"Maximize";
    m_btnMaximize.Invalidate();
}

void CSkinFrameEx::OpenKeyboardMenu() {
    // Both menus under one, opened below the title bar's menu buttons with its first entry
    // selected, as a menu bar's menus open from the keyboard. The two menus stay their objects':
    // they are taken out again before the holder is destroyed.
    CMenu holder;
    if (!holder.CreatePopupMenu() ||
        !holder.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(m_menuHelp.m_hMenu), L"&Help") ||
        !holder.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(m_menuTheme.m_hMenu), L"Colour &theme")) {
        holder.DetachSubmenus();
        return;
    }
    m_pOwner->PostMessage(WM_KEYDOWN, VK_DOWN, 0);
    const RECT below = m_btnHelp.GetWindowRect();
    const UINT chosen =
        holder.TrackPopupMenu(TPM_RIGHTALIGN | TPM_RIGHTBUTTON, below.right, below.bottom, m_pOwner->m_hWnd);
    holder.DetachSubmenus();
    if (chosen != 0) {
        m_pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    }
}

void CSkinFrameEx::TrackMenuBelow(const CSkinMenu& menu, const CMacButton& button) {
    const RECT below = button.GetWindowRect();
    const UINT chosen =
        menu.TrackPopupMenu(TPM_RIGHTALIGN | TPM_RIGHTBUTTON, below.right, below.bottom, m_pOwner->m_hWnd);
    if (chosen != 0) {
        // The menu returns its command rather than posting it; it goes the way a posted one would.
        m_pOwner->SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
    }
}

bool CSkinFrameEx::OnHelpCommand(UINT id) {
    switch (id) {
        case ID_HELP_ABOUT: {
            CAboutDlg about(m_strProduct);
            about.m_nTheme = m_nTheme;
            about.DoModal();
            return true;
        }
        case ID_HELP_ONLINE_HELP:
            ShowOnlineHelp();
            return true;
        case ID_HELP_WEB_SITE:
            OpenHomePage();
            return true;
        case ID_HELP_CONTACT:
            OpenSupportPage();
            return true;
        case ID_HELP_ERROR_LOG:
            OpenErrorLog();
            return true;
        case ID_HELP_ERROR_REPORT:
            if (!SendErrorReport()) {
                MacMessageBox(ErrorReportFallbackNotice(), m_nTheme);
            }
            return true;
        case ID_HELP_UPDATE:
            m_bAutoUpdate = !m_bAutoUpdate;
            m_menuHelp.SetUpdateItemText(UpdateItemText(m_bAutoUpdate));
            // Switching the automatic check on checks at once; switching it off starts nothing.
            if (m_bAutoUpdate) {
                m_updater.CheckForUpdate(true, m_strProduct);
            }
            return true;
        default:
            return false;
    }
}

LRESULT CSkinFrameEx::HookMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CSkinFrame::HookMessage(message, wParam, lParam);
    if (!IsAttached()) {
        return result;
    }
    switch (message) {
        case WM_SIZE:
            LayOutCaption();
            ShowMaximizedState();
            return result;
        case WM_SYSCOMMAND:
            // Alt pressed and released alone, or F10: the window has no menu bar, so its menus open.
            // Alt+Space (the character in lParam) keeps the window's own menu.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0) {
                OpenKeyboardMenu();
                return 1;
            }
            return result;
        case WM_ACTIVATE:
            for (CMacButton* button : {&m_btnMaximize, &m_btnMinimize, &m_btnHelp, &m_btnTheme}) {
                button->Invalidate();
            }
            return result;
        case WM_LBUTTONDBLCLK:
            // A double click on the title bar toggles maximize, as on any title bar.
            if (HIWORD(lParam) < CaptionHeight()) {
                m_pOwner->PostMessage(WM_COMMAND, ID_CAPTION_MAXIMIZE, 0);
            }
            return result;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            if (m_menuHelp.RouteOwnerDraw(message, lParam) || m_menuTheme.RouteOwnerDraw(message, lParam)) {
                return TRUE;
            }
            return result;
        case WM_COMMAND:
            break;
        default:
            return result;
    }
    const UINT id = LOWORD(wParam);
    if (HIWORD(wParam) == 0) {
        switch (id) {
            case ID_CAPTION_MAXIMIZE:
                ToggleMaximized();
                return result;
            case ID_CAPTION_MINIMIZE:
                m_pOwner->ShowWindow(SW_SHOWMINNOACTIVE);
                return result;
            case ID_CAPTION_HELP_MENU:
                TrackMenuBelow(m_menuHelp, m_btnHelp);
                return result;
            case ID_CAPTION_THEME_MENU:
                TrackMenuBelow(m_menuTheme, m_btnTheme);
                return result;
            default:
                break;
        }
    }
    if (wParam >= ID_THEME_FIRST && wParam < ID_THEME_FIRST + THEME_COUNT) {
        SetTheme(static_cast<int>(wParam - ID_THEME_FIRST));
        return 1;
    }
    if (wParam >= ID_HELP_ABOUT && wParam <= ID_HELP_ERROR_LOG && OnHelpCommand(static_cast<UINT>(wParam))) {
        return 1;
    }
    return result;
}
