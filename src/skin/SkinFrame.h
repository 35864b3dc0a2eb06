// CSkinFrame: the skinned decoration of a window that has no system caption. It paints the
// border in the theme's colours, puts the title bar (CCaptionBar) across the top of the client
// area with a close button on it, drags the window by the title bar and answers the window's
// control-colour requests with the theme's background. It is not a window: its owner gives it
// every message from its DefWindowProc first, and runs the default processing only when the
// frame answers 0.
#pragma once

#include "framework/Dpi.h"
#include "framework/Gdi.h"
#include "skin/CaptionBar.h"
#include "skin/MacButton.h"

#include <vector>

// Paints a skinned window border into `dc`, the DC of a whole window `width` x `height` with
// frames `frameWidth` pixels wide: the dark outer line, the inner lines, the strips beside the
// title bar (`captionHeight` pixels high) and the top border that the title bar's gradient
// continues.
void PaintSkinFrame(HDC dc, int width, int height, int frameWidth, int captionHeight, int theme);
// The top edge of the caption buttons in the client area of a window with frames `frameWidth`
// wide: with a thick frame the buttons reach one pixel up under the client edge.
inline int CaptionButtonTop(int frameWidth) {
    return frameWidth < 5 ? 1 : -1;
}

class CSkinFrame {
public:
    // At 96 DPI; the frame scales them with its window's DPI.
    static constexpr int kCaptionHeight = 26;
    static constexpr int kCaptionButtonWidth = 24;
    static constexpr int kCaptionButtonHeight = 22;
    // From one caption button's right edge to the next one's, and the first one's from the
    // client area's right edge.
    static constexpr int kCaptionButtonSpacing = 25;
    static constexpr int kCaptionButtonRightGap = 3;

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
    // The DPI the skin is drawn at: the window's when attached (and after each DPI change).
    int GetDpi() const { return m_nDpi; }
    // `length` 96-DPI pixels at the skin's DPI.
    int Scaled(int length) const { return ScaleToDpi(length, m_nDpi); }
    int CaptionHeight() const { return Scaled(kCaptionHeight); }
    // Where the caption button `index` (0 the rightmost, the close button) sits in a client
    // area `clientWidth` wide.
    RECT CaptionButtonRect(int index, int clientWidth) const;
    // Paints the border of the owner now (nothing while unattached).
    void PaintFrame() const;

protected:
    // The window has moved to a monitor of another DPI (or was told so): the frame takes the
    // suggested rectangle, remakes its title bar and icons at the new size and lays its caption
    // out again. The owner lays out its own controls afterwards.
    virtual void OnDpiChanged(int dpi, const RECT* suggested);
    // Places the title bar and the caption buttons for the owner's current size.
    virtual void LayOutCaption();
    // The caption buttons, the close button first.
    virtual std::vector<CMacButton*> CaptionButtons() { return {&m_btnClose}; }

    // Creates a caption button on the owner like the close button: flat, 24 x 22, with its icon,
    // tooltip, the name a screen reader gives it and the frame's theme.
    bool CreateCaptionButton(CMacButton& button, UINT id, const RECT& rect, UINT iconId, const wchar_t* tooltip,
                             const wchar_t* name);

    UniqueBrush m_hbrBackground;
    CCaptionBar m_wndCaption;
    int m_nTheme = 5;
    CMacButton m_btnClose;
    CWnd* m_pOwner = nullptr;
    int m_nDpi = kDesignDpi;
};
