#include "dialogs/AboutDlg.h"

#include "framework/Dpi.h"
#include "resources/Version.h"

namespace {

// At 96 DPI, as every length of the box.
constexpr int kWidth = 260;
constexpr int kHeight = 150;

}  // namespace

CAboutDlg::CAboutDlg(std::wstring product) : m_strProduct(std::move(product)) {
    if (m_strProduct.empty()) {
        m_strProduct = kProductName;
    }
}

BOOL CAboutDlg::OnInitDialog() {
    SetWindowText(L"About " + m_strProduct);
    const int dpi = GetWindowDpi(m_hWnd);
    const auto S = [dpi](int length) { return ScaleToDpi(length, dpi); };
    MoveWindow(0, 0, S(kWidth), S(kHeight), false);
    CSkinDialog::OnInitDialog();
    CenterWindow();
    const HFONT font = GetDialogFont();
    const int cx = GetClientRect().right;
    const auto make = [this, font](CWnd& control, const wchar_t* className, const std::wstring& text, DWORD style,
                                   const RECT& rect, UINT id) {
        control.CreateEx(0, className, text.c_str(), WS_CHILD | WS_VISIBLE | style, rect, m_hWnd, id);
        control.SetFont(font, false);
    };
    make(m_stcName, L"Static", m_strProduct, SS_CENTER | SS_NOPREFIX, RECT{S(10), S(44), cx - S(10), S(62)}, 0xFFFF);
    make(m_stcVersion, L"Static", std::wstring(L"Version ") + kProgramVersion, SS_CENTER | SS_NOPREFIX,
         RECT{S(10), S(64), cx - S(10), S(82)}, 0xFFFF);
    make(m_btnOk, L"Button", L"&OK", WS_TABSTOP | BS_FLAT,
         RECT{(cx - S(68)) / 2, S(96), (cx - S(68)) / 2 + S(68), S(119)}, IDOK);
    m_btnOk.ApplyTheme(m_nTheme);
    return TRUE;
}
