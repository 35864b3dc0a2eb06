// CSkinFrame: the skinned decoration of a window that has no system caption. It paints the
// border in the theme's colours, puts the title bar (CCaptionBar) across the top of the client
// area with a close button on it, drags the window by the title bar and answers the window's
// control-colour requests with the theme's background. It is not a window: its owner gives it
// every message from its DefWindowProc first, and runs the default processing only when the
// frame answers 0.
#pragma once

#include "framework/Gdi.h"
#include "skin/CaptionBar.h"
#include "skin/MacButton.h"

// Paints a skinned window border into `dc`, the DC of a whole window `width` x `height` with
// frames `frameWidth` pixels wide: the dark outer line, the inner lines, the strips beside the
// title bar and the top border that the title bar's gradient continues.
void PaintSkinFrame(HDC dc, int width, int height, int frameWidth, int theme);
// The top edge of the caption buttons in the client area of a window with frames `frameWidth`
// wide: with a thick frame the buttons reach one pixel up under the client edge.
inline int CaptionButtonTop(int frameWidth) {
    return frameWidth < 5 ? 1 : -1;
}

class CSkinFrame {
public:
    static constexpr int kCaptionHeight = 26;
    static constexpr int kCaptionButtonWidth = 24;
    static constexpr int kCaptionButtonHeight = 22;

    CSkinFrame() = default;
    virtual ~CSkinFrame() = default;
    CSkinFrame(const CSkinFrame&) = delete;
    CSkinFrame& operator=(const CSkinFrame&) = delete;

    // Decorates `owner` (which must have its window): the title bar, the close button (IDCANCEL
    // to the owner) and the theme. Does nothing for a window-less owner or a second time.
    virtual void Attach(CWnd* owner, int theme);
    // Records the theme; once attached, the background brush, every skinned child, the title
    // bar and the border take it.
    virtual void SetTheme(int theme);
    virtual int GetTheme() const { return m_nTheme; }
    // Non-zero when the frame has answered the message; zero lets the default processing run.
    virtual LRESULT HookMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void HideCloseButton();
    virtual HBRUSH GetBackgroundBrush() const { return m_hbrBackground.get(); }

    bool IsAttached() const { return m_btnClose.m_hWnd != nullptr; }
    // Paints the border of the owner now (nothing while unattached).
    void PaintFrame() const;

protected:
    // Creates a caption button on the owner like the close button: flat, 24 x 22, with its icon,
    // tooltip, the name a screen reader gives it and the frame's theme.
    bool CreateCaptionButton(CMacButton& button, UINT id, const RECT& rect, UINT iconId, const wchar_t* tooltip,
                             const wchar_t* name);

    UniqueBrush m_hbrBackground;
    CCaptionBar m_wndCaption;
    int m_nTheme = 5;
    CMacButton m_btnClose;
    CWnd* m_pOwner = nullptr;
};
