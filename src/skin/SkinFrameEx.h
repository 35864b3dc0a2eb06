// The main window's frame: the skinned frame of every window, laid out again whenever the
// resizable main window changes size.
#pragma once

#include "skin/SkinFrame.h"

#include <string>

class CSkinFrameEx : public CSkinFrame {
public:
    CSkinFrameEx() = default;

    virtual void AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder, const std::wstring& productName);
    LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    BOOL m_bNoExitPrompt = FALSE;

private:
    void LayOut();

    std::wstring m_strDataFolder;
    std::wstring m_strProduct;
};
