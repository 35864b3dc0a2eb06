// Entry of the Windows tests: the process set up as the program sets itself up.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdlib.h>
#include <time.h>

int main(int argc, char** argv) {
    // As the program does: the C runtime follows the system's zone (the harness pins TZ=UTC
    // for Wine, which Wine's kernel reads before this).
    _wputenv(L"TZ=");
    _tzset();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    ::OleInitialize(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ::OleUninitialize();
    return result;
}
