// Entry of the Windows tests: the process set up as the program sets itself up.
#include "framework/WinApp.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdlib.h>
#include <string.h>
#include <time.h>

namespace {

// `win_tests.exe --button-state <window>`: asks a button of another process for its state, as an
// accessibility tool or an automation client would. The exit code is BM_GETCHECK in the low byte
// and BM_GETSTATE in the next; 0xFFFFFF for a window that is not there.
int ProbeButtonState(const char* window) {
    const HWND button = reinterpret_cast<HWND>(static_cast<INT_PTR>(_strtoi64(window, nullptr, 0)));
    if (!::IsWindow(button)) {
        return 0xFFFFFF;
    }
    const LRESULT check = ::SendMessageW(button, BM_GETCHECK, 0, 0);
    const LRESULT state = ::SendMessageW(button, BM_GETSTATE, 0, 0);
    return static_cast<int>((check & 0xFF) | ((state & 0xFF) << 8));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && strcmp(argv[1], "--button-state") == 0) {
        return ProbeButtonState(argv[2]);
    }
    // As the program does (the harness pins TZ=UTC for Wine, which Wine's kernel reads before
    // the runtime's zone is set to follow it).
    const CProcessSetup setup;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
