// A keystroke in the filter, which rebuilds the file list through the filter, against the bare
// platform calls the rebuild needs: per shown row one status read (as GetFileStatus reads a
// file) and one attribute read. Prints "filter-rebuild N=... ratio=... ours_s=... bare_s=..."
// per folder size; the ratio is what matters, both sides being measured in the same run.
#include "BenchSupport.h"

#include "app/MainDlg.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

// Every file is a ".txt", so all file rows stay; the folder's own row does not match and
// leaves, which shows that the keystroke really rebuilt the list.
constexpr wchar_t kFilterText[] = L"*.txt";

// The list as Add Folder leaves it, then the keystroke, on a main window of its own.
double MeasureOurs(const std::wstring& folder, int count) {
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
    dlg->m_editFilter.SetWindowText(kFilterText);  // sends EN_CHANGE as typing does
    const LARGE_INTEGER stop = Now();

    const int rows = dlg->m_listFiles.GetItemCount();
    if (rows != count) {
        fprintf(stderr, "filter-rebuild: the list has %d rows, expected %d\n", rows, count);
        Fail("the filter did not rebuild the list");
    }
    dlg.reset();
    CWnd::PumpPendingMessages();
    return Seconds(start, stop);
}

// The platform calls of the same work and nothing else: each shown row read.
double MeasureBare(const std::vector<std::wstring>& files, int count) {
    const LARGE_INTEGER start = Now();
    int read = 0;
    for (const std::wstring& path : files) {
        read += ReadRow(path) ? 1 : 0;
    }
    const LARGE_INTEGER stop = Now();

    if (read != count) {
        fprintf(stderr, "filter-rebuild: the bare pass read %d rows, expected %d\n", read, count);
        Fail("the bare pass did not read every row");
    }
    return Seconds(start, stop);
}

void Run(int count) {
    std::vector<std::wstring> files;
    const std::wstring folder = MakeFolder(L"filter", count, files);
    const BestTimes best = MeasureBestOf(RoundsFor(count), [&] { return MeasureOurs(folder, count); },
                                         [&] { return MeasureBare(files, count); });
    RemoveFolder(folder);
    g_folder.clear();
    Report("filter-rebuild", count, best.ours, best.bare);
}

}  // namespace

int main() {
    g_benchName = "filter-rebuild";
    StartUp();

    for (const int count : bench::Sizes()) {
        Run(count);
    }

    ::OleUninitialize();
    return 0;
}
