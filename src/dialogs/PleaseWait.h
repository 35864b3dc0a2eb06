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
