// CWinApp: the one application object; the entry point runs its InitInstance.
#pragma once

#include "framework/Wnd.h"

class CWinApp {
public:
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // Returns TRUE to run a message loop of the application's own, FALSE to end the program.
    virtual BOOL InitInstance() { return TRUE; }
    virtual int Run();
    virtual int ExitInstance() { return 0; }
    virtual void WinHelp(DWORD_PTR data, UINT command);

    CWnd* m_pMainWnd = nullptr;
    HINSTANCE m_hInstance = nullptr;
};

CWinApp* AfxGetApp();

// The program's entry: drives the application object's start and run.
int AfxWinMain(HINSTANCE instance);
