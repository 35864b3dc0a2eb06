#include "framework/Dpi.h"

#include <initializer_list>

int GetWindowDpi(HWND hwnd) {
    // Loaded at run time: the program still starts on systems older than the function.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const GetDpiForWindowFn getDpiForWindow = [] {
        const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
        return user32 ? reinterpret_cast<GetDpiForWindowFn>(
                            reinterpret_cast<void*>(::GetProcAddress(user32, "GetDpiForWindow")))
                      : nullptr;
    }();
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd); dpi != 0) {
            return static_cast<int>(dpi);
        }
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
    if (screen) {
        ::ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDesignDpi;
}

int SmallIconSizeForDpi(int dpi) {
    const int wanted = ScaleToDpi(16, dpi);
    int size = 16;
    for (const int drawn : {20, 24, 32}) {
        if (drawn <= wanted) {
            size = drawn;
        }
    }
    return size;
}
