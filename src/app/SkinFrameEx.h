// The main window's frame: the skinned frame of every window, with maximize, minimize, help-menu
// and theme-menu buttons on the title bar, the two menus, and the two switches kept in
// settings.cfg.
#pragma once

#include "skin/SkinFrame.h"
#include "skin/SkinMenu.h"
#include "update/UpdateChecker.h"

#include <string>

class CSkinFrameEx : public CSkinFrame {
public:
    CSkinFrameEx() = default;
    // Saves the two switches to settings.cfg: the frame lives as long as the program's window.
    ~CSkinFrameEx() override;

    virtual void AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder, const std::wstring& productName);
    // The online help page; F1 in the main window and the help menu's entry.
    virtual void ShowOnlineHelp();
    // The help menu and the theme menu, from the keyboard (F10, or Alt alone).
    void OpenKeyboardMenu();
    void SetTheme(int theme) override;
    LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The switches kept in settings.cfg beside QMK.cfg.
    void LoadSettings();
    void SaveSettings() const;

    BOOL m_bNoExitPrompt = FALSE;
    CMacButton m_btnMaximize;
    CMacButton m_btnMinimize;
    CMacButton m_btnTheme;
    CMacButton m_btnHelp;
    CSkinMenu m_menuHelp;
    CSkinMenu m_menuTheme;
    std::wstring m_strProduct;
    std::wstring m_strDataFolder;
    bool m_bAutoUpdate = true;
    CUpdateChecker m_updater;

protected:
    // A command of the help menu; true when it was one.
    virtual bool OnHelpCommand(UINT id);

    void LayOutCaption() override;
    std::vector<CMacButton*> CaptionButtons() override;
    void OnDpiChanged(int dpi, const RECT* suggested) override;

private:
    void BuildMenus();
    // The menus' item height, text width and icons at the frame's DPI.
    void SizeMenus();
    void ToggleMaximized();
    // The maximize button shows "restore" while the window is maximized.
    void ShowMaximizedState();
    bool m_bShowsRestore = false;
    // Shows `menu` below `button` and carries out the chosen command.
    void TrackMenuBelow(const CSkinMenu& menu, const CMacButton& button);
    void CheckTheme();
};
