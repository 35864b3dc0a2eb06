#include "app/MainApp.h"

#include "app/MainDlg.h"
#include "support/ErrorLog.h"
#include "support/Folders.h"

#include <ole2.h>

#include <stdlib.h>
#include <time.h>

BOOL CMainApp::InitInstance() {
    // The C runtime reads a TZ variable in its own format (and misreads zone names such as
    // Europe/Berlin); without it, it follows the system's zone as the file-time calls do.
    _wputenv(L"TZ=");
    _tzset();
    // The folder chooser and the document property storage need COM on this thread.
    ::OleInitialize(nullptr);

    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);

    {
        CMainDlg dialog;
        m_pMainWnd = &dialog;
        dialog.DoModal();
        m_pMainWnd = nullptr;
    }
    // Lines held back while another program had the log are written before the program ends.
    FlushErrorLog();
    ::OleUninitialize();
    // No message loop of our own: the program ends with the main window.
    return FALSE;
}

void CMainApp::WinHelp(DWORD_PTR, UINT) {
    const std::wstring helpFile = GetModuleFolder() + L"Quillmark.chm";
    ::ShellExecuteW(nullptr, L"open", helpFile.c_str(), nullptr, nullptr, SW_SHOW);
}
