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
//   quill_probe theme N          carries out the theme menu's command for theme N (0-14) and repaints
//   quill_probe drop PATH...     drops files on the main window, as the shell does; waits for the rows
//   quill_probe rows             every row of the file list: "<1 if selected, else 0>" and its five
//                                texts, separated by tabs
//   quill_probe click TEXT       clicks the main window's button or check box with that text
//   quill_probe tab-to TEXT      presses Tab until the control with that text has the focus
//   quill_probe wait-output TEXT waits until the output pane holds TEXT
//
// Exit code 0 on success, 1 when a window or control is missing or a wait ran out, 2 on bad usage.
#include "resources/Version.h"
#include "resources/resource.h"
#include "skin/Themes.h"

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

const wchar_t* const kMainTitle = kMainWindowTitle;
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

// Waits until `done` holds; false when the wait ran out.
template <typename Done>
bool WaitUntil(Done done) {
    const ULONGLONG end = ::GetTickCount64() + kWaitMs;
    while (!done()) {
        if (::GetTickCount64() >= end) {
            return false;
        }
        ::Sleep(50);
    }
    return true;
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

struct FindByText {
    const std::wstring* text;
    HWND found;
};

BOOL CALLBACK MatchButtonText(HWND child, LPARAM context) {
    auto* find = reinterpret_cast<FindByText*>(context);
    if (ClassOf(child) == L"Button" && Text(child) == *find->text) {
        find->found = child;
        return FALSE;
    }
    return TRUE;
}

int Rows(HWND main) {
    DWORD_PTR count = 0;
    HWND list = ::GetDlgItem(main, IDC_FILE_LIST);
    return list && Send(list, LVM_GETITEMCOUNT, 0, 0, &count) ? static_cast<int>(count) : -1;
}

// The shell hands a drop over as a DROPFILES block in the receiver's memory; written there with
// the process's own allocation, it is read and freed by the receiver like a real drop.
int DropFiles(HWND main, DWORD process, const std::vector<std::wstring>& paths) {
    std::vector<unsigned char> block(sizeof(DROPFILES));
    for (const std::wstring& path : paths) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(path.c_str());
        block.insert(block.end(), bytes, bytes + (path.size() + 1) * sizeof(wchar_t));
    }
    block.insert(block.end(), sizeof(wchar_t), 0);
    DROPFILES header = {};
    header.pFiles = sizeof(DROPFILES);
    header.fWide = TRUE;
    std::memcpy(block.data(), &header, sizeof header);

    HANDLE target = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, process);
    if (!target) {
        return Missing(L"access to the program's process");
    }
    void* remote = ::VirtualAllocEx(target, nullptr, block.size(), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    const bool written = remote && ::WriteProcessMemory(target, remote, block.data(), block.size(), nullptr);
    ::CloseHandle(target);
    const int before = Rows(main);
    if (!written || !::PostMessageW(main, WM_DROPFILES, reinterpret_cast<WPARAM>(remote), 0)) {
        return Missing(L"a way to drop the files");
    }
    if (!WaitUntil([&] { return Rows(main) >= before + static_cast<int>(paths.size()); })) {
        std::fwprintf(stderr, L"quill_probe: the list did not grow by %d rows\n", static_cast<int>(paths.size()));
        return 1;
    }
    std::wprintf(L"%d rows\n", Rows(main));
    return 0;
}

// A list view answers LVM_GETITEMTEXTW by writing into the memory the message points at, in its
// own process: the item and its text buffer are placed there and read back.
int PrintRows(HWND main, DWORD process) {
    HWND list = ::GetDlgItem(main, IDC_FILE_LIST);
    const int rows = Rows(main);
    if (!list || rows < 0) {
        return Missing(L"the file list");
    }
    constexpr int kColumns = 5;
    constexpr int kTextChars = 1024;
    HANDLE target = ::OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, process);
    if (!target) {
        return Missing(L"access to the program's process");
    }
    const size_t size = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
    auto* remote = static_cast<unsigned char*>(::VirtualAllocEx(target, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    int status = remote ? 0 : Missing(L"memory in the program's process");
    for (int row = 0; status == 0 && row < rows; ++row) {
        DWORD_PTR state = 0;
        Send(list, LVM_GETITEMSTATE, row, LVIS_SELECTED, &state);
        std::wprintf(L"%d", (state & LVIS_SELECTED) ? 1 : 0);
        for (int column = 0; status == 0 && column < kColumns; ++column) {
            LVITEMW item = {};
            item.iSubItem = column;
            item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
            item.cchTextMax = kTextChars;
            wchar_t text[kTextChars] = {};
            DWORD_PTR length = 0;
            if (!::WriteProcessMemory(target, remote, &item, sizeof item, nullptr) ||
                !Send(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote), &length) ||
                !::ReadProcessMemory(target, item.pszText, text, sizeof text, nullptr)) {
                status = 1;
                break;
            }
            text[kTextChars - 1] = L'\0';
            std::wprintf(L"\t%ls", text);
        }
        std::wprintf(L"\n");
    }
    if (remote) {
        ::VirtualFreeEx(target, remote, 0, MEM_RELEASE);
    }
    ::CloseHandle(target);
    return status;
}

int Run(const std::wstring& command, const std::wstring& argument, const std::vector<std::wstring>& more) {
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
    if (command == L"theme") {
        const int theme = argument.empty() ? -1 : _wtoi(argument.c_str());
        if (theme < 0 || theme >= THEME_COUNT || (theme == 0 && argument != L"0")) {
            return 2;
        }
        // Sent, not posted: when the send returns the theme is in force, and the repaint that
        // follows is forced before the probe ends, so a picture taken next shows the new colours.
        if (!Send(main, WM_COMMAND, ID_THEME_FIRST + theme, 0, nullptr)) {
            return 1;
        }
        ::RedrawWindow(main, nullptr, nullptr,
                       RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        return 0;
    }
    if (command == L"drop") {
        if (argument.empty()) {
            return 2;
        }
        std::vector<std::wstring> paths{argument};
        paths.insert(paths.end(), more.begin(), more.end());
        return DropFiles(main, process, paths);
    }
    if (command == L"rows") {
        return PrintRows(main, process);
    }
    if (command == L"click") {
        FindByText find{&argument, nullptr};
        ::EnumChildWindows(main, MatchButtonText, reinterpret_cast<LPARAM>(&find));
        if (!find.found) {
            return Missing(argument.c_str());
        }
        // Posted: a click may start work or open a box, and the probe must not wait on either.
        return ::PostMessageW(find.found, BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (command == L"tab-to") {
        // Tab pressed on the focused control, as the keyboard does, until the control named
        // `argument` has the focus.
        const DWORD thread = ::GetWindowThreadProcessId(main, nullptr);
        for (int tabs = 0; tabs < 60; ++tabs) {
            GUITHREADINFO info{};
            info.cbSize = sizeof(info);
            if (!::GetGUIThreadInfo(thread, &info) || !info.hwndFocus) {
                return Missing(L"the focused control");
            }
            if (Text(info.hwndFocus) == argument) {
                return 0;
            }
            ::PostMessageW(info.hwndFocus, WM_KEYDOWN, VK_TAB, 1);
            ::PostMessageW(info.hwndFocus, WM_KEYUP, VK_TAB, 0xC0000001);
            Send(main, WM_NULL, 0, 0, nullptr);  // the keys are handled before the next look
        }
        return Missing(argument.c_str());
    }
    if (command == L"wait-output") {
        HWND output = ::GetDlgItem(main, IDC_OUTPUT);
        if (!output) {
            return Missing(L"the output pane");
        }
        if (!WaitUntil([&] { return Text(output).find(argument) != std::wstring::npos; })) {
            std::fwprintf(stderr, L"quill_probe: the output pane does not show \"%ls\"\n", argument.c_str());
            return 1;
        }
        return 0;
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
        std::fwprintf(stderr,
                      L"usage: quill_probe checks|close|wait-question|tick|answer yes|no|wait-main|"
                      L"wait-gone [question]|theme N|drop PATH...|rows|click TEXT|tab-to TEXT|wait-output TEXT\n");
        return 2;
    }
    const std::vector<std::wstring> more(argv + (argc > 3 ? 3 : argc), argv + argc);
    const int code = Run(argv[1], argc > 2 ? argv[2] : L"", more);
    if (code == 2) {
        std::fwprintf(stderr, L"quill_probe: unknown command or argument: %ls %ls\n", argv[1],
                      argc > 2 ? argv[2] : L"");
    }
    std::fflush(stdout);
    return code;
}
