// The main window's frame: the skinned frame of every window, laid out again whenever the
// resizable main window changes size.
#pragma once

#include "skin/SkinFrame.h"

#include <string>

class CSkinFrameEx : public CSkinFrame {
public:
    CSkinFrameEx() = default;
    // Saves the two switches to settings.cfg: the frame lives as long as the program's window.
    ~CSkinFrameEx() override;

    virtual void AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder, const std::wstring& productName);
    LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The switches kept in settings.cfg beside QMK.cfg.
    void LoadSettings();
    void SaveSettings() const;

    BOOL m_bNoExitPrompt = FALSE;
    bool m_bAutoUpdate = true;

private:
    void LayOut();

    std::wstring m_strDataFolder;
    std::wstring m_strProduct;
};
