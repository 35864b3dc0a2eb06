// The DPI a window is shown at. Per-monitor aware, a window's DPI is its monitor's and changes
// when it moves to another; every pixel length the skin draws is scaled from 96 DPI with it.
#pragma once

#include "framework/DpiScale.h"

#include <windows.h>

// GetDpiForWindow where the system has it (Windows 10 1607 on), else the screen's LOGPIXELSY,
// the one DPI of a system-aware process. A null window gives the screen's.
int GetWindowDpi(HWND hwnd);

// `length` 96-DPI pixels at the DPI of `hwnd`.
inline int ScaleForWindow(HWND hwnd, int length) {
    return ScaleToDpi(length, GetWindowDpi(hwnd));
}

// The small-icon size to load at `dpi`: 16, 20, 24 or 32 pixels, the nearest size the icons
// are drawn in that is not larger than 16 scaled (so an icon never comes out stretched).
int SmallIconSizeForDpi(int dpi);
