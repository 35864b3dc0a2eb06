// quill_probe: drives a running Quillmark from another process, the way an accessibility tool or
// a test robot would: it finds windows by title, reads controls with the platform's messages and
// clicks with BM_CLICK. It links nothing of the program, so it only sees what any outside tool sees.
//
//   quill_probe checks           every check box of the main window: "<0|1|2> <text>"
//   quill_probe close            posts the title bar's close command (IDCANCEL) to the main window
//   quill_probe wait-question    waits for the exit question; prints its text and its box's state
//   quill_probe tick             clicks the question's check box; prints its state afterwards
//   quill_probe answer yes|no    clicks "&Yes" or "&No" of the question
//   quill_probe wait-main        waits for the main window
//   quill_probe wait-gone [question]  waits until the main window (or the question) has gone
//
// Exit code 0 on success, 1 when a window or control is missing or a wait ran out, 2 on bad usage.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t kMainTitle[] = L"Quillmark  3.01";
const wchar_t kQuestionTitle[] = L"Please select";
const DWORD kWaitMs = 15000;
// A send that the target does not answer in this time counts as a failure, not a hang.
const UINT kSendMs = 5000;

bool Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result) {
    DWORD_PTR ignored = 0;
    return ::SendMessageTimeoutW(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendMs,
                                 result ? result : &ignored) != 0;
}

std::wstring Text(HWND hwnd) {
    // WM_GETTEXT is marshalled between processes: a buffer of ours is enough.
    wchar_t buffer[512] = {};
    DWORD_PTR length = 0;
    if (!Send(hwnd, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), &length)) {
        return L"";
    }
    return std::wstring(buffer, length < 512 ? length : 511);
}

std::wstring ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    return name;
}

// A check box: a platform check-box type, or an owner-drawn button that is not flat (the
// program's skinned check boxes are owner-drawn; its skinned push buttons are flat and owner-drawn).
bool IsCheckBox(HWND hwnd) {
    if (ClassOf(hwnd) != L"Button") {
        return false;
    }
    const LONG style = ::GetWindowLongW(hwnd, GWL_STYLE);
    switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
        return true;
    case BS_OWNERDRAW:
        return (style & BS_FLAT) == 0;
    default:
        return false;
    }
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> found;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        found.push_back(child);
    }
    return found;
}

// The top-level window titled `title`; a question only counts when it belongs to the main
// window's process, so that another program's window of that name is never driven.
HWND FindTop(const wchar_t* title, DWORD process) {
    for (HWND hwnd = ::FindWindowExW(nullptr, nullptr, nullptr, title); hwnd;
         hwnd = ::FindWindowExW(nullptr, hwnd, nullptr, title)) {
        DWORD owner = 0;
        ::GetWindowThreadProcessId(hwnd, &owner);
        if (process == 0 || owner == process) {
            return hwnd;
        }
    }
    return nullptr;
}

HWND WaitFor(const wchar_t* title, DWORD process) {
    const ULONGLONG end = ::GetTickCount64() + kWaitMs;
    for (;;) {
        if (HWND hwnd = FindTop(title, process)) {
            return hwnd;
        }
        if (::GetTickCount64() >= end) {
            return nullptr;
        }
        ::Sleep(50);
    }
}

int Missing(const wchar_t* what) {
    std::fwprintf(stderr, L"quill_probe: %ls not found\n", what);
    return 1;
}

LRESULT CheckOf(HWND box) {
    DWORD_PTR check = 0;
    return Send(box, BM_GETCHECK, 0, 0, &check) ? static_cast<LRESULT>(check) : -1;
}

// Not a lambda: on i686 a lambda does not convert to a CALLBACK (stdcall) pointer.
BOOL CALLBACK PrintCheckBox(HWND child, LPARAM counter) {
    if (IsCheckBox(child)) {
        std::wprintf(L"%d %ls\n", static_cast<int>(CheckOf(child)), Text(child).c_str());
        ++*reinterpret_cast<int*>(counter);
    }
    return TRUE;
}

int Run(const std::wstring& command, const std::wstring& argument) {
    HWND main = FindTop(kMainTitle, 0);
    if (command == L"wait-main") {
        return WaitFor(kMainTitle, 0) ? 0 : Missing(L"the main window");
    }
    if (command == L"wait-gone") {
        const wchar_t* title = argument == L"question" ? kQuestionTitle : kMainTitle;
        const ULONGLONG end = ::GetTickCount64() + kWaitMs;
        while (FindTop(title, 0)) {
            if (::GetTickCount64() >= end) {
                std::fwprintf(stderr, L"quill_probe: \"%ls\" is still there\n", title);
                return 1;
            }
            ::Sleep(50);
        }
        return 0;
    }
    if (!main) {
        return Missing(L"the main window");
    }
    DWORD process = 0;
    ::GetWindowThreadProcessId(main, &process);
    if (command == L"checks") {
        int count = 0;
        ::EnumChildWindows(main, PrintCheckBox, reinterpret_cast<LPARAM>(&count));
        return count > 0 ? 0 : Missing(L"a check box");
    }
    if (command == L"close") {
        return ::PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0) ? 0 : 1;
    }
    HWND question = command == L"wait-question" ? WaitFor(kQuestionTitle, process) : FindTop(kQuestionTitle, process);
    if (!question) {
        return Missing(L"the question");
    }
    // The message is the static with text: the title bar is a static too, with none.
    HWND box = nullptr;
    std::wstring message;
    for (HWND child : Children(question)) {
        if (!box && IsCheckBox(child)) {
            box = child;
        } else if (message.empty() && ClassOf(child) == L"Static") {
            message = Text(child);
        }
    }
    if (command == L"answer") {
        // "&Yes" has the id IDOK, "&No" IDCANCEL.
        const int id = argument == L"yes" ? IDOK : argument == L"no" ? IDCANCEL : 0;
        if (id == 0) {
            return 2;
        }
        HWND button = ::GetDlgItem(question, id);
        if (!button) {
            return Missing(L"the answer's button");
        }
        return Send(button, BM_CLICK, 0, 0, nullptr) ? 0 : 1;
    }
    if (!box) {
        return Missing(L"the question's check box");
    }
    if (command == L"wait-question") {
        if (message.empty()) {
            return Missing(L"the question's text");
        }
        std::wprintf(L"%ls\n%d %ls\n", message.c_str(), static_cast<int>(CheckOf(box)), Text(box).c_str());
        return 0;
    }
    if (command == L"tick") {
        if (!Send(box, BM_CLICK, 0, 0, nullptr)) {
            return 1;
        }
        std::wprintf(L"%d %ls\n", static_cast<int>(CheckOf(box)), Text(box).c_str());
        return 0;
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fwprintf(stderr, L"usage: quill_probe checks|close|wait-question|tick|answer yes|no|wait-main|wait-gone [question]\n");
        return 2;
    }
    const int code = Run(argv[1], argc > 2 ? argv[2] : L"");
    if (code == 2) {
        std::fwprintf(stderr, L"quill_probe: unknown command or argument: %ls %ls\n", argv[1], argc > 2 ? argv[2] : L"");
    }
    std::fflush(stdout);
    return code;
}
