#include "app/MainApp.h"

#include "app/MainDlg.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

BOOL CMainApp::InitInstance() {
    const CProcessSetup setup;
    {
        CMainDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    // Lines held back while another program had the log are written before the program ends.
    FlushErrorLog();
    // No message loop of our own: the program ends with the main window.
    return FALSE;
}

void CMainApp::WinHelp(DWORD_PTR, UINT) {
    const std::wstring helpFile = GetModuleFolder() + L"Quillmark.chm";
    ::ShellExecuteW(nullptr, L"open", helpFile.c_str(), nullptr, nullptr, SW_SHOW);
}
