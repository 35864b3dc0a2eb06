// The memory a large list costs: the process's working set before any file, its peak after Add
// Folder and the list fill (with the bytes per listed row beyond the empty process), and its
// peaks after Apply with all three groups chosen (the undo record and the report's lines) and
// after Undo. One pass each, no bare side: memory does not vary from run to run as time does.
// Prints "memory N=... empty_mb=... add_folder_peak_mb=... bytes_per_row=... apply_peak_mb=...
// undo_peak_mb=... apply_s=... undo_s=...". Needs the folders bench/run.sh prepares: listing a
// million paths in this process first would leave their memory in its working set.
#include "BenchSupport.h"

#include "app/MainDlg.h"

#include <memory>
#include <string>

namespace {

using namespace bench;

double Megabytes(SIZE_T bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

PROCESS_MEMORY_COUNTERS Memory() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters))) {
        Fail("cannot read the process's memory counters");
    }
    return counters;
}

void Run(int count) {
    if (PreparedFolderRoot().empty()) {
        Fail("QUILL_BENCH_FOLDERS names no prepared folders (run bench/run.sh)");
    }
    const std::wstring folder = PreparedFolderRoot() + L"\\" + std::to_wstring(count);

    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create()) {
        Fail("cannot create the main window");
    }
    CWnd::PumpPendingMessages();
    const SIZE_T empty = Memory().WorkingSetSize;

    dlg->m_arrFiles.Append(folder);
    dlg->ScanFolder(folder + L"\\*.*");
    dlg->FillFileList();
    ReadFirstScreenful(dlg->m_listFiles.m_hWnd);
    const int rows = dlg->m_listFiles.GetItemCount();
    if (rows != count + 1) {
        Fail("the list does not show the folder and its files");
    }
    const SIZE_T added = Memory().PeakWorkingSetSize;

    // Times, the Archive bit alone and a title, as a user changing a whole drive might.
    dlg->m_chkSetFileTime.SetChecked(TRUE);
    dlg->m_chkCreateTime.SetChecked(TRUE);
    dlg->m_chkModifyTime.SetChecked(TRUE);
    dlg->m_chkAccessTime.SetChecked(TRUE);
    dlg->m_chkSetFileAttributes.SetChecked(TRUE);
    for (CMacCheckBox* box : {&dlg->m_chkReadOnly, &dlg->m_chkHidden, &dlg->m_chkSystem, &dlg->m_chkTemporary,
                              &dlg->m_chkOffline, &dlg->m_chkNotContentIndexed, &dlg->m_chkNormal}) {
        box->SetChecked(FALSE);
    }
    dlg->m_chkArchive.SetChecked(TRUE);
    dlg->m_chkOtherProperties.SetChecked(TRUE);
    dlg->m_mapPropertyValues[L"Summary_Title"] = L"Memory bench title";
    CWnd::PumpPendingMessages();

    LARGE_INTEGER start = Now();
    dlg->OnApplyChanges();
    const double applySeconds = Seconds(start, Now());
    if (!dlg->m_btnUndo.IsWindowEnabled()) {
        Fail("Apply left nothing to undo");
    }
    const SIZE_T applied = Memory().PeakWorkingSetSize;

    start = Now();
    dlg->OnUndoChanges();
    const double undoSeconds = Seconds(start, Now());
    const SIZE_T undone = Memory().PeakWorkingSetSize;

    printf("memory N=%d empty_mb=%.1f add_folder_peak_mb=%.1f bytes_per_row=%.0f apply_peak_mb=%.1f "
           "undo_peak_mb=%.1f apply_s=%.0f undo_s=%.0f\n",
           count, Megabytes(empty), Megabytes(added), static_cast<double>(added - empty) / rows, Megabytes(applied),
           Megabytes(undone), applySeconds, undoSeconds);
    fflush(stdout);
    dlg.reset();
    CWnd::PumpPendingMessages();
}

}  // namespace

// Each size in a process of its own (the heap keeps what a larger list took): the first size
// of QUILL_BENCH_SIZES only.
int main() {
    bench::g_benchName = "memory";
    bench::StartUp();
    Run(bench::Sizes().front());
    ::OleUninitialize();
    return 0;
}
