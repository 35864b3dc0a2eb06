// The main window's frame: a caption across the top of the client area that shows the title and
// drags the window, and a close button. It sees every message of its window first.
#pragma once

#include "framework/Controls.h"

#include <string>

class CSkinFrameEx {
public:
    CSkinFrameEx() = default;
    virtual ~CSkinFrameEx() = default;
    CSkinFrameEx(const CSkinFrameEx&) = delete;
    CSkinFrameEx& operator=(const CSkinFrameEx&) = delete;

    void AttachMain(CWnd* owner, int theme, const std::wstring& dataFolder, const std::wstring& productName);
    bool IsAttached() const { return m_btnClose.m_hWnd != nullptr; }
    // Records the theme; once attached, the window's skinned controls take it too.
    virtual void SetTheme(int theme);
    int GetTheme() const { return m_nTheme; }
    // Non-zero when the frame handled the message; zero lets the default processing run.
    virtual LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam);

    static constexpr int kCaptionHeight = 26;

    BOOL m_bNoExitPrompt = FALSE;

private:
    void LayOut(int cx);

    CWnd* m_pOwner = nullptr;
    int m_nTheme = 10;
    std::wstring m_strDataFolder;
    std::wstring m_strProductName;
    CStatic m_caption;
    CButton m_btnClose;
};
