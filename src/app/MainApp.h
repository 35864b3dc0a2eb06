// CMainApp: the application object. It runs the main window modally and ends with it.
#pragma once

#include "framework/WinApp.h"

class CMainApp : public CWinApp {
public:
    BOOL InitInstance() override;
    // Opens the local help file beside the program.
    void WinHelp(DWORD_PTR data, UINT command) override;
};
