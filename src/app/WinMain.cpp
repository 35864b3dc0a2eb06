#include "app/MainApp.h"

namespace {
CMainApp theApp;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    return AfxWinMain(instance);
}
