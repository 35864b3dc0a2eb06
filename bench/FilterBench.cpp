// A keystroke in the filter, which rebuilds the file list through the filter, against the bare
// platform calls of a rebuild that reads every kept row: per row one status read (as
// GetFileStatus reads a file) and one attribute read. Prints "filter-rebuild N=... ratio=..."
// and "filter-narrow N=..." per folder size; the ratio is what matters, both sides being
// measured in the same run.
#include "BenchSupport.h"

#include "app/MainDlg.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

// Two keystrokes: "*.txt" keeps every file and drops only the folder's own row, which shows that
// the keystroke really rebuilt the list; "*1.txt" narrows it to the tenth whose names end in 1.
struct Keystroke {
    const char* name;
    const wchar_t* suffix;  // the filter is "*" and this
};
constexpr Keystroke kKeystrokes[] = {{"filter-rebuild", L".txt"}, {"filter-narrow", L"1.txt"}};

std::vector<std::wstring> FilesEndingIn(const std::vector<std::wstring>& files, const std::wstring& suffix) {
    std::vector<std::wstring> kept;
    for (const std::wstring& path : files) {
        if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0) {
            kept.push_back(path);
        }
    }
    return kept;
}

// The list as Add Folder leaves it, then the keystroke and the first screenful it shows, on a
// main window of its own.
double MeasureOurs(const std::wstring& folder, int count, const Keystroke& keystroke, int kept) {
    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create()) {
        Fail("cannot create the main window");
    }
    dlg->m_arrFiles.Append(folder);
    dlg->ScanFolder(folder + L"\\*.*");
    dlg->FillFileList();
    CWnd::PumpPendingMessages();
    if (dlg->m_listFiles.GetItemCount() != count + 1) {
        Fail("the list does not show the folder and its files");
    }

    const LARGE_INTEGER start = Now();
    dlg->m_editFilter.SetWindowText(std::wstring(L"*") + keystroke.suffix);  // sends EN_CHANGE as typing does
    ReadFirstScreenful(dlg->m_listFiles.m_hWnd);
    const LARGE_INTEGER stop = Now();

    const int rows = dlg->m_listFiles.GetItemCount();
    if (rows != kept) {
        fprintf(stderr, "%s: the list has %d rows, expected %d\n", keystroke.name, rows, kept);
        Fail("the filter did not rebuild the list");
    }
    dlg.reset();
    CWnd::PumpPendingMessages();
    return Seconds(start, stop);
}

// The platform calls of the rebuild that read every kept row, and nothing else.
double MeasureBare(const std::vector<std::wstring>& kept, const Keystroke& keystroke) {
    const LARGE_INTEGER start = Now();
    int read = 0;
    for (const std::wstring& path : kept) {
        read += ReadRow(path) ? 1 : 0;
    }
    const LARGE_INTEGER stop = Now();

    if (read != static_cast<int>(kept.size())) {
        fprintf(stderr, "%s: the bare pass read %d rows, expected %zu\n", keystroke.name, read, kept.size());
        Fail("the bare pass did not read every row");
    }
    return Seconds(start, stop);
}

void Run(int count) {
    std::vector<std::wstring> files;
    const std::wstring folder = MakeFolder(L"filter", count, files);
    for (const Keystroke& keystroke : kKeystrokes) {
        g_benchName = keystroke.name;
        const std::vector<std::wstring> kept = FilesEndingIn(files, keystroke.suffix);
        const int rows = static_cast<int>(kept.size());
        const BestTimes best = MeasureBestOf(
            RoundsFor(count), [&] { return MeasureOurs(folder, count, keystroke, rows); },
            [&] { return MeasureBare(kept, keystroke); });
        Report(keystroke.name, count, best.ours, best.bare);
    }
    RemoveFolder(folder);
    g_folder.clear();
}

}  // namespace

int main() {
    g_benchName = "filter-rebuild";
    const CProcessSetup setup;  // as the program sets itself up

    for (const int count : bench::Sizes()) {
        Run(count);
    }

    return 0;
}
