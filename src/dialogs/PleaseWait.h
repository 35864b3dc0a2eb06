// The please-wait window: a small skinned window with a message and a progress bar that lives on
// a thread of its own, so it stays painted while the thread that started it is busy. Only one
// exists at a time.
#pragma once

#include <string>

// Shows the window with `text` and a bar from 0 to `total` in theme `theme`; returns at once.
void StartPleaseWait(const std::wstring& text, int total, int theme);
// Moves the bar to `position` (0 .. total) and wakes the window's thread. Reports that come
// faster than the window repaints collapse into one showing the latest position.
void SetPleaseWaitPos(int position);
// Ends the window: the bar is drawn full once, then the window goes. Does not wait for it.
void StopPleaseWait();

#include <windows.h>

// What the window started last has shown, for callers that must wait until it is up or gone.
struct PleaseWaitState {
    HWND window = nullptr;  // null before the window exists and once it is gone
    int shownPos = -1;      // the position the bar drew last; -1 before its first repaint
    int repaints = 0;       // repaints of the bar on a wake-up or at the end
    bool ended = true;      // the window's thread has finished (true when nothing was started)
};
PleaseWaitState GetPleaseWaitState();
