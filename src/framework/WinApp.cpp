#include "framework/WinApp.h"

#include <commctrl.h>
#include <ole2.h>

#include <stdlib.h>
#include <time.h>

namespace {
CWinApp* g_app = nullptr;
}

CWinApp::CWinApp() {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) {
        g_app = nullptr;
    }
}

CWinApp* AfxGetApp() {
    return g_app;
}

int CWinApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        CWnd::ProcessMessage(msg);
    }
    return ExitInstance();
}

void CWinApp::WinHelp(DWORD_PTR, UINT) {}

int AfxWinMain(HINSTANCE instance) {
    CWinApp* app = AfxGetApp();
    if (!app) {
        return 1;
    }
    app->m_hInstance = instance;
    try {
        if (!app->InitInstance()) {
            return app->ExitInstance();
        }
        return app->Run();
    } catch (...) {
        return 1;
    }
}

CProcessSetup::CProcessSetup() {
    _wputenv(L"TZ=");
    _tzset();
    ::OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
}

CProcessSetup::~CProcessSetup() {
    ::OleUninitialize();
}
