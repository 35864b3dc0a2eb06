// The please-wait window: a small skinned window with a message and a progress bar that lives on
// a thread of its own, so it stays painted while the thread that started it is busy. Each user
// of it (the update's download, a long pass) owns its own window, so one never moves or closes
// another's.
#pragma once

#include <windows.h>

#include <memory>
#include <mutex>
#include <string>

struct PleaseWaitSession;

class CPleaseWait {
public:
    CPleaseWait() = default;
    // Ends the window if it still shows.
    ~CPleaseWait();
    CPleaseWait(const CPleaseWait&) = delete;
    CPleaseWait& operator=(const CPleaseWait&) = delete;

    // Shows the window with `text` and a bar from 0 to `total` in theme `theme`; returns at once.
    // A window this user still shows ends first. Start, SetPos and Stop may come from any thread.
    void Start(const std::wstring& text, int total, int theme);
    // Moves the bar to `position` (0 .. total) and wakes the window's thread. Reports that come
    // faster than the window repaints collapse into one showing the latest position.
    void SetPos(int position);
    // Ends the window: the bar is drawn full once, then the window goes. Does not wait for it.
    void Stop();

private:
    std::mutex m_lock;
    std::shared_ptr<PleaseWaitSession> m_session;
};

// The process's shared window, one at a time, for users that need no window of their own.
void StartPleaseWait(const std::wstring& text, int total, int theme);
void SetPleaseWaitPos(int position);
void StopPleaseWait();

// What the window started last has shown, for callers that must wait until it is up or gone.
struct PleaseWaitState {
    HWND window = nullptr;  // null before the window exists and once it is gone
    int shownPos = -1;      // the position the bar drew last; -1 before its first repaint
    int repaints = 0;       // repaints of the bar on a wake-up or at the end
    bool ended = true;      // the window's thread has finished (true when nothing was started)
};
PleaseWaitState GetPleaseWaitState();
// Windows of every user whose thread has not ended yet.
int CountPleaseWaitWindows();
