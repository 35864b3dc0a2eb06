#include "skin/SkinDialog.h"

#include "framework/Dpi.h"
#include "resources/resource.h"

CSkinDialog::CSkinDialog() : CDialog(IDD_SKIN_DIALOG, nullptr) {}

CSkinDialog::~CSkinDialog() {
    // The window goes first, while the frame and the font it uses still exist.
    DestroyWindow();
}

HFONT CSkinDialog::GetDialogFont() {
    if (!m_font) {
        // 9 points at every DPI: 12 pixels at 96.
        m_font.reset(::CreateFontW(-ScaleToDpi(12, GetWindowDpi(m_hWnd)), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                   ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                   DEFAULT_PITCH, L"Tahoma"));
    }
    return m_font.get();
}

BOOL CSkinDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetFont(GetDialogFont(), true);
    m_skin.Attach(this, m_nTheme);
    return TRUE;
}

void CSkinDialog::OnDestroy() {
    Default();
    m_font.reset();
}

LRESULT CSkinDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const LRESULT handled = m_skin.HookMessage(message, wParam, lParam)) {
        return handled;
    }
    return CDialog::DefWindowProc(message, wParam, lParam);
}
