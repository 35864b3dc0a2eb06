// Add Folder and the list fill that follows it, up to the texts of the first screenful, against the bare platform calls
// the same work needs: one enumeration of the folder, and per row one status read (as GetFileStatus reads a file) and
// one attribute read. Prints "add-folder N=... ratio=... ours_s=... bare_s=..." per folder size; the ratio is what
// matters, both sides being measured in the same run.
#include "BenchSupport.h"
#include "app/MainDlg.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace bench;

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
    ReadFirstScreenful(dlg->m_listFiles.m_hWnd);
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
    std::wstring folder;
    {
        // The paths are not needed here, and their memory would count in the working set.
        std::vector<std::wstring> files;
        folder = MakeFolder(L"add-folder", count, files);
    }
    const BestTimes best = MeasureBestOf(
        RoundsFor(count), [&] { return MeasureOurs(folder, count); }, [&] { return MeasureBare(folder, count); });
    RemoveFolder(folder);
    g_folder.clear();
    Report("add-folder", count, best.ours, best.bare);
    ReportPeakWorkingSet("working-set", count);
}

}  // namespace

int main() {
    bench::g_benchName = "add-folder";
    const CProcessSetup setup;  // as the program sets itself up

    for (const int count : bench::Sizes()) {
        Run(count);
    }

    return 0;
}
