// Answers the program's message boxes as a user would, whichever thread of this process shows
// them, from a timer of the thread that made the answerer (that thread must pump messages).
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class BoxAnswerer {
public:
    struct Box {
        std::wstring text;
        int type = -1;  // CMacMessageDlg::kTypeOk or kTypeYesNo
        int theme = -1;
        DWORD thread = 0;
    };

    // Each box gets the next answer (true: the first button, OK or Yes); when none is left, No
    // or OK.
    explicit BoxAnswerer(std::deque<bool> answers = {});
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    const std::vector<Box>& boxes() const { return m_boxes; }
    // Called with each box as it is found, before it is answered.
    std::function<void(Box)> onBox;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) noexcept;
    static BOOL CALLBACK OnWindow(HWND hwnd, LPARAM lParam) noexcept;
    void Answer(HWND box);

    std::deque<bool> m_answers;
    std::vector<Box> m_boxes;
    std::vector<HWND> m_answered;
    UINT_PTR m_timer = 0;
    static inline BoxAnswerer* s_current = nullptr;
};
