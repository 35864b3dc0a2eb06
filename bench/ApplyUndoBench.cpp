// Apply Changes with new file times (all three kinds) and the Archive attribute, then Undo
// Changes right after it, each against the bare platform calls the same work makes per listed
// path in a plain loop with no window. Prints "apply N=... ratio=... ours_s=... bare_s=..." and
// "undo N=..." per folder size, and "apply-window" / "undo-window" comparing the passes with and
// without the please-wait window; the ratio is what matters, both sides being measured in the same
// run. Undo writes back the times the files had before the Apply, so every round starts from the
// same files.
#include "BenchSupport.h"

#include "app/MainDlg.h"
#include "dialogs/LongWorkProgress.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

// The times the files start with: a whole second, so that a pass which keeps times in seconds
// writes back exactly what it read.
FILETIME OriginalTime() {
    SYSTEMTIME utc{};
    utc.wYear = 2010;
    utc.wMonth = 1;
    utc.wDay = 2;
    utc.wHour = 3;
    utc.wMinute = 4;
    utc.wSecond = 5;
    FILETIME time{};
    if (!::SystemTimeToFileTime(&utc, &time)) {
        Fail("no file time for the starting time");
    }
    return time;
}

// The time chosen in the pickers, in local time.
SYSTEMTIME ChosenLocalTime() {
    SYSTEMTIME local{};
    local.wYear = 2015;
    local.wMonth = 3;
    local.wDay = 4;
    local.wHour = 5;
    local.wMinute = 6;
    local.wSecond = 7;
    return local;
}

// The file time Apply writes for the chosen local time.
FILETIME ChosenFileTime() {
    const SYSTEMTIME local = ChosenLocalTime();
    FILETIME localTime{};
    FILETIME utc{};
    if (!::SystemTimeToFileTime(&local, &localTime) || !::LocalFileTimeToFileTime(&localTime, &utc)) {
        Fail("no file time for the chosen time");
    }
    return utc;
}

bool OutputEndsWithSeparator(const CMainDlg& dlg) {
    const std::wstring text = dlg.m_editOutput.GetWindowText();
    const std::wstring separator = CMainDlg::kSeparatorLine;
    return text.size() >= separator.size() &&
           text.compare(text.size() - separator.size(), separator.size(), separator) == 0;
}

struct Times {
    double apply = 0;
    double undo = 0;
};

// Files listed as Add Folder lists them, the time and attribute groups ticked, then Apply and
// Undo on a main window of its own.
Times MeasureOurs(const std::wstring& folder, const std::vector<std::wstring>& files, ULONGLONG original,
                  ULONGLONG chosen) {
    const int rows = static_cast<int>(files.size()) + 1;
    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create()) {
        Fail("cannot create the main window");
    }
    dlg->m_arrFiles.Append(folder);
    dlg->ScanFolder(folder + L"\\*.*");
    dlg->FillFileList();
    if (dlg->m_listFiles.GetItemCount() != rows) {
        Fail("the list does not show the folder and its files");
    }
    ChooseAllTimesAndArchiveOnly(*dlg);
    dlg->m_chkOtherProperties.SetChecked(FALSE);
    const SYSTEMTIME local = ChosenLocalTime();
    if (!dlg->m_dtpDate.SetTime(local) || !dlg->m_dtpTime.SetTime(local)) {
        Fail("cannot set the date and time pickers");
    }
    CWnd::PumpPendingMessages();

    Times times;
    LARGE_INTEGER start = Now();
    dlg->OnApplyChanges();
    LARGE_INTEGER stop = Now();
    times.apply = Seconds(start, stop);

    if (!OutputEndsWithSeparator(*dlg) || !dlg->m_btnUndo.IsWindowEnabled()) {
        Fail("Apply did not finish its report or left Undo disabled");
    }
    if (LastWriteTicks(files.back()) != chosen) {
        Fail("Apply did not write the chosen time");
    }
    CWnd::PumpPendingMessages();

    start = Now();
    dlg->OnUndoChanges();
    stop = Now();
    times.undo = Seconds(start, stop);

    if (!OutputEndsWithSeparator(*dlg) || dlg->m_btnUndo.IsWindowEnabled()) {
        Fail("Undo did not finish its report or left Undo enabled");
    }
    if (LastWriteTicks(files.back()) != original) {
        Fail("Undo did not write back the starting time");
    }
    dlg.reset();
    CWnd::PumpPendingMessages();
    return times;
}

// What the backup keeps of one path.
struct Saved {
    DWORD attributes = 0;
    FILETIME created{};
    FILETIME accessed{};
    FILETIME written{};
};

// The time write as the program routes it: a plain file nobody holds (an exclusive read open
// succeeds) through a read-write open; anything else, the folder among them, through an open
// with backup semantics.
bool WriteTimes(const std::wstring& path, const FILETIME& created, const FILETIME& accessed, const FILETIME& written) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            return false;
        }
        file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    } else {
        file = ::CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const BOOL set = ::SetFileTime(file, &created, &accessed, &written);
    return ::CloseHandle(file) && set;
}

// Apply's platform calls per path: the backup reads, the status read of the time change, the
// time write, the attribute write and the row's refresh reads.
double MeasureBareApply(const std::vector<std::wstring>& paths, const FILETIME& chosen, std::vector<Saved>& saved) {
    saved.assign(paths.size(), Saved{});
    const LARGE_INTEGER start = Now();
    size_t done = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring& path = paths[i];
        Saved& record = saved[i];
        WIN32_FIND_DATAW data{};
        record.attributes = ::GetFileAttributesW(path.c_str());
        bool ok = ReadStatus(path, data);
        record.created = data.ftCreationTime;
        record.accessed = data.ftLastAccessTime;
        record.written = data.ftLastWriteTime;
        ok = ReadStatus(path, data) && ok;
        ok = WriteTimes(path, chosen, chosen, chosen) && ok;
        ok = ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE) && ok;
        ok = ReadRow(path) && ok;
        done += ok ? 1 : 0;
    }
    const LARGE_INTEGER stop = Now();

    if (done != paths.size()) {
        fprintf(stderr, "apply: the bare pass changed %zu paths, expected %zu\n", done, paths.size());
        Fail("the bare apply did not change every path");
    }
    return Seconds(start, stop);
}

// Undo's platform calls per path: the read-only check, the status read, the time write, the
// attribute write of the saved word and the row's refresh reads.
double MeasureBareUndo(const std::vector<std::wstring>& paths, const std::vector<Saved>& saved) {
    const LARGE_INTEGER start = Now();
    size_t done = 0;
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::wstring& path = paths[i];
        const Saved& record = saved[i];
        WIN32_FIND_DATAW data{};
        bool ok = ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
        ok = ReadStatus(path, data) && ok;
        ok = WriteTimes(path, record.created, record.accessed, record.written) && ok;
        ok = ::SetFileAttributesW(path.c_str(), record.attributes) && ok;
        ok = ReadRow(path) && ok;
        done += ok ? 1 : 0;
    }
    const LARGE_INTEGER stop = Now();

    if (done != paths.size()) {
        fprintf(stderr, "undo: the bare pass restored %zu paths, expected %zu\n", done, paths.size());
        Fail("the bare undo did not restore every path");
    }
    return Seconds(start, stop);
}

Times MeasureBare(const std::vector<std::wstring>& paths, ULONGLONG original, const FILETIME& chosen) {
    std::vector<Saved> saved;
    Times times;
    times.apply = MeasureBareApply(paths, chosen, saved);
    if (LastWriteTicks(paths.back()) != Ticks(chosen)) {
        Fail("the bare apply did not write the chosen time");
    }
    times.undo = MeasureBareUndo(paths, saved);
    if (LastWriteTicks(paths.back()) != original) {
        Fail("the bare undo did not write back the starting time");
    }
    return times;
}

void Run(int count) {
    const FILETIME original = OriginalTime();
    const FILETIME chosen = ChosenFileTime();
    std::vector<std::wstring> files;
    const std::wstring folder = MakeFolder(L"apply-undo", count, files, &original);
    // The list's rows: the folder, then its files.
    std::vector<std::wstring> paths;
    paths.push_back(folder);
    paths.insert(paths.end(), files.begin(), files.end());

    // Once unmeasured, so both sides find the file system caches equally warm.
    MeasureOurs(folder, files, Ticks(original), Ticks(chosen));
    MeasureBare(paths, Ticks(original), chosen);
    // Our side twice: as the user runs it (the please-wait window shows past half a second) and
    // with the window held back, so that what the window costs shows in the same run.
    CLongWorkProgress::Timing& pacing = CLongWorkProgress::Pacing();
    const CLongWorkProgress::Timing usual = pacing;
    Times ours;
    Times oursWithoutWindow;
    Times bare;
    const auto keepBest = [](Times& best, const Times& now, int round) {
        best.apply = round == 0 ? now.apply : std::min(best.apply, now.apply);
        best.undo = round == 0 ? now.undo : std::min(best.undo, now.undo);
    };
    // The largest folders take minutes per pass: the window's cost is measured below them.
    const bool measureWindow = count < 100000;
    for (int round = 0; round < RoundsFor(count); ++round) {
        pacing = usual;
        keepBest(ours, MeasureOurs(folder, files, Ticks(original), Ticks(chosen)), round);
        if (measureWindow) {
            pacing.delayMs = ~0ULL;
            keepBest(oursWithoutWindow, MeasureOurs(folder, files, Ticks(original), Ticks(chosen)), round);
        }
        keepBest(bare, MeasureBare(paths, Ticks(original), chosen), round);
    }
    pacing = usual;
    RemoveFolder(folder);
    g_folder.clear();
    Report("apply", count, ours.apply, bare.apply);
    Report("undo", count, ours.undo, bare.undo);
    if (measureWindow) {
        // Here the ratio is of the pass with the window to the pass without it.
        Report("apply-window", count, ours.apply, oursWithoutWindow.apply);
        Report("undo-window", count, ours.undo, oursWithoutWindow.undo);
    }
}

}  // namespace

int main() {
    g_benchName = "apply-undo";
    const CProcessSetup setup;  // as the program sets itself up

    for (const int count : Sizes()) {
        Run(count);
    }

    return 0;
}
