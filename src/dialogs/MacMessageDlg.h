// CMacMessageDlg: the program's own message box, a modal dialog that sizes itself to its text and
// asks either OK alone or Yes / No, optionally with a "Do not show me this dialog again." box.
#pragma once

#include "framework/Controls.h"
#include "skin/MacButton.h"
#include "skin/MacCheckBox.h"
#include "skin/SkinDialog.h"

#include "framework/DpiScale.h"

#include <string>

// Where everything of the box goes, in pixels relative to the box's window (not its client area).
struct MessageBoxLayout {
    int cxBox = 0;
    int cyBox = 0;
    RECT text{};
    RECT button1{};
    RECT button2{};  // empty when the second button is hidden
    bool showButton2 = false;
    bool showCheck = false;
    RECT check{};  // empty when there is no check box
};

// The arrangement for a message `textWidth` wide on one line and `wrappedHeight` high when
// wrapped at MessageWrapWidth(maxWidth). `type` is CMacMessageDlg::kTypeOk or kTypeYesNo; the
// check box exists only in the Yes / No layout; `checkWidth` is what the check box and its label
// need on one line. The measures are pixels at `dpi`; the box's own margins, button sizes and
// least width are given at 96 DPI and scaled to it.
MessageBoxLayout LayOutMessageBox(int textWidth, int wrappedHeight, int maxWidth, int type, bool showCheck,
                                  int checkWidth, int dpi = kDesignDpi);
inline int MessageWrapWidth(int maxWidth, int dpi = kDesignDpi) {
    return maxWidth - ScaleToDpi(55, dpi);
}

class CMacMessageDlg : public CSkinDialog {
public:
    // Button layouts.
    static constexpr int kTypeOk = 0;     // "&OK" alone, titled "Message"
    static constexpr int kTypeYesNo = 1;  // "&Yes" and "&No", titled "Please select"

    // The box is owned by `parent`, or when there is none by this thread's active window. A box
    // with no owner at all (asked from a thread without windows) stays in front of every window.
    explicit CMacMessageDlg(CWnd* parent = nullptr);
    ~CMacMessageDlg() override;

    // Shows `text` modally in layout `type`; IDOK for the first button or Enter, IDCANCEL for the
    // second, Escape or closing the window, -1 when the box could not be created.
    virtual int ShowMessage(const std::wstring& text, int type);

    BOOL PreTranslateMessage(MSG* msg) override;

    CMacButton m_btn1;
    CMacButton m_btn2;
    std::wstring m_strMessage;
    int m_nType = kTypeOk;
    CStatic m_stcMessage;
    int m_nMaxWidth = 500;
    bool m_bShowCheck = false;
    // The check box's state when the box closed; stays true when there was no check box.
    bool m_bDontShowAgain = true;
    CMacCheckBox m_chkDontShow;

protected:
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
    BOOL OnInitDialog() override;

private:
    // The message's single-line width and its height wrapped at the wrap width, in `font`.
    SIZE MeasureMessage(HFONT font) const;
    // The width the "Do not show me this dialog again." box needs for its label in `font`.
    int MeasureCheckBox(HFONT font) const;
    // Creates a child control whose rectangle is given relative to the box's window.
    bool CreateChild(CWnd& child, const wchar_t* className, const wchar_t* text, DWORD style, const RECT& windowRect,
                     UINT id, HFONT font);
};
