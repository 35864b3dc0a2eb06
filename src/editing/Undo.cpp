// Undo Changes: the state saved before the last Apply is written back to the listed files.
#include "app/MainDlg.h"

#include "app/OutOfMemory.h"
#include "dialogs/LongWorkProgress.h"
#include "editing/FileAttributeWord.h"
#include "editing/FileBackup.h"
#include "editing/SummaryProperties.h"
#include "filelist/FileStatus.h"
#include "framework/WaitCursor.h"
#include "support/ErrorLog.h"

#include <algorithm>
#include <iterator>
#include <new>

bool FilePathLess::operator()(const std::wstring& left, const std::wstring& right) const {
    return ::CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                  static_cast<int>(right.size()), TRUE) == CSTR_LESS_THAN;
}

namespace {

// Whether every time the record could not hold is still one the program cannot hold, that is,
// the file's own: no write can put such a time back, and the Apply never writes one.
bool UnheldTimesUntouched(const std::wstring& path, const CFileBackup& record) {
    const TimeSeconds saved[] = {record.m_ctime, record.m_mtime, record.m_atime};
    if (std::find(std::begin(saved), std::end(saved), kUnrepresentableTime) == std::end(saved)) {
        return true;
    }
    FileStatus status;
    if (!GetFileStatus(path, status)) {
        return false;
    }
    const TimeSeconds now[] = {status.m_ctime, status.m_mtime, status.m_atime};
    for (std::size_t kind = 0; kind < std::size(saved); ++kind) {
        if (saved[kind] == kUnrepresentableTime && now[kind] != kUnrepresentableTime) {
            return false;
        }
    }
    return true;
}

// The rollback lines of one row, in the order times, attributes, properties.
std::wstring RollbackLines(const std::wstring& path, const RollbackOutcome& outcome) {
    std::wstring lines;
    if (outcome.times) {
        lines += path +
                 (*outcome.times ? L" -- file time rollback successfully!\r\n" : L" -- file time rollback failed.\r\n");
    }
    if (outcome.attributes) {
        lines += path + (*outcome.attributes ? L" -- file attributes rollback successfully!\r\n"
                                             : L" -- file attributes rollback failed.\r\n");
    }
    if (outcome.properties) {
        lines += path + (*outcome.properties ? L" -- file properties rollback successfully!\r\n"
                                             : L" -- file properties rollback failed.\r\n");
    }
    return lines;
}

}  // namespace

void CMainDlg::BackupFile(const std::wstring& path) {
    std::unique_ptr<CFileBackup>& slot = m_mapBackup[path];
    if (slot) {
        return;  // saved for an earlier row: that is the state before the pass
    }
    slot = std::make_unique<CFileBackup>();
    CFileBackup& record = *slot;
    if (m_chkSetFileAttributes.IsChecked()) {
        record.m_dwAttributes = ::GetFileAttributesW(path.c_str());
        record.m_bAttributesSaved = true;
    }
    if (m_chkSetFileTime.IsChecked()) {
        FileStatus status;
        GetFileStatus(path, status);
        record.m_ctime = status.m_ctime;
        record.m_mtime = status.m_mtime;
        record.m_atime = status.m_atime;
        record.m_bTimesSaved = true;
    }
    if (m_chkOtherProperties.IsChecked()) {
        ReadSummaryProperties(path, m_mapPropertyNames, record.m_mapProperties);
        record.m_bPropertiesSaved = true;
    }
}

void CMainDlg::ClearBackup() {
    m_mapBackup.clear();
}

RollbackOutcome CMainDlg::RollBackFile(const std::wstring& path, const CFileBackup& record) {
    // A read-only file cannot take its times or properties: the bit is lifted for those writes
    // and the saved attribute word (or, failing that, the bit itself) goes back last.
    const std::optional<DWORD> lifted =
        record.m_bTimesSaved || record.m_bPropertiesSaved ? LiftReadOnly(path) : std::nullopt;

    RollbackOutcome outcome;
    // Properties first: their write rewrites the file and would move its last-write time.
    if (record.m_bPropertiesSaved) {
        outcome.properties =
            WriteSummaryProperties(path, m_mapPropertyNames, record.m_mapProperties, record.m_mapProperties);
    }
    if (record.m_bTimesSaved) {
        FileStatus status;
        if (GetFileStatus(path, status)) {
            // A time the file still has to the second is not written again: that would drop
            // its fraction of a second, and in a zone with daylight saving move a time in the
            // hour the spring change skips. The times that can be written are; one the program
            // could not hold is reported as not restored unless the file still has it.
            const auto changed = [](TimeSeconds saved, TimeSeconds now) {
                return saved == now ? kUnrepresentableTime : saved;
            };
            const FileStatus restore{changed(record.m_ctime, status.m_ctime), changed(record.m_mtime, status.m_mtime),
                                     changed(record.m_atime, status.m_atime)};
            const bool written = WriteTimes(path, restore);
            outcome.times = UnheldTimesUntouched(path, record) && written;
        }
    }
    if (record.m_bAttributesSaved) {
        // A word that could not be read when it was saved is not a word to write.
        outcome.attributes =
            record.m_dwAttributes != INVALID_FILE_ATTRIBUTES && SetAttributeWord(path, record.m_dwAttributes);
    }
    if (lifted && !outcome.attributes.value_or(false)) {
        SetAttributeWord(path, *lifted);
    }
    return outcome;
}

void CMainDlg::OnUndoChanges() {
    // Out of memory, the pass stops after the file in hand and the record stays: files already
    // restored keep their outcome, so Undo Changes again restores the rest.
    int current = 0;
    bool restoring = true;
    std::wstring output;
    try {
        // Every record saved the same groups: those ticked when Apply ran.
        const CFileBackup* saved = m_mapBackup.empty() ? nullptr : m_mapBackup.begin()->second.get();
        output =
            ReserveReport(saved ? static_cast<int>(saved->m_bTimesSaved) + static_cast<int>(saved->m_bAttributesSaved) +
                                      static_cast<int>(saved->m_bPropertiesSaved)
                                : 0);
        // Restoring, then refreshing the rows: half the bar each.
        CLongWorkProgress progress(L"Undoing changes\u2026", 2 * static_cast<int>(m_vecRows.size()), m_skin.GetTheme());
        {
            CWaitCursor wait;
            // Collected and put into the pane once, as Apply does.
            for (; static_cast<size_t>(current) < m_vecRows.size(); ++current) {
                const std::wstring path = m_vecRows[static_cast<size_t>(current)]->m_path;
                const auto found = m_mapBackup.find(path);
                if (found == m_mapBackup.end()) {
                    continue;
                }
                // A file is restored once, at its first row; its further rows report what that
                // restore did.
                CFileBackup& record = *found->second;
                if (!record.m_rollback) {
                    record.m_rollback = RollBackFile(path, record);
                }
                output += RollbackLines(path, *record.m_rollback);
                progress.Step(current + 1);
            }
            restoring = false;
            output += kSeparatorLine;
            AppendOutput(output);
            output.clear();
            output.shrink_to_fit();
            m_btnUndo.EnableWindow(false);
            ClearBackup();
            FlushErrorLog();
        }
        RefreshRows();
    } catch (const std::bad_alloc&) {
        if (!restoring) {
            ReportOutOfMemory(*this, L"Out of memory after Undo Changes had restored every file.");
            return;
        }
        try {
            AppendOutput(output);
        } catch (const std::bad_alloc&) {
        }
        const int rows = static_cast<int>(m_vecRows.size());
        ReportOutOfMemory(*this,
                          L"Out of memory: Undo Changes stopped at file %d of %d (%.600s); Undo Changes again "
                          L"restores the rest.",
                          current + 1, rows,
                          static_cast<size_t>(current) < m_vecRows.size()
                              ? m_vecRows[static_cast<size_t>(current)]->m_path.c_str()
                              : L"");
    }
}
