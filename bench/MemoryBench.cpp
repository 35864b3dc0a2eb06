// The memory a large list costs: the process's working set before any file, its peak after Add
// Folder and the list fill (with the bytes per listed row beyond the empty process), and its
// peaks after Apply with all three groups chosen (the undo record and the report's lines) and
// after Undo. One pass each, no bare side: memory does not vary from run to run as time does.
// Prints "memory N=... empty_mb=... enumeration_mb=... add_folder_peak_mb=... bytes_per_row=...
// list_bytes_per_row=... apply_peak_mb=... undo_peak_mb=... report_chars=..." where
// list_bytes_per_row leaves out what enumerating the folder costs the platform (Wine holds a
// large folder's whole listing while it is enumerated). With --pane it measures instead, in a
// process of its own, what the report pane's edit control costs to hold a report of that size:
// "memory-pane N=... report_chars=... pane_mb=... pane_bytes_per_char=...". Needs the folders
// bench/run.sh prepares: listing a million paths in this process first would leave their memory
// in its working set.
#include "BenchSupport.h"

#include "app/MainDlg.h"

#include <memory>
#include <string>

namespace {

using namespace bench;

std::wstring PreparedFolder(int count) {
    if (PreparedFolderRoot().empty()) {
        Fail("QUILL_BENCH_FOLDERS names no prepared folders (run bench/run.sh)");
    }
    return PreparedFolderRoot() + L"\\" + std::to_wstring(count);
}

// The lines Apply and Undo write for every file with all three groups chosen, and a separator.
std::wstring SameSizeReport(const std::wstring& folder, int count) {
    static const wchar_t* const kLineEnds[] = {
        L" -- file time changed successfully!\r\n",        L" -- file attributes changed successfully!\r\n",
        L" -- file properties change failed.\r\n",         L" -- file time rollback successfully!\r\n",
        L" -- file attributes rollback successfully!\r\n", L" -- file properties rollback successfully!\r\n",
    };
    std::wstring report;
    wchar_t name[32] = {};
    for (int i = 0; i < count; ++i) {
        swprintf(name, 32, L"\\file%06d.txt", i);
        for (const wchar_t* end : kLineEnds) {
            report += folder + name + end;
        }
    }
    return report;
}

void RunPane(int count) {
    const std::wstring report = SameSizeReport(PreparedFolder(count), count);
    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create()) {
        Fail("cannot create the main window");
    }
    CWnd::PumpPendingMessages();
    const SIZE_T before = ProcessMemory().PeakWorkingSetSize;
    dlg->AppendOutput(report);
    const SIZE_T after = ProcessMemory().PeakWorkingSetSize;
    printf("memory-pane N=%d report_chars=%zu pane_mb=%.1f pane_bytes_per_char=%.1f\n", count, report.size(),
           Megabytes(after - before), static_cast<double>(after - before) / static_cast<double>(report.size()));
    fflush(stdout);
}

void Run(int count) {
    const std::wstring folder = PreparedFolder(count);

    auto dlg = std::make_unique<CMainDlg>();
    if (!dlg->Create()) {
        Fail("cannot create the main window");
    }
    CWnd::PumpPendingMessages();
    const SIZE_T empty = ProcessMemory().WorkingSetSize;
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((folder + L"\\*.*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        while (::FindNextFileW(find, &data)) {
        }
        ::FindClose(find);
    }
    const SIZE_T enumerated = ProcessMemory().PeakWorkingSetSize;

    dlg->m_arrFiles.Append(folder);
    dlg->ScanFolder(folder + L"\\*.*");
    dlg->FillFileList();
    ReadFirstScreenful(dlg->m_listFiles.m_hWnd);
    const int rows = dlg->m_listFiles.GetItemCount();
    if (rows != count + 1) {
        Fail("the list does not show the folder and its files");
    }
    const SIZE_T added = ProcessMemory().PeakWorkingSetSize;

    // Times, the Archive bit alone and a title, as a user changing a whole drive might.
    ChooseAllTimesAndArchiveOnly(*dlg);
    dlg->m_chkOtherProperties.SetChecked(TRUE);
    dlg->m_mapPropertyValues[L"Summary_Title"] = L"Memory bench title";
    CWnd::PumpPendingMessages();

    LARGE_INTEGER start = Now();
    dlg->OnApplyChanges();
    const double applySeconds = Seconds(start, Now());
    if (!dlg->m_btnUndo.IsWindowEnabled()) {
        Fail("Apply left nothing to undo");
    }
    const SIZE_T applied = ProcessMemory().PeakWorkingSetSize;

    start = Now();
    dlg->OnUndoChanges();
    const double undoSeconds = Seconds(start, Now());
    const SIZE_T undone = ProcessMemory().PeakWorkingSetSize;

    printf(
        "memory N=%d empty_mb=%.1f enumeration_mb=%.1f add_folder_peak_mb=%.1f bytes_per_row=%.0f "
        "list_bytes_per_row=%.0f apply_peak_mb=%.1f undo_peak_mb=%.1f report_chars=%d apply_s=%.0f undo_s=%.0f\n",
        count, Megabytes(empty), Megabytes(enumerated - empty), Megabytes(added),
        static_cast<double>(added - empty) / rows, static_cast<double>(added - enumerated) / rows, Megabytes(applied),
        Megabytes(undone), ::GetWindowTextLengthW(dlg->m_editOutput.m_hWnd), applySeconds, undoSeconds);
    fflush(stdout);
    dlg.reset();
    CWnd::PumpPendingMessages();
}

}  // namespace

// Each size in a process of its own (the heap keeps what a larger list took): the first size
// of QUILL_BENCH_SIZES only.
int main(int argc, char** argv) {
    bench::g_benchName = "memory";
    const CProcessSetup setup;  // as the program sets itself up
    if (argc > 1 && std::string(argv[1]) == "--pane") {
        RunPane(bench::Sizes().front());
    } else {
        Run(bench::Sizes().front());
    }
    return 0;
}
