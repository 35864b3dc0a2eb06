// Add Folder and the list fill that follows it, against the bare platform calls the same work
// needs: one enumeration of the folder, and per row one status read (as GetFileStatus reads a
// file) and one attribute read. Prints "add-folder N=... ratio=... ours_s=... bare_s=..." per
// folder size; the ratio is what matters, both sides being measured in the same run.
#include "app/MainDlg.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 3;

// The folder being measured, removed on the way out even when a check fails.
std::wstring g_folder;

void RemoveFolder(const std::wstring& folder);

[[noreturn]] void Fail(const char* what) {
    fprintf(stderr, "add-folder: %s (error %lu)\n", what, static_cast<unsigned long>(::GetLastError()));
    fflush(stderr);
    if (!g_folder.empty()) {
        RemoveFolder(g_folder);
    }
    exit(1);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    static const double frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

LARGE_INTEGER Now() {
    LARGE_INTEGER value{};
    ::QueryPerformanceCounter(&value);
    return value;
}

// A fresh folder under the temporary folder holding `count` small files; no trailing "\".
std::wstring MakeFolder(int count) {
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) {
        Fail("no temporary folder");
    }
    const std::wstring folder = std::wstring(temp) + L"quill-bench-add-folder-" +
                                std::to_wstring(::GetCurrentProcessId()) + L"-" + std::to_wstring(count);
    if (!::CreateDirectoryW(folder.c_str(), nullptr)) {
        Fail("cannot create the bench folder");
    }
    g_folder = folder;
    static const char kBytes[] = "quill bench file\r\n";
    for (int i = 0; i < count; ++i) {
        wchar_t name[32] = {};
        swprintf(name, 32, L"\\file%06d.txt", i);
        const std::wstring path = folder + name;
        HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot create a bench file");
        }
        DWORD written = 0;
        const BOOL ok = ::WriteFile(file, kBytes, sizeof(kBytes) - 1, &written, nullptr);
        ::CloseHandle(file);
        if (!ok) {
            Fail("cannot write a bench file");
        }
    }
    return folder;
}

// The bench folder is flat: its files, then the folder itself.
void RemoveFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                ::DeleteFileW((folder + L"\\" + data.cFileName).c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    if (!::RemoveDirectoryW(folder.c_str())) {
        fprintf(stderr, "add-folder: could not remove %ls\n", folder.c_str());
    }
}

// What Add Folder does once the chooser has returned the folder, on a main window of its own.
double MeasureOurs(const std::wstring& folder, int count) {
    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create()) {
        Fail("cannot create the main window");
    }
    CWnd::PumpPendingMessages();

    const LARGE_INTEGER start = Now();
    dlg->m_arrFiles.Append(folder);
    dlg->ScanFolder(folder + L"\\*.*");
    dlg->FillFileList();
    const LARGE_INTEGER stop = Now();

    const int rows = dlg->m_listFiles.GetItemCount();
    if (rows != count + 1) {
        fprintf(stderr, "add-folder: the list has %d rows, expected %d\n", rows, count + 1);
        Fail("the list does not show the folder and its files");
    }
    dlg.reset();
    CWnd::PumpPendingMessages();
    return Seconds(start, stop);
}

// The status read of one row, with the calls GetFileStatus makes, and its attribute read.
bool ReadRow(const std::wstring& path) {
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW(full, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(find);
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The platform calls of the same work and nothing else: one enumeration, then each row read.
double MeasureBare(const std::wstring& folder, int count) {
    const LARGE_INTEGER start = Now();
    std::vector<std::wstring> paths;
    paths.push_back(folder);
    const std::wstring prefix = folder + L"\\";
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((prefix + L"*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                paths.push_back(prefix + data.cFileName);
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    int read = 0;
    for (const std::wstring& path : paths) {
        read += ReadRow(path) ? 1 : 0;
    }
    const LARGE_INTEGER stop = Now();

    if (read != count + 1) {
        fprintf(stderr, "add-folder: the bare pass read %d rows, expected %d\n", read, count + 1);
        Fail("the bare pass did not read every row");
    }
    return Seconds(start, stop);
}

void Run(int count) {
    const std::wstring folder = MakeFolder(count);
    // Once unmeasured, so both sides find the file system caches equally warm.
    MeasureOurs(folder, count);
    MeasureBare(folder, count);
    double ours = 0;
    double bare = 0;
    for (int round = 0; round < kRounds; ++round) {
        const double oursNow = MeasureOurs(folder, count);
        const double bareNow = MeasureBare(folder, count);
        ours = round == 0 ? oursNow : std::min(ours, oursNow);
        bare = round == 0 ? bareNow : std::min(bare, bareNow);
    }
    RemoveFolder(folder);
    g_folder.clear();
    printf("add-folder N=%d ratio=%.2f ours_s=%.3f bare_s=%.3f\n", count, bare > 0 ? ours / bare : 0.0, ours, bare);
    fflush(stdout);
}

}  // namespace

int main() {
    // Set up as the program sets itself up: the C runtime follows the system's zone.
    _wputenv(L"TZ=");
    _tzset();
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = 0xFF;
    ::InitCommonControlsEx(&controls);
    ::OleInitialize(nullptr);

    for (const int count : {2000, 20000}) {
        Run(count);
    }

    ::OleUninitialize();
    return 0;
}
