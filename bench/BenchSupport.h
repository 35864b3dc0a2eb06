// What the benchmarks after Add Folder share: the clock, a fresh flat folder of small files that
// is removed even when a check fails, the status read GetFileStatus makes, and the program set
// up as Quillmark sets itself up. Each benchmark names itself in g_benchName for its messages.
#pragma once

#include "app/MainDlg.h"
#include "framework/WinApp.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <psapi.h>

#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <string>
#include <vector>

namespace bench {

// The folder sizes measured: QUILL_BENCH_SIZES="2000,20000" names others.
inline std::vector<int> Sizes() {
    std::vector<int> sizes;
    if (const char* text = getenv("QUILL_BENCH_SIZES")) {
        for (const char* p = text; *p;) {
            char* end = nullptr;
            const long value = strtol(p, &end, 10);
            if (end == p || value <= 0 || value > 10000000) {
                fprintf(stderr, "QUILL_BENCH_SIZES: \"%s\" is not a list of folder sizes\n", text);
                exit(2);
            }
            sizes.push_back(static_cast<int>(value));
            p = *end == ',' ? end + 1 : end;
        }
    }
    return sizes.empty() ? std::vector<int>{20000, 100000} : sizes;
}

// Measured rounds after the unmeasured one: the best of three, and one alone for the largest
// folders, whose passes take minutes and vary less.
inline int RoundsFor(int count) {
    return count >= 100000 ? 1 : 3;
}

// Set by each benchmark before anything can fail.
inline const char* g_benchName = "bench";
// The folder being measured, removed on the way out even when a check fails.
inline std::wstring g_folder;

inline void RemoveFolder(const std::wstring& folder);

[[noreturn]] inline void Fail(const char* what) {
    fprintf(stderr, "%s: %s (error %lu)\n", g_benchName, what, static_cast<unsigned long>(::GetLastError()));
    fflush(stderr);
    if (!g_folder.empty()) {
        RemoveFolder(g_folder);
    }
    exit(1);
}

inline double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    static const double frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return static_cast<double>(value.QuadPart);
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / frequency;
}

inline LARGE_INTEGER Now() {
    LARGE_INTEGER value{};
    ::QueryPerformanceCounter(&value);
    return value;
}

// The files of a flat folder, in the order its enumeration gives them.
inline std::vector<std::wstring> ListFiles(const std::wstring& folder) {
    std::vector<std::wstring> files;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                files.push_back(folder + L"\\" + data.cFileName);
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    return files;
}

// bench/run.sh prepares the folders from outside Wine, where making 100,000 files takes seconds
// instead of the half hour Wine needs to check each new name against a large folder. It names
// their parent in QUILL_BENCH_FOLDERS; they hold the same files and are kept for the next
// benchmark.
inline std::wstring PreparedFolderRoot() {
    const wchar_t* root = _wgetenv(L"QUILL_BENCH_FOLDERS");
    return root ? std::wstring(root) : std::wstring();
}

inline bool IsPreparedFolder(const std::wstring& folder) {
    const std::wstring root = PreparedFolderRoot();
    return !root.empty() && folder.compare(0, root.size(), root) == 0;
}

// A folder holding `count` small files named file000000.txt and on: a prepared one, else a fresh
// one under the temporary folder; no trailing "\". The files' paths come back in `files`, in the
// order the folder's enumeration gives them (the order Add Folder lists them in). When `times` is
// given, the files get it as all three times, so that a pass which writes other times and one
// which writes them back leave the files as they were.
inline std::wstring MakeFolder(const wchar_t* tag, int count, std::vector<std::wstring>& files,
                               const FILETIME* times = nullptr) {
    if (!PreparedFolderRoot().empty()) {
        const std::wstring folder = PreparedFolderRoot() + L"\\" + std::to_wstring(count);
        files = ListFiles(folder);
        if (files.size() != static_cast<size_t>(count)) {
            Fail("the prepared bench folder does not hold the files it should");
        }
        for (size_t i = 0; times && i < files.size(); ++i) {
            HANDLE file = ::CreateFileW(files[i].c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            const BOOL ok = file != INVALID_HANDLE_VALUE && ::SetFileTime(file, times, times, times);
            if (file != INVALID_HANDLE_VALUE) {
                ::CloseHandle(file);
            }
            if (!ok) {
                Fail("cannot reset a prepared bench file");
            }
        }
        return folder;
    }
    wchar_t temp[MAX_PATH] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    if (length == 0 || length >= MAX_PATH) {
        Fail("no temporary folder");
    }
    const std::wstring folder = std::wstring(temp) + L"quill-bench-" + tag + L"-" +
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
        HANDLE file =
            ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            Fail("cannot create a bench file");
        }
        DWORD written = 0;
        BOOL ok = ::WriteFile(file, kBytes, sizeof(kBytes) - 1, &written, nullptr);
        if (ok && times) {
            ok = ::SetFileTime(file, times, times, times);
        }
        ::CloseHandle(file);
        if (!ok) {
            Fail("cannot write a bench file");
        }
    }
    files = ListFiles(folder);
    if (files.size() != static_cast<size_t>(count)) {
        Fail("the bench folder does not list its files");
    }
    return folder;
}

// The bench folder is flat: its files, then the folder itself. A prepared folder is kept.
inline void RemoveFolder(const std::wstring& folder) {
    if (IsPreparedFolder(folder)) {
        return;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
                const std::wstring path = folder + L"\\" + data.cFileName;
                ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileW(path.c_str());
            }
        } while (::FindNextFileW(find, &data));
        ::FindClose(find);
    }
    if (!::RemoveDirectoryW(folder.c_str())) {
        fprintf(stderr, "%s: could not remove %ls\n", g_benchName, folder.c_str());
    }
}

// The status read of one path, with the calls GetFileStatus makes.
inline bool ReadStatus(const std::wstring& path, WIN32_FIND_DATAW& data) {
    wchar_t full[MAX_PATH] = {};
    const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH) {
        return false;
    }
    HANDLE find = ::FindFirstFileW(full, &data);
    if (find == INVALID_HANDLE_VALUE) {
        return false;
    }
    ::FindClose(find);
    return true;
}

// One row's texts as the list reads them: the status read and the attribute read.
inline bool ReadRow(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    return ReadStatus(path, data) && ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What the file list asks for when it first paints, which the benchmarks' hidden windows never
// do: the texts of the rows a screenful shows.
inline void ReadFirstScreenful(HWND list) {
    const int rows = std::min(ListView_GetItemCount(list), ListView_GetCountPerPage(list) + 1);
    wchar_t text[64];
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column <= 4; ++column) {
            ListView_GetItemText(list, row, column, text, 64);
        }
    }
}

inline ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The last-write time of a file as the platform reports it, to check what a pass wrote.
inline ULONGLONG LastWriteTicks(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return Ticks(data.ftLastWriteTime);
}

// Ticks "Set File Time" with all three kinds of time, and "Set File Attributes" with the Archive
// bit alone.
inline void ChooseAllTimesAndArchiveOnly(CMainDlg& dlg) {
    dlg.m_chkSetFileTime.SetChecked(TRUE);
    dlg.m_chkCreateTime.SetChecked(TRUE);
    dlg.m_chkModifyTime.SetChecked(TRUE);
    dlg.m_chkAccessTime.SetChecked(TRUE);
    dlg.m_chkSetFileAttributes.SetChecked(TRUE);
    for (CMacCheckBox* box : {&dlg.m_chkReadOnly, &dlg.m_chkHidden, &dlg.m_chkSystem, &dlg.m_chkTemporary,
                              &dlg.m_chkOffline, &dlg.m_chkNotContentIndexed, &dlg.m_chkNormal}) {
        box->SetChecked(FALSE);
    }
    dlg.m_chkArchive.SetChecked(TRUE);
}

struct BestTimes {
    double ours = 0;
    double bare = 0;
};

// One unmeasured pass of each side, so both find the file system caches equally warm, then
// `rounds` alternating passes; the best of each side counts.
template <class Ours, class Bare>
BestTimes MeasureBestOf(int rounds, Ours measureOurs, Bare measureBare) {
    measureOurs();
    measureBare();
    BestTimes best;
    for (int round = 0; round < rounds; ++round) {
        const double ours = measureOurs();
        const double bare = measureBare();
        best.ours = round == 0 ? ours : std::min(best.ours, ours);
        best.bare = round == 0 ? bare : std::min(best.bare, bare);
    }
    return best;
}

// The ratio, both times, and our time per file (which must not grow with the folder).
inline void Report(const char* name, int count, double ours, double bare) {
    printf("%s N=%d ratio=%.2f ours_s=%.3f bare_s=%.3f ours_us_per_file=%.0f\n", name, count,
           bare > 0 ? ours / bare : 0.0, ours, bare, count > 0 ? ours * 1e6 / count : 0.0);
    fflush(stdout);
}

inline double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

// The process's memory counters: its working set now and the most it has held so far.
inline PROCESS_MEMORY_COUNTERS ProcessMemory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) {
        Fail("cannot read the process's memory counters");
    }
    return counters;
}

// The most memory this benchmark's process has held so far, the program's list included.
inline void ReportPeakWorkingSet(const char* name, int count) {
    printf("%s N=%d peak_working_set_mb=%.1f\n", name, count, Megabytes(ProcessMemory().PeakWorkingSetSize));
    fflush(stdout);
}

}  // namespace bench
