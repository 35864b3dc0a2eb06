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

// What a process that shows the program's windows sets up first, the program, its tests and its
// benchmarks alike, and undoes when it ends: the C runtime's local time follows the system's zone
// (the runtime reads a TZ variable in a format of its own and misreads zone names such as
// Europe/Berlin), COM on this thread for the folder chooser and the document property storage,
// and every common control class.
class CProcessSetup {
public:
    CProcessSetup();
    ~CProcessSetup();
    CProcessSetup(const CProcessSetup&) = delete;
    CProcessSetup& operator=(const CProcessSetup&) = delete;
};

// The program's entry: drives the application object's start and run.
int AfxWinMain(HINSTANCE instance);
